#include "app/frame/frame_analysis.h"

#include <atomic>
#include <cstring>

#include "analysis/spectrum.h"

AnalyzerFrameAnalysis::AnalyzerFrameAnalysis(Analyzer& analyzer, SampleFetch fetch)
    : analyzer_(analyzer), fetch_(std::move(fetch)), average_(std::make_unique<CepstrumAverage>()) {}

FrameData AnalyzerFrameAnalysis::Analyse(const AppSettings& s, std::uint8_t& calRequest) {
    Analyzer& an = analyzer_;
    const int n = an.sampleCount;
    bool fresh = true;
    if (fetch_ && !fetch_(an.sampleFrame, n)) {
        std::memcpy(an.sampleFrame, an.rawFrame, sizeof(double) * static_cast<std::size_t>(n > 0 ? n : 0));
        fresh = false;
    }
    an.activeWindow = s.windowKind;
    applyWindow(an);
    if (s.cepstrumMode == 1) {
        const std::uint8_t cal = std::atomic_ref<std::uint8_t>(calRequest).exchange(0, std::memory_order_acq_rel);
        computeCepstrum(an, *average_, cal);
    } else {
        computeSpectrum(an);
    }
    return FrameData{an.rawFrame,   n,              an.outRe,       an.binCount,    an.log10Table,
                     an.wavePoints, an.tracePoints, an.peakPoints, kPointCapacity, fresh};
}
