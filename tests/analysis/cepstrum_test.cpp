#include "analysis/cepstrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "analysis/rdft.h"
#include "analysis_support.h"

namespace {

using analysis_test::analyzerFor;
using analysis_test::fillRandomSamples;

std::unique_ptr<CepstrumCalibration> freshCalibration() { return std::make_unique<CepstrumCalibration>(); }

// A sawtooth of period `period` samples, Hanning-windowed, into the frame.
void fillSawtooth(Analyzer& an, std::int32_t period) {
    for (std::int32_t i = 0; i < an.frameLength; i++) an.sampleFrame[i] = 12000.0 * ((i % period) / double(period) - 0.5);
    an.activeWindow = 1;
    ApplyWindow(an);
}

void fillConstant(Analyzer& an, double value) {
    for (std::int32_t i = 0; i < an.frameLength; i++) an.sampleFrame[i] = value;
}

// Runs one ordinary frame so that the average holds something; returns it.
std::vector<double> primeAverage(Analyzer& an, CepstrumCalibration& avg, std::uint32_t seed) {
    fillRandomSamples(an, seed);
    ComputeCepstrum(an, avg, 0);
    return std::vector<double>(avg.calAverage, avg.calAverage + kMaxFrameLength);
}

bool sameAverage(const CepstrumCalibration& avg, const std::vector<double>& before) {
    return std::memcmp(avg.calAverage, before.data(), sizeof(double) * kMaxFrameLength) == 0;
}

bool allFinite(const double* v, std::int32_t n) {
    for (std::int32_t i = 0; i < n; i++) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

TEST(ComputeCepstrum, PeriodicSignalPeaksAtItsPeriod) {
    const struct {
        std::int32_t n;
        std::int32_t period;
    } cases[] = {{4096, 50}, {4096, 100}, {8192, 160}, {2048, 73}};
    for (const auto& c : cases) {
        auto an = analyzerFor(c.n);
        auto avg = freshCalibration();
        fillSawtooth(*an, c.period);
        ComputeCepstrum(*an, *avg, 0);
        std::int32_t peak = 20;  // past the low-lag envelope
        for (std::int32_t q = 20; q < c.n / 2; q++) {
            if (an->outRe[q] > an->outRe[peak]) peak = q;
        }
        EXPECT_NEAR(peak, c.period, 2) << "N " << c.n;
    }
}

// Steps 1-5 redone here with the transform itself: the five-point smoothing,
// its edges divided by 5 too, and the first frame's averaging (h = 4 from a
// zero average) give exactly these values.
TEST(ComputeCepstrum, SmoothingAndFirstAverageMatchTheirFormulas) {
    constexpr std::int32_t n = 1024;
    auto an = analyzerFor(n);
    auto avg = freshCalibration();
    fillRandomSamples(*an, 5);
    std::vector<double> a(an->sampleFrame, an->sampleFrame + n);
    std::vector<std::int32_t> ip(kRdftIndexEntries, 0);
    std::vector<double> w(n / 2, 0.0);
    rdft(n, 1, a.data(), ip.data(), w.data());
    std::vector<double> y(n);
    for (std::int32_t k = 0; k < n / 2; k++) {
        y[2 * k] = 10.0 * (std::log10(std::sqrt(a[2 * k] * a[2 * k] + a[2 * k + 1] * a[2 * k + 1])) * 0.00048828125);
        y[2 * k + 1] = 0;
    }
    rdft(n, -1, y.data(), ip.data(), w.data());

    ComputeCepstrum(*an, *avg, 0);
    EXPECT_EQ(avg->averageWeight, 4);
    const struct {
        std::int32_t q;
        double smoothed;
    } cases[] = {
        {0, (0.0 + 0.0 + y[0] + y[1] + y[2]) / 5.0 * 1000.0},
        {1, (0.0 + y[0] + y[1] + y[2] + y[3]) / 5.0 * 1000.0},
        {2, (y[0] + y[1] + y[2] + y[3] + y[4]) / 5.0 * 1000.0},
        {500, (y[498] + y[499] + y[500] + y[501] + y[502]) / 5.0 * 1000.0},
        {n - 2, (y[n - 4] + y[n - 3] + y[n - 2] + y[n - 1] + 0.0) / 5.0 * 1000.0},
        {n - 1, (y[n - 3] + y[n - 2] + y[n - 1] + 0.0 + 0.0) / 5.0 * 1000.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(an->outRe[c.q], c.smoothed / 4) << c.q;
        // The average keeps (h - 1)/h of the shown value, in floating point.
        EXPECT_EQ(avg->calAverage[c.q], 0.75 * (c.smoothed / 4)) << c.q;
    }
}

// CAL: the requesting frame and the 127 after it average with h = 128 and
// copy the average into the reference; the 129th frame is back to h = 4 and
// leaves the reference frozen.
TEST(ComputeCepstrum, CalibrationRuns128FramesThenFreezesTheReference) {
    constexpr std::int32_t n = 1024;
    auto an = analyzerFor(n);
    auto avg = freshCalibration();
    std::vector<double> reference(kMaxFrameLength);
    for (std::int32_t frame = 1; frame <= 130; frame++) {
        fillRandomSamples(*an, 100 + frame);
        ComputeCepstrum(*an, *avg, frame == 1 ? 1 : 0);
        const bool calibrating = frame <= 128;
        ASSERT_EQ(avg->averageWeight, calibrating ? 128 : 4) << frame;
        ASSERT_EQ(avg->calCountdown, calibrating ? 128 - frame : 0) << frame;
        if (calibrating) {
            ASSERT_EQ(std::memcmp(avg->calReference, avg->calAverage, sizeof(double) * kMaxFrameLength), 0) << frame;
            // Shown: v - (127/128) v, near 0 against the unscaled cepstrum.
            EXPECT_LT(std::fabs(an->outRe[n / 4]), 1.0) << frame;
            std::memcpy(reference.data(), avg->calReference, sizeof(double) * kMaxFrameLength);
        } else {
            ASSERT_EQ(std::memcmp(avg->calReference, reference.data(), sizeof(double) * kMaxFrameLength), 0) << frame;
        }
    }
    fillRandomSamples(*an, 999);
    ComputeCepstrum(*an, *avg, 1);  // a new CAL restarts at once
    EXPECT_EQ(avg->calCountdown, 127);
    EXPECT_EQ(avg->averageWeight, 128);
}

// Clearing the calibration (a new rate or data length) while a CAL still
// runs ends it: the frames after the clear neither copy the average back
// into the reference nor keep averaging with the calibration's weight.
TEST(ComputeCepstrum, ClearingEndsACalibrationStillRunning) {
    constexpr std::int32_t n = 1024;
    auto an = analyzerFor(n);
    auto avg = freshCalibration();
    for (std::int32_t frame = 1; frame <= 10; frame++) {
        fillRandomSamples(*an, 200 + frame);
        ComputeCepstrum(*an, *avg, frame == 1 ? 1 : 0);
    }
    ASSERT_GT(avg->calCountdown, 0);
    avg->Clear();
    const std::vector<double> zero(kMaxFrameLength, 0.0);
    for (std::int32_t frame = 1; frame <= 3; frame++) {
        fillRandomSamples(*an, 300 + frame);
        ComputeCepstrum(*an, *avg, 0);
        EXPECT_EQ(avg->averageWeight, kRunningWeight) << frame;
        EXPECT_EQ(std::memcmp(avg->calReference, zero.data(), sizeof(double) * kMaxFrameLength), 0) << frame;
    }
}

TEST(ComputeCepstrum, SilentFrameIsNotAveraged) {
    auto an = analyzerFor(1024);
    auto avg = freshCalibration();
    const std::vector<double> before = primeAverage(*an, *avg, 3);
    fillConstant(*an, 0.0);
    ComputeCepstrum(*an, *avg, 0);
    EXPECT_TRUE(sameAverage(*avg, before));
}

// Non-silent frames with zero-magnitude bins (a constant without a window)
// have non-finite cepstra: shown as they are, but never averaged.
TEST(ComputeCepstrum, NonFiniteFrameIsShownButNotAveraged) {
    auto an = analyzerFor(1024);
    auto avg = freshCalibration();
    const std::vector<double> before = primeAverage(*an, *avg, 4);
    fillConstant(*an, 1000.0);
    ComputeCepstrum(*an, *avg, 0);
    EXPECT_FALSE(allFinite(an->outRe, 1024));
    EXPECT_TRUE(sameAverage(*avg, before));
    fillRandomSamples(*an, 6);
    ComputeCepstrum(*an, *avg, 0);
    EXPECT_TRUE(allFinite(an->outRe, 1024));
}

// A CAL on digital silence or on a non-finite frame must not leave NaN in
// the reference: later frames stay finite.
TEST(ComputeCepstrum, CalibrationOnABadFrameKeepsTheReferenceFinite) {
    const double levels[] = {0.0, 1000.0};
    for (double level : levels) {
        auto an = analyzerFor(1024);
        auto avg = freshCalibration();
        fillConstant(*an, level);
        ComputeCepstrum(*an, *avg, 1);
        EXPECT_TRUE(allFinite(avg->calAverage, kMaxFrameLength)) << level;
        EXPECT_TRUE(allFinite(avg->calReference, kMaxFrameLength)) << level;
        for (std::int32_t frame = 0; frame < 3; frame++) {
            fillRandomSamples(*an, 50 + frame);
            ComputeCepstrum(*an, *avg, 0);
            EXPECT_TRUE(allFinite(an->outRe, 1024)) << level << " frame " << frame;
        }
    }
}

}  // namespace
