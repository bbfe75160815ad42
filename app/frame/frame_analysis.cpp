#include "app/frame/frame_analysis.h"

#include <cstring>

#include "analysis/spectrum.h"

AnalyzerFrameAnalysis::AnalyzerFrameAnalysis(SampleFetch fetch)
    : fetch_(std::move(fetch)), analyzer_(MakeAnalyzer()), calibration_(std::make_unique<CepstrumCalibration>()) {}

bool AnalyzerFrameAnalysis::SetUp(const AppSettings& settings) {
    average_.Reset();
    return SetupAnalyzer(*analyzer_, settings) == 1;
}

FrameData AnalyzerFrameAnalysis::Analyse(const AppSettings& s) {
    Analyzer& an = *analyzer_;
    const int n = an.sampleCount;
    bool fresh = true;
    if (fetch_ && !fetch_(an.sampleFrame, n)) {
        std::memcpy(an.sampleFrame, an.rawFrame, sizeof(double) * static_cast<std::size_t>(n > 0 ? n : 0));
        fresh = false;
    }
    an.activeWindow = s.windowKind;
    ApplyWindow(an);
    const bool cepstrum = s.cepstrumMode == 1;
    if (cepstrum) {
        ComputeCepstrum(an, *calibration_, calibration_->TakeRequest());
    } else {
        ComputeSpectrum(an);
    }
    const double* values = an.outRe;
    // A bin of another rate or window is not the same measurement.
    if (s.sampleRate != averagedRate_ || an.activeWindow != averagedWindow_) {
        average_.Reset();
        averagedRate_ = s.sampleRate;
        averagedWindow_ = an.activeWindow;
    }
    if (cepstrum) {
        average_.Reset();
    } else if (fresh) {
        const auto now = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(now - lastFresh_).count();
        lastFresh_ = now;
        values = average_.Apply(an.outRe, an.binCount, elapsed);
    } else {
        values = average_.Current(an.outRe, an.binCount);
    }
    FrameData frame;
    frame.rawFrame = an.rawFrame;
    frame.sampleCount = n;
    frame.displayValues = values;
    frame.binCount = an.binCount;
    frame.log10Table = an.log10Table;
    frame.logMagnitudes = cepstrum ? an.imagInput : nullptr;
    frame.windowKind = an.activeWindow;
    frame.cepstrum = cepstrum;
    frame.fresh = fresh;
    return frame;
}
