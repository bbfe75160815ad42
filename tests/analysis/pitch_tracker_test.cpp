#include "analysis/pitch_tracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kRateHz = 44100.0;
constexpr double kSeconds = 1.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A test signal and its true pitch at a time (0 for none).
struct Signal {
    std::vector<double> samples;
    std::function<double(double)> truth;
};

// Harmonics `first` ... below 5 kHz (at most 12) of f0 with a vibrato of
// `depth` (a fraction of f0) at 5 Hz; amplitude of harmonic k from `amp`,
// phases random.
Signal Harmonic(double f0, int first, double depth, const std::function<double(int, std::mt19937&)>& amp,
                std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> phase(0.0, kTwoPi);
    struct Partial {
        int k;
        double a;
        double phase;
    };
    std::vector<Partial> partials;
    for (int k = first; k <= 12 && k * f0 * (1.0 + depth) < 5000.0; ++k) {
        partials.push_back({k, amp(k, gen), phase(gen)});
    }
    constexpr double kVibratoHz = 5.0;
    Signal s;
    s.truth = [=](double t) { return f0 * (1.0 + depth * std::sin(kTwoPi * kVibratoHz * t)); };
    s.samples.resize(static_cast<std::size_t>(kSeconds * kRateHz));
    for (std::size_t i = 0; i < s.samples.size(); ++i) {
        const double t = i / kRateHz;
        // The phase of the fundamental: 2 pi times the integral of its frequency.
        const double cycles = f0 * (t - depth * std::cos(kTwoPi * kVibratoHz * t) / (kTwoPi * kVibratoHz));
        double v = 0.0;
        for (const Partial& p : partials) v += p.a * std::sin(kTwoPi * p.k * cycles + p.phase);
        s.samples[i] = 3000.0 * v;
    }
    return s;
}

double Rms(const std::vector<double>& x) {
    double sum = 0.0;
    for (double v : x) sum += v * v;
    return std::sqrt(sum / x.size());
}

// White Gaussian noise of `rms`; pink by Kellet's filter when `pink`.
std::vector<double> Noise(double rms, bool pink, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> white(0.0, 1.0);
    std::vector<double> x(static_cast<std::size_t>(kSeconds * kRateHz));
    double b[7] = {};
    for (double& v : x) {
        const double w = white(gen);
        if (!pink) {
            v = w;
            continue;
        }
        b[0] = 0.99886 * b[0] + w * 0.0555179;
        b[1] = 0.99332 * b[1] + w * 0.0750759;
        b[2] = 0.96900 * b[2] + w * 0.1538520;
        b[3] = 0.86650 * b[3] + w * 0.3104856;
        b[4] = 0.55000 * b[4] + w * 0.5329522;
        b[5] = -0.7616 * b[5] - w * 0.0168980;
        v = b[0] + b[1] + b[2] + b[3] + b[4] + b[5] + b[6] + w * 0.5362;
        b[6] = w * 0.115926;
    }
    const double scale = rms / Rms(x);
    for (double& v : x) v *= scale;
    return x;
}

// The same signal with white noise 20 dB below it.
Signal WithNoise(Signal s, std::uint32_t seed) {
    const std::vector<double> noise = Noise(Rms(s.samples) / 10.0, false, seed);
    for (std::size_t i = 0; i < s.samples.size(); ++i) s.samples[i] += noise[i];
    return s;
}

double Random(int, std::mt19937& gen) { return std::uniform_real_distribution<double>(0.1, 1.0)(gen); }
double OneOverK(int k, std::mt19937&) { return 1.0 / k; }
double StrongSecond(int k, std::mt19937&) { return k == 2 ? 3.0 : 1.0 / k; }

// The track of each signal against its truth, on the rows whose window
// lies inside the signal: a pitch within 0.5 % on at least 99 % of them;
// silence and noise: no pitch on at least 99 % of all rows.
TEST(PitchTrack, SyntheticSignalsAgainstTheTruth) {
    struct Case {
        std::string name;
        Signal signal;
    };
    std::vector<Case> cases;
    std::uint32_t seed = 1;
    for (const double f0 : {60.0, 100.0, 150.0, 220.0, 350.0, 500.0, 700.0, 1000.0}) {
        cases.push_back({"random " + std::to_string(f0), Harmonic(f0, 1, 0.0, Random, seed++)});
    }
    cases.push_back({"1/k 200", Harmonic(200.0, 1, 0.0, OneOverK, seed++)});
    cases.push_back({"1/k 85", Harmonic(85.0, 1, 0.0, OneOverK, seed++)});
    cases.push_back({"missing fundamental 150", Harmonic(150.0, 2, 0.0, Random, seed++)});
    cases.push_back({"missing fundamental 400", Harmonic(400.0, 2, 0.0, OneOverK, seed++)});
    cases.push_back({"strong second 180", Harmonic(180.0, 1, 0.0, StrongSecond, seed++)});
    cases.push_back({"strong second 320", Harmonic(320.0, 1, 0.0, StrongSecond, seed++)});
    cases.push_back({"vibrato 220", Harmonic(220.0, 1, 0.03, OneOverK, seed++)});
    cases.push_back({"vibrato 600", Harmonic(600.0, 1, 0.03, Random, seed++)});
    const std::size_t clean = cases.size();
    for (std::size_t i = 0; i < clean; ++i) {
        cases.push_back({cases[i].name + " + noise", WithNoise(cases[i].signal, seed++)});
    }
    const auto none = [](double) { return 0.0; };
    cases.push_back({"silence", {std::vector<double>(static_cast<std::size_t>(kSeconds * kRateHz)), none}});
    cases.push_back({"white noise", {Noise(3000.0, false, seed++), none}});
    cases.push_back({"pink noise", {Noise(3000.0, true, seed++), none}});

    const PitchRange range{};
    const double halfWindowSeconds = PitchWindowSamples(kRateHz, range.lowHz) / 2.0 / kRateHz;
    for (const Case& c : cases) {
        const std::vector<PitchEstimate> track = TrackPitch(c.signal.samples.data(), c.signal.samples.size(), kRateHz, range);
        ASSERT_EQ(track.size(), static_cast<std::size_t>(kSeconds / kPitchTrackStepSeconds)) << c.name;
        int rows = 0;
        int good = 0;
        for (std::size_t i = 0; i < track.size(); ++i) {
            const double t = i * kPitchTrackStepSeconds;
            const double truth = c.signal.truth(t);
            if (truth == 0.0) {
                ++rows;
                good += track[i].voiced ? 0 : 1;
                continue;
            }
            if (t < halfWindowSeconds || t + halfWindowSeconds > kSeconds) {
                continue;
            }
            ++rows;
            good += track[i].voiced && std::fabs(track[i].hz / truth - 1.0) <= 0.005 ? 1 : 0;
        }
        EXPECT_GE(good, 0.99 * rows) << c.name << ": " << good << " of " << rows;
    }
}

}  // namespace
