// The spectrum's SSE2 and AVX butterfly stages in the Windows build: the AVX
// code must get by with unaligned moves only (mingw aligns neither stack nor
// heap to 32 bytes), and both paths must give the same bits, from the main
// thread and from a fresh one.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "analysis/spectrum.h"
#include "analysis/spectrum_internal.h"
#include "analysis_support.h"

namespace {

struct Levels {
    std::vector<double> re, im;
};

// The spectrum of a random 16-bit frame of length n on one path.
Levels spectrumOn(bool avx, std::int32_t n, std::uint32_t seed) {
    const analysis_test::UseSpectrumAvx path(avx);
    auto an = analysis_test::analyzerFor(n);
    analysis_test::fillRandomSamples(*an, seed);
    ComputeSpectrum(*an);
    return Levels{std::vector<double>(an->outRe, an->outRe + n), std::vector<double>(an->outIm, an->outIm + n)};
}

void expectBothPathsAgree() {
    for (std::int32_t n = kMinFrameLength; n <= kMaxFrameLength; n *= 2) {
        const Levels sse2 = spectrumOn(false, n, 4000 + n);
        const Levels avx = spectrumOn(true, n, 4000 + n);
        const std::size_t bytes = sizeof(double) * n;
        EXPECT_EQ(std::memcmp(sse2.re.data(), avx.re.data(), bytes), 0) << "outRe at N = " << n;
        EXPECT_EQ(std::memcmp(sse2.im.data(), avx.im.data(), bytes), 0) << "outIm at N = " << n;
    }
}

class SpectrumPaths : public ::testing::Test {
protected:
    void SetUp() override {
        if (!spectrum_detail::AvxSupported()) GTEST_SKIP() << "this processor has no AVX";
    }
};

TEST_F(SpectrumPaths, SameBitsOnTheMainThread) { expectBothPathsAgree(); }

TEST_F(SpectrumPaths, SameBitsOnAFreshThread) {
    std::thread worker(expectBothPathsAgree);
    worker.join();
}

}  // namespace
