// Cepstrum path: real cepstrum of the windowed frame, smoothed over five lags,
// averaged over frames, minus the CAL reference.
//
// computeCepstrum, with N = frameLength of the Analyzer:
//   outRe[q], 0 <= q < N: the smoothed, averaged cepstrum at a lag of q
//   samples (quefrency q / sampleRate seconds), scaled by 1000; displays use
//   the first N/2 values.
// Steps: forward rdft of sampleFrame in place; an activity sum s (truncating
// 32-bit sum of the transform); L[k] = log10|X[k]| / 2048 into imagInput
// (k = 0 pairs the values at frequency 0 and N/2); backward rdft of 10 L;
// five-point smoothing (outside 0 ... N-1 counts as 0, always divided by 5);
// averaging with weight h; calibration; reference subtraction.
//
// Averaging: v = calAverage[q] + outRe[q] / h shown, calAverage[q] =
// (h - 1)/h * v: the display moves 1/h of the way to each new frame. A frame
// is shown unaveraged when s is 0 (digital silence) or when any of its
// smoothed values is not finite, so one bad frame cannot poison the average.
//
// Calibration (CAL): a frame with calRequest 1 restarts the average from its
// own smoothed values (non-finite ones as 0) and runs 128 frames with
// h = kCalibrationWeight, each copying the average into calReference; then
// h is kRunningWeight and the reference stays frozen.
//
// Threads: frame-loop thread only. calRequest is read by the caller from the
// settings (written by the user-interface thread) and cleared after the call.
#pragma once

#include <cstdint>

#include "analysis/analyzer.h"

inline constexpr std::int32_t kCalibrationFrames = 128;
inline constexpr std::int32_t kCalibrationWeight = 128;
inline constexpr std::int32_t kRunningWeight = 4;

// Process-wide state of the cepstrum average (not saved with the settings).
// Zero-initialised: idle, no average yet.
struct CepstrumAverage {
    double calAverage[kMaxFrameLength];  // running average per lag
    std::int32_t calCountdown;           // calibration frames still to run
    std::int32_t averageWeight;          // h in force for the last frame
};

void computeCepstrum(Analyzer& an, CepstrumAverage& avg, std::uint8_t calRequest);
