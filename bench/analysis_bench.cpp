// Timings of the analysis paths at every frame length, and (when built with
// FFTW) of FFTW's transforms at the same sizes for a ratio from one run.
//
// In-place transforms destroy their input, so every transform benchmark,
// ours and FFTW's alike, first copies a fixed frame into the work array;
// BM_CopyFrame times that copy alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/cepstrum.h"
#include "analysis/rdft.h"
#include "analysis/spectrum.h"
#include "base/settings.h"

#if defined(TAVRIN_BENCH_WITH_FFTW)
#include <fftw3.h>
#endif

namespace {

std::vector<double> randomFrame(std::int32_t n) {
    std::mt19937 gen(12345);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    std::vector<double> x(n);
    for (double& v : x) v = dist(gen);
    return x;
}

std::unique_ptr<Analyzer> analyzerFor(std::int32_t n) {
    auto an = MakeAnalyzer();
    AppSettings s{};
    s.fftLength = n;
    s.halfLength = n / 2;
    SetupAnalyzer(*an, s);
    return an;
}

void frameLengths(benchmark::internal::Benchmark* b) { b->RangeMultiplier(2)->Range(kMinFrameLength, kMaxFrameLength); }

void BM_CopyFrame(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    const std::vector<double> x = randomFrame(n);
    std::vector<double> a(n);
    for (auto _ : state) {
        std::memcpy(a.data(), x.data(), sizeof(double) * n);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyFrame)->Apply(frameLengths);

void rdftBench(benchmark::State& state, std::int32_t isgn) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    const std::vector<double> x = randomFrame(n);
    std::vector<double> a(n);
    std::vector<std::int32_t> ip(kRdftIndexEntries, 0);
    std::vector<double> w(n / 2);
    for (auto _ : state) {
        std::memcpy(a.data(), x.data(), sizeof(double) * n);
        rdft(n, isgn, a.data(), ip.data(), w.data());
        benchmark::ClobberMemory();
    }
}

void BM_RdftForward(benchmark::State& state) { rdftBench(state, 1); }
void BM_RdftBackward(benchmark::State& state) { rdftBench(state, -1); }
BENCHMARK(BM_RdftForward)->Apply(frameLengths);
BENCHMARK(BM_RdftBackward)->Apply(frameLengths);

void BM_ComputeSpectrum(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    auto an = analyzerFor(n);
    const std::vector<double> x = randomFrame(n);
    std::memcpy(an->sampleFrame, x.data(), sizeof(double) * n);
    for (auto _ : state) {
        ComputeSpectrum(*an);  // reads sampleFrame only
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComputeSpectrum)->Apply(frameLengths);

void BM_ComputeCepstrum(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    auto an = analyzerFor(n);
    auto avg = std::make_unique<CepstrumCalibration>();
    const std::vector<double> x = randomFrame(n);
    for (auto _ : state) {
        std::memcpy(an->sampleFrame, x.data(), sizeof(double) * n);
        ComputeCepstrum(*an, *avg, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComputeCepstrum)->Apply(frameLengths);

// A whole analysis pass as the frame loop runs it: the newest N 16-bit
// samples converted into the frame, the Hanning window, then the path.
void wholeFrame(benchmark::State& state, bool cepstrum) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    auto an = analyzerFor(n);
    auto avg = std::make_unique<CepstrumCalibration>();
    const std::vector<double> x = randomFrame(n);
    std::vector<std::int16_t> ring(n);
    for (std::int32_t i = 0; i < n; i++) ring[i] = static_cast<std::int16_t>(x[i]);
    for (auto _ : state) {
        for (std::int32_t i = 0; i < n; i++) an->sampleFrame[i] = ring[i];
        an->activeWindow = kWindowHanning;
        ApplyWindow(*an);
        if (cepstrum) {
            ComputeCepstrum(*an, *avg, 0);
        } else {
            ComputeSpectrum(*an);
        }
        benchmark::ClobberMemory();
    }
}

void BM_WholeFrameSpectrum(benchmark::State& state) { wholeFrame(state, false); }
void BM_WholeFrameCepstrum(benchmark::State& state) { wholeFrame(state, true); }
BENCHMARK(BM_WholeFrameSpectrum)->Apply(frameLengths);
BENCHMARK(BM_WholeFrameCepstrum)->Apply(frameLengths);

#if defined(TAVRIN_BENCH_WITH_FFTW)

// FFTW buffers and one plan, freed together.
struct FftwRun {
    double* real = nullptr;
    fftw_complex* spectrum = nullptr;
    fftw_complex* complexIn = nullptr;
    fftw_plan plan = nullptr;
    FftwRun(const FftwRun&) = delete;
    FftwRun& operator=(const FftwRun&) = delete;
    explicit FftwRun(std::int32_t n) {
        real = fftw_alloc_real(n);
        spectrum = fftw_alloc_complex(n);
        complexIn = fftw_alloc_complex(n);
    }
    ~FftwRun() {
        if (plan) fftw_destroy_plan(plan);
        fftw_free(real);
        fftw_free(spectrum);
        fftw_free(complexIn);
    }
};

void BM_FftwR2c(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    FftwRun r(n);
    r.plan = fftw_plan_dft_r2c_1d(n, r.real, r.spectrum, FFTW_MEASURE);
    const std::vector<double> x = randomFrame(n);
    for (auto _ : state) {
        std::memcpy(r.real, x.data(), sizeof(double) * n);
        fftw_execute(r.plan);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FftwR2c)->Apply(frameLengths);

void BM_FftwC2r(benchmark::State& state) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    FftwRun r(n);
    r.plan = fftw_plan_dft_c2r_1d(n, r.spectrum, r.real, FFTW_MEASURE);
    const std::vector<double> x = randomFrame(n + 2);
    for (auto _ : state) {
        std::memcpy(r.spectrum, x.data(), sizeof(double) * (n + 2));  // n/2 + 1 complex values
        fftw_execute(r.plan);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FftwC2r)->Apply(frameLengths);

// The spectrum path's yardstick: FFTW's complex transform of the real frame
// (imaginary parts zero) plus the same level pass over N/2 bins.
void fftwC2c(benchmark::State& state, bool withLevels) {
    const auto n = static_cast<std::int32_t>(state.range(0));
    FftwRun r(n);
    r.plan = fftw_plan_dft_1d(n, r.complexIn, r.spectrum, FFTW_FORWARD, FFTW_MEASURE);
    const std::vector<double> x = randomFrame(n);
    std::vector<double> levels(n / 2);
    for (auto _ : state) {
        for (std::int32_t i = 0; i < n; i++) {
            r.complexIn[i][0] = x[i];
            r.complexIn[i][1] = 0.0;
        }
        fftw_execute(r.plan);
        if (withLevels) {
            for (std::int32_t k = 0; k < n / 2; k++) {
                const double re = r.spectrum[k][0];
                const double im = r.spectrum[k][1];
                levels[k] = 20.0 * std::log(std::sqrt(re * re + im * im));
            }
        }
        benchmark::ClobberMemory();
    }
}

void BM_FftwC2c(benchmark::State& state) { fftwC2c(state, false); }
void BM_FftwC2cLevels(benchmark::State& state) { fftwC2c(state, true); }
BENCHMARK(BM_FftwC2c)->Apply(frameLengths);
BENCHMARK(BM_FftwC2cLevels)->Apply(frameLengths);

#endif

}  // namespace
