// Cepstrum path: real cepstrum of the windowed frame, smoothed over five lags,
// averaged over frames, minus the CAL reference.
//
// ComputeCepstrum, with N = frameLength of the Analyzer:
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
// h is kRunningWeight and the reference stays frozen. Clearing the
// calibration zeroes the reference and ends a calibration still running, so
// no later frame copies the average back over the cleared reference.
//
// Threads: ComputeCepstrum and Clear run on the frame-loop thread only (a
// clear from a command is handed to the loop between passes). The CAL
// request is the one field another thread changes: the user-interface thread
// raises it (Request), the frame loop takes it with one exchange
// (TakeRequest) and passes it to ComputeCepstrum. The frame loop sets and
// clears `inUse`, which the menu and the status line read.
#pragma once

#include <atomic>
#include <cstdint>

#include "analysis/analyzer.h"

inline constexpr std::int32_t kCalibrationFrames = 128;
inline constexpr std::int32_t kCalibrationWeight = 128;
inline constexpr std::int32_t kRunningWeight = 4;

// The process-wide CAL state (not saved with the settings, apart from a
// pending request: see the settings file): the running average, the
// reference and the one-shot request. Zero-initialised: idle, no average,
// no reference, nothing requested. About 0.5 MiB: keep it on the heap.
// Owned by the program's frame analysis.
struct CepstrumCalibration {
    double calAverage[kMaxFrameLength];    // running average per lag
    double calReference[kMaxFrameLength];  // CAL reference subtracted from the cepstrum
    std::int32_t calCountdown;             // calibration frames still to run
    std::int32_t averageWeight;            // h in force for the last frame
    std::atomic<std::uint8_t> request;     // 1: a CAL waits for the next cepstrum frame
    std::atomic<std::uint8_t> inUse;       // 1: from a CAL's first frame until Clear

    // Any thread: asks for a CAL on the next cepstrum frame.
    void Request() { request.store(1, std::memory_order_release); }
    bool Requested() const { return request.load(std::memory_order_acquire) == 1; }
    // Any thread: a reference is being built or subtracted.
    bool InUse() const { return inUse.load(std::memory_order_acquire) == 1; }
    // Frame-loop thread: the pending request (0 or 1), cleared.
    std::uint8_t TakeRequest() { return request.exchange(0, std::memory_order_acq_rel); }
    // Frame-loop thread, between frames: zeroes the reference and ends a
    // calibration still running. The running average and a pending request stay.
    void Clear();
};

void ComputeCepstrum(Analyzer& an, CepstrumCalibration& cal, std::uint8_t calRequest);
