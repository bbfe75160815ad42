#include "analysis/spectrum_average.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Levels are 20 ln|X|: a power p reads 10 ln p.
double LevelOf(double power) { return 10.0 * std::log(power); }
double PowerOf(double level) { return std::exp(level / 10.0); }

// Silence, then a step to a steady power: the exponential average follows
// 1 - e^(-t / tau) of the step; the linear mean reaches it after N frames
// in steps of 1 / N; max hold keeps the loudest frame after it drops. Two
// bins, so that a quiet bin beside a loud one is checked too.
TEST(SpectrumAverage, EachModeFollowsItsFormula) {
    const double silence = -std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        AverageChoice choice;
        double frameSeconds;
        std::vector<double> powers;                   // per frame, bin 0; bin 1 is 1e-9 times it
        double (*expected)(int frame, double t);  // power after the frame
    };
    const Case cases[] = {
        {"exponential fast", {AverageMode::kExponential, kAverageFastSeconds, 16}, 0.01,
         {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         [](int f, double t) { return f == 0 ? 0.0 : 1.0 - std::exp(-t / kAverageFastSeconds); }},
        {"exponential slow, long frames", {AverageMode::kExponential, kAverageSlowSeconds, 16}, 0.3,
         {0, 1, 1, 1, 1, 1, 1, 1, 1},
         [](int f, double t) { return f == 0 ? 0.0 : 1.0 - std::exp(-t / kAverageSlowSeconds); }},
        {"linear over 4", {AverageMode::kLinear, 1.0, 4}, 0.02, {0, 0, 0, 0, 4, 4, 4, 4, 4},
         [](int f, double) { return f < 4 ? 0.0 : std::min(f - 3, 4) * 1.0; }},
        {"linear, fewer frames than N so far", {AverageMode::kLinear, 1.0, 8}, 0.02, {2, 4, 6},
         [](int f, double) { return 2.0 + f; }},
        {"max hold", {AverageMode::kMaxHold, 1.0, 16}, 0.02, {1, 5, 2, 0, 3},
         [](int f, double) { return f == 0 ? 1.0 : 5.0; }},
        {"off", {AverageMode::kOff, 1.0, 16}, 0.02, {1, 5, 2},
         [](int f, double) { return f == 0 ? 1.0 : f == 1 ? 5.0 : 2.0; }},
    };
    for (const Case& c : cases) {
        SpectrumAverage average;
        average.Choose(c.choice);
        for (std::size_t f = 0; f < c.powers.size(); ++f) {
            const double p = c.powers[f];
            const double levels[2] = {p > 0 ? LevelOf(p) : silence, p > 0 ? LevelOf(p * 1e-9) : silence};
            const double powers[2] = {p, p * 1e-9};
            const AveragedSpectrum averaged = average.Apply(levels, powers, 2, f == 0 ? 0.0 : c.frameSeconds);
            const double* out = averaged.levels;
            // The step lands at frame 1: t counts from there.
            const double t = static_cast<double>(f) * c.frameSeconds;
            const double want = c.expected(static_cast<int>(f), t);
            if (want == 0.0) {
                EXPECT_EQ(out[0], silence) << c.what << ", frame " << f;
                continue;
            }
            EXPECT_NEAR(PowerOf(out[0]), want, 0.01 * want) << c.what << ", frame " << f;
            EXPECT_NEAR(PowerOf(out[1]), want * 1e-9, 0.01 * want * 1e-9) << c.what << ", frame " << f;
            EXPECT_NEAR(averaged.power[0], want, 0.01 * want) << c.what << ", frame " << f;
        }
    }
    // A mean of one frame gives every level back through the power and back,
    // far below what a readout shows, from the quietest to the loudest.
    SpectrumAverage one;
    one.Choose({AverageMode::kLinear, 1.0, 1});
    std::vector<double> levels;
    for (double level = -7000.0; level <= 7000.0; level += 0.37) levels.push_back(level);
    levels.push_back(silence);
    std::vector<double> powers;
    for (double level : levels) powers.push_back(PowerOf(level));
    const int count = static_cast<int>(levels.size());
    one.Apply(levels.data(), powers.data(), count, 0.1);
    const double* out = one.Apply(levels.data(), powers.data(), count, 0.1).levels;
    for (std::size_t k = 0; k + 1 < levels.size(); ++k) {
        ASSERT_NEAR(out[k], levels[k], 1e-9) << "level " << levels[k];
    }
    EXPECT_EQ(out[levels.size() - 1], silence);
}

}  // namespace
