// Averaging of the spectrum over time, so that noise and music read steady
// levels instead of jumping from frame to frame.
//
// Input is a frame as the spectrum path gives it (analysis/spectrum.h): the
// power |X|^2 of each bin and its level 20 ln|X|. The average is taken of
// the power, never of the levels, and handed back both as power (for the
// band levels) and as levels, 10 ln(power). A bin of zero power reads
// -infinity, as before.
//
// Modes:
//   off          the frame as it is;
//   exponential  p_avg += (1 - e^(-dt / tau)) * (p - p_avg), dt the time since
//                the last frame, tau `seconds`; after a step of the input the
//                average follows 1 - e^(-t / tau);
//   linear       the mean power of the last `frames` frames (fewer until as
//                many have come since the reset);
//   max hold     the largest power each bin has had since the reset.
// The first frame after a reset (or a change of the bin count or the
// choice) starts every mode off at that frame.
//
// Threads: one owner; the frame loop calls Apply, and changes the choice or
// resets between passes. Memory: owns its buffers, which grow with the bin
// count and (linear) the number of frames; a steady bin count allocates once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class AverageMode : std::uint8_t { kOff = 0, kExponential = 1, kLinear = 2, kMaxHold = 3 };

// The time constants of the menu's two exponential choices, seconds.
inline constexpr double kAverageFastSeconds = 0.125;
inline constexpr double kAverageSlowSeconds = 1.0;
// Frames of the linear mean by default, and the range a setting may take.
inline constexpr int kAverageDefaultFrames = 16;
inline constexpr int kAverageMaxFrames = 256;
// Range of the exponential time constant a setting may take, seconds.
inline constexpr double kAverageMinSeconds = 0.01;
inline constexpr double kAverageMaxSeconds = 60.0;

struct AverageChoice {
    AverageMode mode = AverageMode::kOff;
    double seconds = kAverageSlowSeconds;  // exponential: tau
    int frames = kAverageDefaultFrames;    // linear: N

    bool operator==(const AverageChoice&) const = default;
};

// An averaged spectrum: binCount powers and their levels.
struct AveragedSpectrum {
    const double* levels = nullptr;
    const double* power = nullptr;
};

class SpectrumAverage {
public:
    // Takes a new choice; anything else than the current one starts over.
    void Choose(const AverageChoice& choice);
    const AverageChoice& Choice() const { return choice_; }
    // Forgets what was averaged: the next frame starts over.
    void Reset();

    // Adds a frame of `binCount` bins (its levels and powers) taken
    // `elapsedSeconds` after the one before (exponential mode; negative
    // counts as 0) and returns the average, valid until the next call of any
    // member. With averaging off it returns the frame itself.
    AveragedSpectrum Apply(const double* levels, const double* power, int binCount, double elapsedSeconds);
    // The average again, without a new frame (a frame that is not new); the
    // frame itself when there is no average yet or averaging is off.
    AveragedSpectrum Current(const double* levels, const double* power, int binCount) const;

private:
    void Start(const double* power, int binCount);
    void ToLevels(int binCount);

    AverageChoice choice_;
    int binCount_ = 0;  // 0: nothing averaged since the reset
    std::vector<double> power_;    // the averaged power per bin
    std::vector<double> levels_;   // power_ as levels
    std::vector<double> history_;  // linear: the last frames' power, frames x binCount, a ring
    int historyNext_ = 0;
    int historyFilled_ = 0;
};
