// Reading numbers off a frame: the strongest peak of the spectrum between two
// bins, its frequency between bins and its level corrected for where the tone
// fell, and the level scale relative to a full-scale sine. (The pitch has
// its own tracker, pitch_tracker.h.)
//
// Units: spectrum values are the display levels, 20 x ln|X| of the
// unnormalised transform of the windowed frame (see spectrum.h); bins and
// lags are fractional indices; a full-scale sine has an amplitude of
// kFullScaleAmplitude sample units.
//
// Pure functions of their arguments; callable from any thread.
#pragma once

#include <cstdint>
#include <numbers>

#include "base/settings.h"

// Amplitude of a full-scale sine, in 16-bit sample units (0 dBFS).
inline constexpr double kFullScaleAmplitude = 32768.0;

// The windows are cosine sums a0 - a1 cos(2 pi i / (N - 1)) + a2 cos(4 pi i / (N - 1)),
// i = 0 ... N - 1; an unknown kind is no window (1, 0, 0).
struct WindowCosineSum {
    double a0;
    double a1;
    double a2;
};
WindowCosineSum WindowCosineSumOf(std::int32_t kind);

// Mean of the window table of `kind` over `length` points (sum / length),
// the factor by which the window scales a tone's peak. Unknown kinds count
// as no window (1).
double WindowCoherentGain(std::int32_t kind, std::int32_t length);

// Display level (20 x ln|X|) of a full-scale sine lying exactly on a bin of a
// `length`-point frame windowed by `kind`: 20 ln(A x length x gain / 2).
double FullScaleLevel(std::int32_t kind, std::int32_t length);

// A display level in dB relative to a full-scale sine (dBFS). -inf for a bin
// of zero magnitude.
double LevelDbfs(double level, std::int32_t kind, std::int32_t length);

// The window's amplitude response `offsetBins` away from a tone, relative to
// its response at the tone (1 at 0): how much of a tone's level a bin that
// far away shows.
double WindowKernelGain(std::int32_t kind, double offsetBins);

// Where a lone tone lies relative to the bin of the local maximum `peak`,
// from the levels of that bin and its two neighbours: in [-0.5, 0.5] bins.
// The estimator fits the window: the two-bin magnitude ratio solved in
// closed form for no window and Hann, and inverted against the window's
// own response for Hamming and Blackman.
double PeakBinOffset(std::int32_t kind, double left, double peak, double right);

struct SpectrumPeak {
    bool found;
    std::int32_t index;  // the bin of the local maximum
    double bin;          // interpolated, fractional bin of the tone
    double level;        // the tone's level (display units), corrected for the offset
};

// The strongest local maximum of values[first ... last] (a bin higher than
// its left neighbour and not lower than its right one; the ends of the
// array have no such neighbours and do not count), interpolated for the
// window `kind`. `count` values exist; the range is clipped to them.
// Non-finite values never make a peak.
SpectrumPeak FindSpectrumPeak(const double* values, std::int32_t count, std::int32_t first, std::int32_t last,
                              std::int32_t kind);
