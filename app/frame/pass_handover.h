// Changes that must land between two frame-loop passes: a new data length
// (the analysis's set-up), a re-opened capture device, a cleared calibration.
// A pass reads the analysis's tables and the sample ring from its fetch to
// its last drawing call, so nothing may replace them while it runs; instead
// the user-interface thread hands the change to the loop, which runs it at
// the top of its next pass.
//
// Threads: Post and Done from any thread (the user-interface thread in
// practice); RunPending on the frame-loop thread between passes, or on the
// thread that stopped the loop once it has ended. One small lock guards the
// queue; a change runs outside it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

class PassHandover {
public:
    using Change = std::function<void()>;

    // Queues a change; changes run in the order they were posted. Returns a
    // ticket for Done.
    std::uint64_t Post(Change change);

    // Runs every change queued so far, in order; returns how many ran.
    int RunPending();

    // True once the change with this ticket (and every earlier one) has run.
    bool Done(std::uint64_t ticket) const;

private:
    mutable std::mutex lock_;
    std::deque<Change> queue_;
    std::uint64_t posted_ = 0;
    std::uint64_t done_ = 0;
};
