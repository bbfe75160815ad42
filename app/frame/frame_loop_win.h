// FrameLoop: the worker thread that makes the display live. Every pass it
// takes the newest frame, analyses it, draws the traces into the upper view,
// adds the spectrogram column, copies both views to the screen and turns a
// dragged divider into a new split and a re-layout.
//
// Threads:
//  - Start, Stop, RunBetweenPasses and RunAfterScreenCopy are called on the
//    user-interface thread. The last three wait for the loop while
//    dispatching the messages other threads send to this one (the loop's
//    WM_SIZE), so the two threads never wait for each other.
//  - The pass runs on its own thread. It holds the App's draw lock from the
//    selection copy to the screen copies and never while it sends a message.
//  - Changes of the analysis set-up and clears of the calibration reach the
//    loop through RunBetweenPasses: they run at the top of a pass, never
//    inside one, and posting one ends the loop's pause early. A re-open of
//    the capture needs no hand-over: the pass only reads the sample ring,
//    which a re-open leaves as it is.
//  - The once-a-second tick is the App's `secondTick`, raised by the
//    status loop and taken here inside the draw lock; so is the two-second
//    restart of the peak-hold line, the App's `peakHoldRestart`.
//  - The trace point buffers are the loop's own; only its thread touches
//    them. LastFrame may be read by a change run between passes (or while
//    the loop is stopped): that is when the frame's buffers hold still.
//  - The pass never reads the settings image: at its top, after the pause
//    and the hand-overs, it takes the copy last published (App's
//    `published`) and draws the whole pass from it. What the pass changes — zoom,
//    upper-view height, frame count, selection, a dragged split — it writes
//    into the App's `live` state.
//
// Ownership: the loop borrows the App record and the analysis stage; both
// must outlive it (Stop, or the destructor, ends the thread first). It owns
// the trace point buffers (display/trace_points.h) and the band view's
// fill (display/band_fill.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "app/frame/frame_analysis.h"
#include "app/frame/pass_handover.h"
#include "app/frame/peak_hold.h"
#include "base/settings.h"
#include "base/pixel_coord.h"
#include "base/unique_handle_win.h"
#include "display/band_bars.h"
#include "display/band_fill.h"
#include "display/trace_points.h"

struct App;
struct SpectrumTraceInput;
namespace Bitmaplib {
class PlotView;
}

// Steps of a pass that other parts of the display provide; each runs inside
// the draw lock and may be empty. `settings` is the pass's copy.
struct FrameHooks {
    // One spectrogram column from the frame (RUN and REC only).
    std::function<void(const FrameData&, const AppSettings& settings)> spectrogramColumn;
    // The frequency labels, while a selection is being dragged.
    std::function<void(const AppSettings& settings)> UpdateScaleLabels;
    // A file's whole spectrogram drawn into the lower view every pass, with
    // its own cursor readout, in place of the scrolling columns; false when
    // there is none to show (the columns then scroll as ever).
    std::function<bool(const FrameData&, const AppSettings& settings)> overview;
    // Readouts drawn over the views just before the screen copies, and
    // taken out of the views again right after them; `overview`: the lower
    // view shows the overview this pass (which has its own readout).
    std::function<void(const FrameData&, const AppSettings& settings, bool overview)> drawReadouts;
    std::function<void()> clearReadouts;
};

// The band view's scales for a frame drawn into an upper view `width`
// pixels wide at `levels`; the readouts read the bars by the same scales.
BandScale BandScaleOf(const FrameData& frame, const AppSettings& s, std::int32_t width, const ViewLevels& levels);

class FrameLoop {
public:
    FrameLoop(App& app, FrameAnalysis& analysis, FrameHooks hooks = {});
    ~FrameLoop();
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;

    // Takes the published settings and starts the thread; returns false
    // when it could not be made.
    bool Start();
    // Asks the loop to end after its current pass and waits until it has;
    // then runs any change still waiting. Safe to call twice.
    void Stop();
    bool Running() const { return thread_ != nullptr; }

    // Runs `change` between two passes and returns once it has run (at once,
    // on this thread, when the loop is not running).
    void RunBetweenPasses(PassHandover::Change change);
    // Runs `look` with the draw lock held right after the next pass has copied
    // the views to the screen, while its readouts are still drawn in them: the
    // views then hold exactly what the screen shows. Returns once it has run
    // (at once, on this thread and under the lock, when the loop is not running).
    void RunAfterScreenCopy(PassHandover::Change look);

    // Passes begun since the thread started.
    long PassCount() const { return passes_.load(std::memory_order_relaxed); }

    // The frame the last pass analysed and drew; empty before the first
    // pass. Read it only between passes (see Threads above).
    const FrameData& LastFrame() const { return lastFrame_; }

private:
    static unsigned __stdcall ThreadMain(void* self);
    void Run();
    void Pass();
    void DrawFrame(const FrameData& frame);
    // Runs the looks waiting for a screen copy (draw lock held).
    void RunLooks();
    // Restarts the peak-hold line when the status loop asked for it.
    void TakePeakHoldRestart(const FrameData& frame);
    // Restarts the peak-hold line when the frame's scope differs from the last.
    void RestartPeakHoldOnChange(const SpectrumTraceInput& in, const Bitmaplib::PlotView& upper);
    void HandleDividerMove();
    bool StopRequested() const { return stop_.load(std::memory_order_acquire); }
    // Waits for `done` (or the thread's end), dispatching sent messages.
    void WaitDispatching(const std::function<bool()>& done);

    App& app_;
    FrameAnalysis& analysis_;
    FrameHooks hooks_;
    PassHandover handover_;
    PassHandover afterCopy_;  // looks at the views, run inside DrawFrame
    UniqueHandle thread_;
    UniqueHandle wake_;  // manual-reset event: cuts the pause short on Stop
    // Auto-reset event: a posted change cuts the pause short, so the thread
    // that waits for it is not held for up to the longest pause.
    UniqueHandle changePosted_;
    // Auto-reset event: set after each batch of changes has run, so the
    // waiting thread wakes as soon as its change is done.
    UniqueHandle changesRun_;
    std::atomic<bool> stop_{false};
    std::atomic<long> passes_{0};
    // The settings of the pass under way, the loop thread's own.
    AppSettings settings_{};
    std::unique_ptr<TraceBuffers> traces_;
    BandFill bandFill_;  // the band view's bars, kept from frame to frame
    FrameData lastFrame_;
    // The peak-hold line's scope: of the frame being analysed, and of the
    // line drawn last (app/peak_hold.h).
    PeakHoldScope analysedScope_;
    PeakHoldScope peakScope_;
    // The waveform's vertical range, +- sample value; the wheel over WAVE
    // changes it (loop thread only).
    double waveHalfRange_ = kWaveformHalfRange;
};
