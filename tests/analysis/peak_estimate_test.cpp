#include "analysis/peak_estimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/cepstrum.h"
#include "analysis/spectrum.h"
#include "analysis_support.h"

namespace {

using analysis_test::analyzerFor;

constexpr double kRateHz = 44100.0;

// A sine of `amplitude` at `hz` through the program's own window and spectrum.
void analyseSine(Analyzer& an, std::int32_t kind, double hz, double amplitude) {
    for (std::int32_t i = 0; i < an.frameLength; i++) {
        an.sampleFrame[i] = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / kRateHz + 0.3);
    }
    an.activeWindow = kind;
    ApplyWindow(an);
    ComputeSpectrum(an);
}

// The peak readout's goals at 44,100 Hz and 4,096 points: the frequency
// within 0.02 bin (0.1 bin with no window) and, windowed, the level within
// 0.1 dB, for tones from 100 Hz to 10 kHz at every fraction of a bin.
TEST(SpectrumPeak, FrequencyAndLevelOfASineAtFractionalBins) {
    const struct {
        std::int32_t kind;
        double binTolerance;
        double dbTolerance;
    } windows[] = {{kWindowNone, 0.1, 4.0}, {kWindowHanning, 0.02, 0.1}, {kWindowHamming, 0.02, 0.1},
                   {kWindowBlackman, 0.02, 0.1}};
    const double binHz = kRateHz / 4096;
    auto an = analyzerFor(4096);
    for (const auto& w : windows) {
        for (const double base : {100.0, 440.0, 1000.0, 3000.0, 10000.0}) {
            for (const double fraction : {0.0, 0.13, 0.25, 0.5, 0.71, 0.9}) {
                const double bin = std::floor(base / binHz) + fraction;
                const double amplitude = 8000.0;
                analyseSine(*an, w.kind, bin * binHz, amplitude);
                const SpectrumPeak p = FindSpectrumPeak(an->outRe, an->binCount, 1, an->binCount - 1, w.kind);
                ASSERT_TRUE(p.found);
                EXPECT_NEAR(p.bin, bin, w.binTolerance) << w.kind << " " << bin;
                const double dbfs = LevelDbfs(p.level, w.kind, 4096);
                EXPECT_NEAR(dbfs, 20.0 * std::log10(amplitude / kFullScaleAmplitude), w.dbTolerance)
                    << w.kind << " " << bin;
            }
        }
    }
}

// A full-scale sine on a bin reads 0 dBFS whatever the length and window.
TEST(LevelScale, FullScaleSineOnABinIsZeroDbfsAtEveryLength) {
    for (std::int32_t n = kMinFrameLength; n <= kMaxFrameLength; n *= 2) {
        auto an = analyzerFor(n);
        for (const std::int32_t kind : {kWindowNone, kWindowHanning, kWindowHamming, kWindowBlackman}) {
            const std::int32_t bin = n / 16;
            analyseSine(*an, kind, bin * kRateHz / n, kFullScaleAmplitude);
            EXPECT_NEAR(LevelDbfs(an->outRe[bin], kind, n), 0.0, 0.01) << n << " " << kind;
        }
    }
}

// The search stays inside the band, skips its edges' slopes and a silent
// frame, and finds nothing where there is no maximum.
TEST(SpectrumPeak, OnlyLocalMaximaInsideTheBandCount) {
    const double ramp[] = {0, 1, 2, 3, 9, 3, 2, 1, 7, 8};
    EXPECT_EQ(FindSpectrumPeak(ramp, 10, 0, 9, kWindowHanning).index, 4);
    EXPECT_EQ(FindSpectrumPeak(ramp, 10, 5, 9, kWindowHanning).found, false) << "8 at the array's end is no peak";
    EXPECT_EQ(FindSpectrumPeak(ramp, 10, 9, 0, kWindowHanning).index, 4) << "edges in either order";
    const double silent[] = {-INFINITY, -INFINITY, -INFINITY, -INFINITY};
    EXPECT_FALSE(FindSpectrumPeak(silent, 4, 0, 3, kWindowNone).found);
}

}  // namespace
