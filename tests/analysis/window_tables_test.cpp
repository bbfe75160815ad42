#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/analyzer.h"
#include "analysis_support.h"

namespace {

using analysis_test::analyzerFor;
using analysis_test::fillRandomSamples;
using analysis_test::lengthSettings;

TEST(WindowTables, EndsAndCentreAt1024Points) {
    auto an = analyzerFor(1024);
    EXPECT_NEAR(an->hammingTable[0], 0.08, 1e-15);
    EXPECT_NEAR(an->hammingTable[1023], 0.08, 1e-15);
    EXPECT_NEAR(an->hammingTable[511], 0.999998, 5e-7);
    EXPECT_NEAR(an->hammingTable[512], 0.999998, 5e-7);
    EXPECT_EQ(an->hanningTable[0], 0.0);
    EXPECT_EQ(an->hanningTable[1023], 0.0);
    EXPECT_NEAR(an->blackmanTable[0], 0.0, 1e-16);
    EXPECT_NEAR(an->blackmanTable[1023], 0.0, 1e-16);
}

// Bit for bit the formulas with the truncated phase constants, multiplied
// before dividing (full-precision 2 pi, or dividing first, changes entries),
// and symmetric over the N points (to the 7e-9 by which 6.2831853 misses 2 pi).
TEST(WindowTables, FollowTheirFormulasAtEveryLength) {
    for (std::int32_t n = kMinFrameLength; n <= kMaxFrameLength; n *= 2) {
        auto an = analyzerFor(n);
        const double d = n - 1;
        for (std::int32_t i = 0; i < n; i += 97) {
            const double a = 6.2831853 * i / d;
            EXPECT_EQ(an->hanningTable[i], 0.5 - 0.5 * std::cos(a)) << n << " " << i;
            EXPECT_EQ(an->hammingTable[i], 0.54 - 0.46 * std::cos(a)) << n << " " << i;
            EXPECT_EQ(an->blackmanTable[i], 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(12.5663706 * i / d)) << n << " " << i;
            EXPECT_NEAR(an->hanningTable[i], an->hanningTable[n - 1 - i], 1e-8) << n << " " << i;
        }
    }
}

TEST(ApplyWindow, MultipliesBySelectedTableAndKeepsTheRawFrame) {
    auto an = analyzerFor(2048);
    const struct {
        std::int32_t kind;
        const double* table;
    } cases[] = {
        {0, nullptr}, {1, an->hanningTable}, {2, an->hammingTable}, {3, an->blackmanTable}, {7, nullptr}, {-1, nullptr},
    };
    for (const auto& c : cases) {
        fillRandomSamples(*an, 77);
        double original[2048];
        std::memcpy(original, an->sampleFrame, sizeof original);
        an->activeWindow = c.kind;
        ApplyWindow(*an);
        EXPECT_EQ(std::memcmp(an->rawFrame, original, sizeof original), 0) << c.kind;
        for (std::int32_t i = 0; i < 2048; i++) {
            const double expected = c.table ? original[i] * c.table[i] : original[i];
            ASSERT_EQ(an->sampleFrame[i], expected) << "kind " << c.kind << " i " << i;
        }
    }
}

TEST(SetupAnalyzer, LogTableAndLengths) {
    auto an = analyzerFor(4096);
    EXPECT_EQ(an->log10Table[0], -std::numeric_limits<double>::infinity());
    EXPECT_EQ(an->log10Table[1], 0.0);
    EXPECT_EQ(an->log10Table[10], 1.0);
    EXPECT_NEAR(an->log10Table[2047], 3.311117842662506, 1e-15);
    for (std::int32_t n = kMinFrameLength, bits = 10; n <= kMaxFrameLength; n *= 2, bits++) {
        auto each = analyzerFor(n);
        EXPECT_EQ(each->log2Length, bits) << n;
        EXPECT_EQ(each->halfFrame, n / 2);
        EXPECT_EQ(each->binCount * 2, each->sampleCount);
    }
}

TEST(SetupAnalyzer, ShorterLengthReplacesEverything) {
    auto an = analyzerFor(32768);
    const AppSettings shorter = lengthSettings(1024);
    ASSERT_EQ(SetupAnalyzer(*an, shorter), 1);
    EXPECT_EQ(an->frameLength, 1024);
    EXPECT_EQ(an->log2Length, 10);
    EXPECT_EQ(an->binCount, 512);
    EXPECT_EQ(an->sampleCount, 1024);
    EXPECT_EQ(an->hanningTable[1023], 0.0);  // the end of a 1,024-point table
    EXPECT_NEAR(an->hammingTable[1023], 0.08, 1e-15);
}

// Lengths the capacities cannot hold, or that are not N and N/2, leave the
// previous set-up in force.
TEST(SetupAnalyzer, RejectsUnsupportedLengths) {
    const struct {
        std::int32_t fft;
        std::int32_t half;
    } cases[] = {{0, 0}, {512, 256}, {1000, 500}, {65536, 32768}, {4096, 1024}, {-4096, -2048}};
    for (const auto& c : cases) {
        auto an = analyzerFor(2048);
        AppSettings s{};
        s.fftLength = c.fft;
        s.halfLength = c.half;
        EXPECT_EQ(SetupAnalyzer(*an, s), 0) << c.fft;
        EXPECT_EQ(an->frameLength, 2048);
        EXPECT_EQ(an->binCount, 1024);
    }
}

}  // namespace
