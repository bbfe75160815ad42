#include "analysis/octave_bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/spectrum.h"
#include "base/settings.h"

namespace {

// Band centres and edges against the values the base-10 formula gives
// (written out to 5 significant digits): 1 kHz is a centre for odd
// fractions and an edge for even ones; neighbouring bands share their edge.
TEST(OctaveBands, CentresAndEdgesFollowTheBaseTenFormula) {
    struct Case {
        int fraction;
        int x;
        double centre, lower, upper;
    };
    const Case cases[] = {
        {1, 0, 1000.0, 707.95, 1412.5},    {1, -5, 31.623, 22.387, 44.668}, {1, 4, 15849.0, 11220.0, 22387.0},
        {3, 0, 1000.0, 891.25, 1122.0},    {3, -10, 100.0, 89.125, 112.20}, {3, -17, 19.953, 17.783, 22.387},
        {6, 0, 1059.3, 1000.0, 1122.0},    {6, -1, 944.06, 891.25, 1000.0}, {12, 0, 1029.2, 1000.0, 1059.3},
        {24, 0, 1014.5, 1000.0, 1029.2},   {24, -1, 985.71, 971.63, 1000.0},
    };
    for (const Case& c : cases) {
        const double centre = BandCentreHz(c.fraction, c.x);
        EXPECT_NEAR(centre, c.centre, 5e-5 * c.centre) << "1/" << c.fraction << " band " << c.x;
        EXPECT_NEAR(BandLowerEdgeHz(c.fraction, centre), c.lower, 5e-5 * c.lower) << "1/" << c.fraction;
        EXPECT_NEAR(BandUpperEdgeHz(c.fraction, centre), c.upper, 5e-5 * c.upper) << "1/" << c.fraction;
    }
    for (int b : kBandFractions) {
        OctaveBands plan;
        plan.Plan({b, BandWeighting::kZ}, 48000, 32768, 32768.0);
        const auto bands = plan.Bands();
        ASSERT_FALSE(bands.empty()) << b;
        EXPECT_LE(bands.front().lowerHz, kBandsFromHz) << "1/" << b << ": the first band holds 20 Hz";
        EXPECT_GT(bands.front().upperHz, kBandsFromHz) << "1/" << b;
        EXPECT_LT(bands.back().centreHz, 24000.0) << "1/" << b;
        EXPECT_GE(bands.back().centreHz * std::pow(10.0, 0.3 / b), 24000.0) << "1/" << b << ": up to the top";
        for (std::size_t i = 1; i < bands.size(); ++i) {
            ASSERT_NEAR(bands[i].lowerHz, bands[i - 1].upperHz, 1e-9 * bands[i].lowerHz) << "1/" << b << " band " << i;
        }
    }
}

// A and C weighting against the sound level meter standard's table (at the
// exact base-10 frequencies 1000 x 10^(x/10), nominally 10 Hz ... 20 kHz),
// within 0.1 dB.
TEST(OctaveBands, WeightingsMatchTheStandardsTable) {
    const double a[] = {-70.4, -63.4, -56.7, -50.5, -44.7, -39.4, -34.6, -30.2, -26.2, -22.5, -19.1,
                        -16.1, -13.4, -10.9, -8.6,  -6.6,  -4.8,  -3.2,  -1.9,  -0.8,  0.0,   0.6,
                        1.0,   1.2,   1.3,   1.2,   1.0,   0.5,   -0.1,  -1.1,  -2.5,  -4.3,  -6.6, -9.3};
    const double c[] = {-14.3, -11.2, -8.5, -6.2, -4.4, -3.0, -2.0, -1.3, -0.8, -0.5, -0.3, -0.2,
                        -0.1,  0.0,   0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  0.0,  -0.1, -0.2,
                        -0.3,  -0.5,  -0.8, -1.3, -2.0, -3.0, -4.4, -6.2, -8.5, -11.2};
    static_assert(std::size(a) == std::size(c));
    for (std::size_t i = 0; i < std::size(a); ++i) {
        const int x = static_cast<int>(i) - 20;
        const double hz = 1000.0 * std::pow(10.0, x / 10.0);
        EXPECT_NEAR(WeightingDb(BandWeighting::kA, hz), a[i], 0.1) << "A at " << hz << " Hz";
        EXPECT_NEAR(WeightingDb(BandWeighting::kC, hz), c[i], 0.1) << "C at " << hz << " Hz";
        EXPECT_EQ(WeightingDb(BandWeighting::kZ, hz), 0.0);
    }
}

// The band levels of a frame analysed as the program does (32,768 points,
// Hann window, 48 kHz), 1/3 octave: a sine at a band's centre reads its
// level there within 0.05 dB, at least 40 dB less two bands away, and its
// weighting when weighted; white noise reads its power per band.
TEST(OctaveBands, ASineReadsItsLevelInItsBand) {
    constexpr std::int32_t kLength = 32768;
    constexpr std::int32_t kRate = 48000;
    auto an = MakeAnalyzer();
    AppSettings s{};
    s.fftLength = kLength;
    s.halfLength = kLength / 2;
    ASSERT_EQ(SetupAnalyzer(*an, s), 1);
    an->activeWindow = kWindowHanning;
    const double powerSum = WindowPowerSum(*an);
    struct Case {
        int x;             // the 1/3-octave band the sine is centred in
        double amplitude;  // of full scale
        BandWeighting weighting;
    };
    const Case cases[] = {
        {-10, 0.5, BandWeighting::kZ}, {0, 1.0, BandWeighting::kZ}, {10, 0.01, BandWeighting::kZ},
        {-7, 0.25, BandWeighting::kA}, {9, 0.25, BandWeighting::kC},
    };
    for (const Case& c : cases) {
        const double hz = BandCentreHz(3, c.x);
        for (std::int32_t j = 0; j < kLength; ++j) {
            an->sampleFrame[j] = c.amplitude * 32768.0 * std::sin(2.0 * std::numbers::pi * hz * j / kRate + 0.3);
        }
        ApplyWindow(*an);
        ComputeSpectrum(*an);
        OctaveBands bands;
        bands.Plan({3, c.weighting}, kRate, kLength, powerSum);
        const auto levels = bands.Measure(an->binPower);
        std::size_t at = 0;
        while (at < bands.Bands().size() && std::fabs(bands.Bands()[at].centreHz - hz) > 1e-6 * hz) ++at;
        ASSERT_LT(at + 2, levels.size()) << hz;
        ASSERT_GE(at, 2u) << hz;
        const double want = 20.0 * std::log10(c.amplitude) + WeightingDb(c.weighting, hz);
        EXPECT_NEAR(levels[at], want, 0.05) << hz << " Hz";
        EXPECT_LE(levels[at - 2], want - 40.0) << hz << " Hz, two bands below";
        EXPECT_LE(levels[at + 2], want - 40.0) << hz << " Hz, two bands above";
    }
    // White noise of variance v, its power the mean of 16 frames: a band
    // holds v times its width over half the rate, against a full-scale
    // sine's power of 32768^2 / 2.
    std::mt19937 random(27);
    std::normal_distribution<double> noise(0.0, 1000.0);
    constexpr int kFrames = 16;
    std::vector<double> power(kLength / 2, 0.0);
    for (int f = 0; f < kFrames; ++f) {
        for (std::int32_t j = 0; j < kLength; ++j) an->sampleFrame[j] = noise(random);
        ApplyWindow(*an);
        ComputeSpectrum(*an);
        for (std::int32_t k = 0; k < kLength / 2; ++k) power[k] += an->binPower[k] / kFrames;
    }
    OctaveBands bands;
    bands.Plan({3, BandWeighting::kZ}, kRate, kLength, powerSum);
    const auto levels = bands.Measure(power.data());
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const Band& band = bands.Bands()[i];
        if (band.centreHz < 2000.0 || band.centreHz > 16000.0) continue;
        const double share = (band.upperHz - band.lowerHz) / (kRate / 2.0);
        const double want = 10.0 * std::log10(1000.0 * 1000.0 * share / (32768.0 * 32768.0 / 2.0));
        EXPECT_NEAR(levels[i], want, 0.3) << "noise at " << band.centreHz << " Hz";
    }
}

}  // namespace
