#include "display/pitch_readout.h"

#include <algorithm>

PitchReadoutFilter::PitchReadoutFilter() { voicedHz_.reserve(kPitchReadoutFrameCapacity); }

void PitchReadoutFilter::Add(const PitchEstimate& frame, double seconds) {
    if (frames_ > 0 && seconds - last_ > kPitchReadoutPeriodSeconds) {
        // Frames from before a pause (another view, a stopped input) are stale.
        voicedHz_.clear();
        frames_ = 0;
        voiced_ = 0;
    }
    last_ = seconds;
    if (frames_ == 0) {
        started_ = seconds;
    }
    ++frames_;
    if (frame.voiced) {
        ++voiced_;
        if (voicedHz_.size() < kPitchReadoutFrameCapacity) {
            voicedHz_.push_back(frame.hz);
        }
    }
    if (seconds - started_ < kPitchReadoutPeriodSeconds) {
        return;
    }
    shown_ = PitchEstimate{};
    if (2 * voiced_ > frames_ && !voicedHz_.empty()) {
        const auto middle = voicedHz_.begin() + static_cast<std::ptrdiff_t>(voicedHz_.size() / 2);
        std::nth_element(voicedHz_.begin(), middle, voicedHz_.end());
        shown_.voiced = true;
        shown_.hz = *middle;
    }
    voicedHz_.clear();
    frames_ = 0;
    voiced_ = 0;
}
