// A whole frame-loop pass without the GDI calls, at every frame length, in
// the window the program opens by default on a 1,000-pixel-wide view:
// the fetch of the newest N samples from a full sample ring into the
// analysis, the window, the spectrum or cepstrum path, and the reduction of
// the traces to two points per column (the waveform of N / 2 samples in the
// WAVE + FFT view, the spectrum or cepstrum with its peak line).
//
// The pass is the program's own (AnalyzerFrameAnalysis); only the drawing is
// left out, whose cost does not depend on N (see traces_bench). The
// "Readouts" variants add what the readouts compute every frame: the peak
// (or pitch) search over the default selection and the corner and cursor
// texts; compare each with its plain variant from the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>

#include "analysis/analyzer.h"
#include "app/frame/frame_analysis.h"
#include "base/settings.h"
#include "capture/sample_ring.h"
#include "display/value_readout.h"
#include "display/trace_points.h"

namespace {

constexpr int kViewWidthPx = 1000;
constexpr int kViewHeightPx = 700;
constexpr double kToneHz = 440.0;
constexpr double kRateHz = 44100.0;
constexpr double kToneAmplitude = 3000.0;

// A ring that has been filled all round with a 440 Hz tone.
std::unique_ptr<SampleRing> toneRing() {
    auto ring = std::make_unique<SampleRing>();
    std::int16_t block[kBlockSamples];
    long t = 0;
    for (int b = 0; b < kRingSlots; ++b) {
        for (std::int16_t& v : block) {
            v = static_cast<std::int16_t>(kToneAmplitude * std::sin(2 * std::numbers::pi * kToneHz * t++ / kRateHz));
        }
        ring->Publish(std::span<const std::int16_t, kBlockSamples>(block));
    }
    return ring;
}

// What the readouts compute per frame besides drawing: the peak over the
// selection (the pitch comes with the frame), the corner text and a cursor text.
void readoutStep(const AppSettings& s, const FrameData& f, bool cepstrum, bool logAxis) {
    const FrameFacts facts{s.sampleRate, f.sampleCount, s.windowKind};
    const ViewAxis axis{kViewWidthPx, f.binCount, logAxis};
    const ViewLevels levels{kViewHeightPx, s.specSpan, s.specOffset};
    const BinRange band = SelectionBins(axis, s.selX0, s.selX1);
    ReadoutText corner;
    if (cepstrum) {
        corner = PitchReadout(f.pitch.voiced, f.pitch.hz);
    } else {
        corner = PeakReadout(facts, FindSpectrumPeak(f.displayValues, f.binCount, band.first, band.last, s.windowKind));
    }
    const ReadoutText cursor = cepstrum ? CepstrumCursorReadout(facts, axis, kViewWidthPx / 3)
                                        : SpectrumCursorReadout(facts, axis, levels, f.displayValues, f.binCount,
                                                                kViewWidthPx / 3, 100);
    benchmark::DoNotOptimize(corner);
    benchmark::DoNotOptimize(cursor);
}

void wholePass(benchmark::State& state, bool cepstrum, bool logAxis, bool readouts = false) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    s.fftLength = n;
    s.halfLength = n / 2;
    s.cepstrumMode = cepstrum ? 1 : 0;
    s.windowKind = kWindowHanning;
    auto traces = std::make_unique<TraceBuffers>();
    RestartPeakHold(traces->peak, kPointCapacity);
    auto ring = toneRing();
    SampleRing& source = *ring;
    AnalyzerFrameAnalysis analysis([&source](double* values, int count) {
        return source.FetchSamples(std::span<double>(values, kFrameCapacity), count) > 0;
    });
    analysis.SetUp(s);

    int points = 0;
    for (auto _ : state) {
        const FrameData f = analysis.Analyse(s);
        points = BuildWaveformPoints(f.rawFrame, f.sampleCount / 2, kViewWidthPx, kViewHeightPx, traces->wave,
                                     kPointCapacity);
        const SpectrumView view{kViewWidthPx, kViewHeightPx, s.specSpan, s.specOffset,
                                logAxis ? f.log10Table : nullptr, s.colourSpectrum != 0};
        const SpectrumPoints r =
            BuildSpectrumPoints(f.displayValues, f.binCount, view, traces->trace, traces->peak, kPointCapacity);
        points += r.traceCount + r.peakCount;
        if (readouts) {
            readoutStep(s, f, cepstrum, logAxis);
        }
        benchmark::DoNotOptimize(traces->trace);
        benchmark::ClobberMemory();
    }
    state.counters["points"] = points;
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The readout step alone on one analysed frame, to set against the pass.
void BM_ReadoutsAlone(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    s.fftLength = n;
    s.halfLength = n / 2;
    s.windowKind = kWindowHanning;
    auto ring = toneRing();
    SampleRing& source = *ring;
    AnalyzerFrameAnalysis analysis([&source](double* values, int count) {
        return source.FetchSamples(std::span<double>(values, kFrameCapacity), count) > 0;
    });
    analysis.SetUp(s);
    const FrameData f = analysis.Analyse(s);
    for (auto _ : state) {
        readoutStep(s, f, false, false);
    }
}

void frameLengths(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(2)->Range(kMinFrameLength, kMaxFrameLength)->Unit(benchmark::kMicrosecond);
}

void BM_PassSpectrumLinear(benchmark::State& state) { wholePass(state, false, false); }
void BM_PassSpectrumLog(benchmark::State& state) { wholePass(state, false, true); }
void BM_PassCepstrumLinear(benchmark::State& state) { wholePass(state, true, false); }
void BM_PassSpectrumLinearReadouts(benchmark::State& state) { wholePass(state, false, false, true); }
void BM_PassCepstrumLinearReadouts(benchmark::State& state) { wholePass(state, true, false, true); }
BENCHMARK(BM_PassSpectrumLinear)->Apply(frameLengths);
BENCHMARK(BM_PassSpectrumLinearReadouts)->Apply(frameLengths);
BENCHMARK(BM_PassSpectrumLog)->Apply(frameLengths);
BENCHMARK(BM_ReadoutsAlone)->Apply(frameLengths);
BENCHMARK(BM_PassCepstrumLinear)->Apply(frameLengths);
BENCHMARK(BM_PassCepstrumLinearReadouts)->Apply(frameLengths);

}  // namespace
