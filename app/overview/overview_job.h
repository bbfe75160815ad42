// The overview of the file that plays, computed in the background: which
// file it is, the time span the user asked to see, the computation under
// way and the last picture's data it finished.
//
// The span is kept here, not in the view: the keys change it on the
// user-interface thread and the pointer on the frame loop's (app/frame/
// overview_hooks_win.h); each reads it, moves it and writes it back.
//
// Computing: Want starts the engine (display/overview_picture.h) on a thread
// of its own for a request unless that request is the one computed last or
// being computed; a computation of another request is cancelled first, and
// Want returns once it has ended (the engine looks at the cancel flag every
// frame, so that is quick). A computation that finishes replaces Latest;
// one cancelled, or of a file that has been closed since, is dropped. A file
// that cannot be read leaves Latest as it was and is not asked again for the
// same request.
//
// Threads: Open and Close on the user-interface thread; everything else on
// any thread. One lock guards the fields; a second one orders the starts and
// ends of the computing thread, which never takes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/frame/view_zoom.h"
#include "display/overview_picture.h"

class OverviewJob {
public:
    // Opens the file's bytes again for each computation; may return null.
    using Opener = std::function<std::unique_ptr<ByteSource>()>;

    OverviewJob() = default;
    ~OverviewJob();
    OverviewJob(const OverviewJob&) = delete;
    OverviewJob& operator=(const OverviewJob&) = delete;

    // A file of `frames` frames at `rateHz` to show whole; forgets the last.
    void Open(Opener opener, std::uint64_t frames, std::int32_t rateHz);
    // No file: ends the computation (returns once it has) and forgets.
    void Close();

    bool IsOpen() const;
    std::uint64_t Frames() const;
    std::int32_t RateHz() const;
    OverviewSpan Span() const;
    void SetSpan(OverviewSpan span);

    // See Computing above. Nothing while no file is open.
    void Want(OverviewRequest request);
    // The last finished overview, or null.
    std::shared_ptr<const FileOverview> Latest() const;
    // Percent done of the computation under way, or -1 when none runs.
    int ProgressPercent() const;

    // Whether the lower view shows the overview now (set by the frame loop,
    // read by the window to send the wheel there).
    void SetShown(bool shown) { shown_.store(shown, std::memory_order_relaxed); }
    bool Shown() const { return shown_.load(std::memory_order_relaxed); }

private:
    // Cancels and joins the computing thread (control_ held, lock_ not).
    void EndComputation();

    mutable std::mutex lock_;
    Opener opener_;                                    // lock_
    std::uint64_t frames_ = 0;                         // lock_
    std::int32_t rateHz_ = 0;                          // lock_
    OverviewSpan span_;                                // lock_
    std::uint64_t generation_ = 0;                     // lock_: counts Open and Close
    bool asked_ = false;                               // lock_: `wanted_` holds a request
    OverviewRequest wanted_;                           // lock_: computed last or being computed
    std::shared_ptr<OverviewProgress> progress_;       // lock_: of the computation under way
    bool running_ = false;                             // lock_
    std::shared_ptr<const FileOverview> latest_;       // lock_
    std::mutex control_;
    std::thread thread_;                               // control_
    std::atomic<bool> shown_{false};
};
