// Cost of a frame's trace arithmetic in a 1,000 x 700 view: the waveform and
// the spectrum (with its peak line) reduced to two points per column, at the
// smallest and the largest data length. The two should cost about the same
// per drawn point; only the one pass over the values grows with N. The GDI
// calls that follow (polyline/polygon over about 2,000 points, the
// background copy and two block copies) run only on the Windows build.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "display/area_fill.h"
#include "display/colour_brush.h"
#include "display/trace_points.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr int kCapacity = 65536;

struct Frame {
    std::vector<double> samples;
    std::vector<double> levels;
    std::vector<double> log10Table;
    std::vector<TracePoint> wave = std::vector<TracePoint>(kCapacity);
    std::vector<TracePoint> trace = std::vector<TracePoint>(kCapacity);
    std::vector<TracePoint> peaks = std::vector<TracePoint>(kCapacity);

    explicit Frame(int n) : samples(n), levels(n / 2), log10Table(n / 2) {
        for (int i = 0; i < n; ++i) samples[i] = 12000.0 * std::sin(i * 0.0627);
        for (int k = 0; k < n / 2; ++k) {
            levels[k] = 120.0 + 60.0 * std::sin(k * 0.01);
            log10Table[k] = std::log10(static_cast<double>(k));
        }
        std::memset(peaks.data(), kPeakResetByte, peaks.size() * sizeof(TracePoint));
    }
};

void FrameTraces(benchmark::State& state, bool logAxis) {
    const int n = static_cast<int>(state.range(0));
    Frame f(n);
    const SpectrumView view{kWidth, kHeight, 400.0, 150.0, logAxis ? f.log10Table.data() : nullptr, true};
    int points = 0;
    for (auto _ : state) {
        points = BuildWaveformPoints(f.samples.data(), n / 2, kWidth, kHeight, f.wave.data(), kCapacity);
        const SpectrumPoints r = BuildSpectrumPoints(f.levels.data(), n / 2, view, f.trace.data(), f.peaks.data(),
                                                     kCapacity);
        points += r.traceCount + r.peakCount;
        benchmark::DoNotOptimize(f.trace.data());
    }
    state.counters["points"] = points;
}

void BM_FrameTracesLinear(benchmark::State& state) { FrameTraces(state, false); }
void BM_FrameTracesLog(benchmark::State& state) { FrameTraces(state, true); }
BENCHMARK(BM_FrameTracesLinear)->Arg(1024)->Arg(32768);
BENCHMARK(BM_FrameTracesLog)->Arg(1024)->Arg(32768);

// The coloured area under the spectrum, copied from the colouring picture
// column by column, against the one memory copy of the whole surface that
// restores the background every frame.
void AreaFill(benchmark::State& state, bool logAxis) {
    Frame f(4096);
    const SpectrumView view{kWidth, kHeight, 400.0, 150.0, logAxis ? f.log10Table.data() : nullptr, true};
    const SpectrumPoints r =
        BuildSpectrumPoints(f.levels.data(), 2048, view, f.trace.data(), f.peaks.data(), kCapacity);
    const std::ptrdiff_t stride = kWidth * 4;
    std::vector<std::uint8_t> surface(stride * kHeight, 0);
    std::vector<std::uint8_t> pattern(stride * kHeight, 7);
    const AreaFillTarget target{surface.data(), pattern.data(), kWidth, kHeight, stride};
    for (auto _ : state) {
        FillSpectrumArea(f.trace.data(), r, target);
        benchmark::DoNotOptimize(surface.data());
    }
}
void BM_AreaFillLinear(benchmark::State& state) { AreaFill(state, false); }
void BM_AreaFillLog(benchmark::State& state) { AreaFill(state, true); }
BENCHMARK(BM_AreaFillLinear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AreaFillLog)->Unit(benchmark::kMicrosecond);

void BM_WholeSurfaceCopy(benchmark::State& state) {
    const std::size_t bytes = std::size_t{kWidth} * kHeight * 4;
    std::vector<std::uint8_t> surface(bytes, 0);
    std::vector<std::uint8_t> background(bytes, 7);
    for (auto _ : state) {
        std::memcpy(surface.data(), background.data(), bytes);
        benchmark::DoNotOptimize(surface.data());
    }
}
BENCHMARK(BM_WholeSurfaceCopy)->Unit(benchmark::kMicrosecond);

// Once per layout, not per frame: the background's colouring picture.
void BM_ColouringPicture(benchmark::State& state) {
    const std::ptrdiff_t stride = kWidth * 4;
    std::vector<std::uint8_t> bits(stride * kHeight, 40);
    std::vector<std::uint8_t> scratch(bits.size());
    for (auto _ : state) {
        MakeColouringPicture(bits.data(), scratch.data(), kWidth, kHeight, stride);
        benchmark::DoNotOptimize(bits.data());
    }
}
BENCHMARK(BM_ColouringPicture)->Unit(benchmark::kMillisecond);

}  // namespace
