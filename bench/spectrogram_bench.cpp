// One spectrogram column (rows, gate, colours, pixel writes; no scroll) on
// views 300 and 2,000 rows high, linear and logarithmic axis, from a
// 4,096-point frame's 2,048 bins under the default selection.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "display/spectrogram.h"

namespace {

constexpr std::int32_t kBins = 2048;
constexpr std::int32_t kViewWidth = 600;

void BM_SpectrogramColumn(benchmark::State& state) {
    const auto height = static_cast<std::int32_t>(state.range(0));
    const bool logAxis = state.range(1) != 0;
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> level(-20.0, 140.0);
    std::vector<double> values(kBins);
    for (double& v : values) v = level(rng);
    const SpectrogramFrame frame{values.data(), kBins, kDefaultSelection, 400, 400.0, 150.0, logAxis, false, false, false};
    const std::ptrdiff_t stride = kViewWidth * 4;
    std::vector<std::uint8_t> surface(static_cast<std::size_t>(stride) * height);
    SpectrogramWork work;
    for (auto _ : state) {
        PaintSpectrogramColumn(frame, work, surface.data(), kViewWidth, height, stride);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * height);
}

}  // namespace

BENCHMARK(BM_SpectrogramColumn)
    ->ArgNames({"rows", "log"})
    ->Args({300, 0})
    ->Args({300, 1})
    ->Args({2000, 0})
    ->Args({2000, 1});
