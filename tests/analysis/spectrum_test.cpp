#include "analysis/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/cepstrum.h"
#include "analysis/spectrum_internal.h"
#include "analysis_support.h"

namespace {

using analysis_test::analyzerFor;
using analysis_test::fillRandomSamples;

// The spectrum exactly as first written: a fresh bit-reversal table, a
// zeroed imaginary input, stage-by-stage butterflies with the twiddle carried
// by the rotation recurrence, then the level.
struct ReferenceSpectrum {
    std::vector<double> re, im;
};

ReferenceSpectrum referenceSpectrum(const double* frame, std::int32_t log2n) {
    const std::int32_t n = 1 << log2n;
    std::vector<std::int32_t> t(n);
    t[0] = 0;
    for (std::int32_t b = 1, step = n / 2; b < n; b *= 2, step /= 2) {
        for (std::int32_t i = 0; i < b; i++) t[b + i] = t[i] + step;
    }
    const std::vector<double> imagInput(n, 0.0);
    ReferenceSpectrum r{std::vector<double>(n), std::vector<double>(n)};
    for (std::int32_t i = 0; i < n; i++) {
        r.re[i] = frame[t[i]];
        r.im[i] = imagInput[t[i]];
    }
    for (std::int32_t s = 1; s <= log2n; s++) {
        const std::int32_t m = 1 << s;
        const std::int32_t half = m / 2;
        const double theta = 3.14159265 / half;
        const double cr = std::cos(theta);
        const double sr = -std::sin(theta);
        double wr = 1;
        double wi = 0;
        for (std::int32_t k = 0; k < half; k++) {
            for (std::int32_t j = k; j < n; j += m) {
                const double xr = r.re[j + half];
                const double xi = r.im[j + half];
                const double tr = wr * xr - wi * xi;
                const double ti = wr * xi + wi * xr;
                r.re[j + half] = r.re[j] - tr;
                r.im[j + half] = r.im[j] - ti;
                r.re[j] = r.re[j] + tr;
                r.im[j] = r.im[j] + ti;
            }
            const double next = wr * cr - wi * sr;
            wi = wi * cr + wr * sr;
            wr = next;
        }
    }
    for (std::int32_t k = 0; k < n / 2; k++) r.re[k] = 20.0 * std::log(std::sqrt(r.re[k] * r.re[k] + r.im[k] * r.im[k]));
    return r;
}

// Both butterfly paths; where the processor has no AVX both runs take SSE2.
constexpr bool kBothPaths[] = {false, true};

void expectSameBits(const Analyzer& an, const ReferenceSpectrum& ref, const char* what) {
    const std::size_t bytes = sizeof(double) * ref.re.size();
    EXPECT_EQ(std::memcmp(an.outRe, ref.re.data(), bytes), 0) << what << ": outRe differs at N = " << ref.re.size();
    EXPECT_EQ(std::memcmp(an.outIm, ref.im.data(), bytes), 0) << what << ": outIm differs at N = " << ref.re.size();
}

TEST(BitReverseTable, EightPoints) {
    std::int32_t t[8];
    BitReverseTable(8, t);
    EXPECT_EQ(std::vector<std::int32_t>(t, t + 8), (std::vector<std::int32_t>{0, 4, 2, 6, 1, 5, 3, 7}));
}

// Random windowed frames at every length: every output value is the plain
// algorithm's, to the bit.
TEST(ComputeSpectrum, BitIdenticalToThePlainAlgorithm) {
    for (bool avx : kBothPaths) {
        const analysis_test::UseSpectrumAvx path(avx);
        SCOPED_TRACE(avx ? "AVX stages" : "SSE2 stages");
        for (std::int32_t n = kMinFrameLength; n <= kMaxFrameLength; n *= 2) {
            auto an = analyzerFor(n);
            for (std::uint32_t seed = 1; seed <= 3; seed++) {
                fillRandomSamples(*an, seed * 7919 + n);
                an->activeWindow = static_cast<std::int32_t>(seed);
                ApplyWindow(*an);
                const ReferenceSpectrum ref = referenceSpectrum(an->sampleFrame, an->log2Length);
                ComputeSpectrum(*an);
                expectSameBits(*an, ref, "random frame");
            }
        }
    }
}

// Signed zeros, infinities, NaN and overflowing products take the plain
// algorithm's path through the butterflies too, on both paths.
TEST(ComputeSpectrum, SpecialValuesKeepThePlainAlgorithmsBits) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kHuge = std::numeric_limits<double>::max();
    struct Case {
        const char* name;
        double value;
        std::int32_t at;  // one sample set to value; -1: every sample
    };
    const Case cases[] = {
        {"negative zeros", -0.0, -1}, {"one +inf", kInf, 5},     {"one -inf", -kInf, 700},
        {"one NaN", kNaN, 17},        {"all huge", kHuge, -1}, {"one huge", -kHuge, 3},
    };
    for (bool avx : kBothPaths) {
        const analysis_test::UseSpectrumAvx path(avx);
        for (const Case& c : cases) {
            for (std::int32_t n : {1024, 4096}) {
                auto an = analyzerFor(n);
                fillRandomSamples(*an, 29 + n);
                for (std::int32_t i = 0; i < n; i++) {
                    if (c.at < 0 || c.at == i) an->sampleFrame[i] = c.value;
                }
                const ReferenceSpectrum ref = referenceSpectrum(an->sampleFrame, an->log2Length);
                ComputeSpectrum(*an);
                expectSameBits(*an, ref, c.name);
            }
        }
    }
}

// Length changes rebuild the caches, and a cepstrum frame in between (which
// fills imagInput) does not leak into the spectrum.
TEST(ComputeSpectrum, StaysExactAcrossLengthChangesAndCepstrumFrames) {
    auto an = analyzerFor(kMaxFrameLength);
    auto cal = std::make_unique<CepstrumCalibration>();
    CepstrumCalibration& avg = *cal;
    const std::int32_t lengths[] = {32768, 1024, 8192, 2048};
    for (bool avx : kBothPaths) {
        const analysis_test::UseSpectrumAvx path(avx);
        SCOPED_TRACE(avx ? "AVX stages" : "SSE2 stages");
        for (std::int32_t n : lengths) {
            const AppSettings s = analysis_test::lengthSettings(n);
            ASSERT_EQ(SetupAnalyzer(*an, s), 1);
            fillRandomSamples(*an, 11 + n);
            ComputeCepstrum(*an, avg, 0);
            fillRandomSamples(*an, 13 + n);
            const ReferenceSpectrum ref = referenceSpectrum(an->sampleFrame, an->log2Length);
            ComputeSpectrum(*an);
            expectSameBits(*an, ref, "after cepstrum");
            for (std::int32_t i = 0; i < kFrameCapacity; i++) ASSERT_EQ(an->imagInput[i], 0.0) << i;
        }
    }
}

TEST(ComputeSpectrum, SilenceGivesMinusInfinity) {
    auto an = analyzerFor(1024);
    ComputeSpectrum(*an);
    for (std::int32_t k = 0; k < 512; k++) ASSERT_EQ(an->outRe[k], -std::numeric_limits<double>::infinity()) << k;
}

TEST(ComputeSpectrum, ConstantFrameHasOnlyBinZero) {
    const double amplitudes[] = {1.0, -3.0, 32767.0};
    for (double amp : amplitudes) {
        auto an = analyzerFor(1024);
        for (std::int32_t i = 0; i < 1024; i++) an->sampleFrame[i] = amp;
        ComputeSpectrum(*an);
        EXPECT_NEAR(an->outRe[0], 20.0 * std::log(1024.0 * std::fabs(amp)), 1e-9) << amp;
        for (std::int32_t k = 1; k < 512; k++) ASSERT_LT(an->outRe[k], an->outRe[0] - 150.0) << amp << " bin " << k;
    }
}

TEST(ComputeSpectrum, SineAtABinPeaksThere) {
    const struct {
        std::int32_t n;
        std::int32_t bin;
        std::int32_t window;
    } cases[] = {{1024, 1, 0}, {1024, 100, 1}, {4096, 1000, 2}, {32768, 12345, 3}, {2048, 1023, 0}};
    for (const auto& c : cases) {
        auto an = analyzerFor(c.n);
        for (std::int32_t i = 0; i < c.n; i++) an->sampleFrame[i] = 8000.0 * std::sin(2 * std::numbers::pi * c.bin * i / c.n);
        an->activeWindow = c.window;
        ApplyWindow(*an);
        ComputeSpectrum(*an);
        std::int32_t peak = 0;
        for (std::int32_t k = 1; k < c.n / 2; k++) {
            if (an->outRe[k] > an->outRe[peak]) peak = k;
        }
        EXPECT_EQ(peak, c.bin) << "N " << c.n << " window " << c.window;
    }
}

}  // namespace
