// The overview of a ten-minute 44.1 kHz mono 16-bit file (a tone, noise and
// clicks) at 1,200 columns and 1,024-point frames, read from memory as the
// batch command reads it from a file: parsing, decoding, every frame's
// transform, the column maxima, the Welch sum and the painted plot, on all
// processors and on one. scripts/overview-bench.sh runs it beside sox.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "display/overview_picture.h"

namespace {

constexpr std::uint32_t kRateHz = 44100;
constexpr std::uint32_t kSamples = 600 * kRateHz;
constexpr std::int32_t kColumns = 1200;
constexpr std::int32_t kRows = 513;

std::vector<std::uint8_t> TenMinuteWav() {
    std::vector<std::uint8_t> b(44 + 2 * static_cast<std::size_t>(kSamples), 0);
    auto put = [&b](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::memcpy(&b[0], "RIFF", 4);
    put(4, 36 + 2 * kSamples, 4);
    std::memcpy(&b[8], "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 1, 2);
    put(24, kRateHz, 4);
    put(28, 2 * kRateHz, 4);
    put(32, 2, 2);
    put(34, 16, 2);
    std::memcpy(&b[36], "data", 4);
    put(40, 2 * kSamples, 4);
    std::mt19937 rng(26);
    std::normal_distribution<double> noise(0.0, 300.0);
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        double v = 8000.0 * std::sin(0.0712 * i) + noise(rng);
        if (i % (37 * kRateHz) < 220) v = 30000.0;
        put(44 + 2 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(static_cast<std::int16_t>(v)), 2);
    }
    return b;
}

// The file's bytes, shared by every iteration.
class SharedBytes : public ByteSource {
public:
    explicit SharedBytes(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) override {
        if (offset > bytes_.size() || bytes > bytes_.size() - offset) return false;
        std::memcpy(dst, bytes_.data() + offset, bytes);
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
};

void BM_TenMinuteOverview(benchmark::State& state) {
    static const std::vector<std::uint8_t> wav = TenMinuteWav();
    OverviewRequest request;
    request.columns = kColumns;
    request.frameLength = 1024;
    request.threads = static_cast<int>(state.range(0));
    std::vector<std::uint32_t> plot(static_cast<std::size_t>(kColumns) * kRows);
    for (auto _ : state) {
        FileOverview file;
        if (ComputeFileOverview(std::make_unique<SharedBytes>(wav), request, nullptr, file) != WavError::kNone) {
            state.SkipWithError("the file was not read");
            break;
        }
        PaintOverviewPlot(file.overview, kRateHz, request.windowKind, OverviewLook{}, kRows, plot.data(), kColumns);
        benchmark::DoNotOptimize(plot.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(600.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

// 0: one worker per processor.
BENCHMARK(BM_TenMinuteOverview)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
