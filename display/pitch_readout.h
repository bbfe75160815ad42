// What the pitch readout shows: not every frame's pitch, which changes too
// often to be read, but one value for each stretch of at least
// kPitchReadoutPeriodSeconds: the median of the stretch's voiced frames, or
// no pitch when at most half of its frames were voiced. The pitch view's
// spectrogram still follows every frame.
//
// Threads: one owner (the frame loop's readout step). Memory: room for a
// stretch's frames is kept; past kPitchReadoutFrameCapacity frames a stretch
// counts the rest without keeping their pitches.
#pragma once

#include <cstddef>
#include <vector>

#include "analysis/pitch_tracker.h"

// At most eight changes a second.
inline constexpr double kPitchReadoutPeriodSeconds = 0.125;
inline constexpr std::size_t kPitchReadoutFrameCapacity = 4096;

class PitchReadoutFilter {
public:
    PitchReadoutFilter();

    // A fresh frame's estimate, at `seconds` on a steady clock. Before the
    // first stretch is over, it shows no pitch; a stretch left unfinished for
    // longer than a period is dropped.
    void Add(const PitchEstimate& frame, double seconds);
    // What the readout shows now.
    const PitchEstimate& Shown() const { return shown_; }

private:
    std::vector<double> voicedHz_;  // the stretch's voiced pitches
    std::size_t frames_ = 0;        // frames in the stretch
    std::size_t voiced_ = 0;
    double started_ = 0.0;  // the stretch's first frame
    double last_ = 0.0;     // the latest frame
    PitchEstimate shown_;
};
