// FrameLoop: the worker thread that makes the display live. Every pass it
// takes the newest frame, analyses it, draws the traces into the upper view,
// adds the spectrogram column, copies both views to the screen and turns a
// dragged divider into a new split and a re-layout.
//
// Threads:
//  - Start, Stop and RunBetweenPasses are called on the user-interface
//    thread. Stop and RunBetweenPasses wait for the loop while dispatching the
//    messages other threads send to this one (the loop's WM_SIZE), so the
//    two threads never wait for each other.
//  - The pass runs on its own thread. It holds the App's draw lock from the
//    selection copy to the screen copies and never while it sends a message.
//  - Changes of the analysis set-up or of the capture device reach the loop
//    through RunBetweenPasses: they run at the top of a pass, never inside
//    one.
//  - RaiseSecondTick may be called from any thread (the status loop).
//
// Ownership: the loop borrows the App record and the analysis stage; both
// must outlive it (Stop, or the destructor, ends the thread first).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "app/pass_handover.h"
#include "display/pixel_coord.h"

struct App;
struct AppSettings;

struct KernelHandleCloser {
    void operator()(HANDLE h) const noexcept {
        if (h) CloseHandle(h);
    }
};
// A kernel handle (thread, event), closed once.
using KernelHandle = std::unique_ptr<void, KernelHandleCloser>;

// What the analysis half of a pass hands to the drawing half. Every pointer
// stays valid until the next pass (they point into the upper Analyzer).
struct FrameData {
    const double* rawFrame;       // the unwindowed samples, sampleCount of them
    int sampleCount;              // N
    const double* displayValues;  // spectrum levels or cepstrum, binCount of them
    int binCount;
    const double* log10Table;     // log10 of each bin index
    TracePoint* wavePoints;       // point buffers, pointCapacity entries each
    TracePoint* tracePoints;
    TracePoint* peakPoints;
    int pointCapacity;
};

// The analysis half of a pass: fetch the newest N samples, window them and
// run the spectrum or cepstrum path (steps that need no lock). Called on the
// loop's thread only.
class FrameAnalysis {
public:
    virtual ~FrameAnalysis() = default;
    virtual FrameData Analyse(AppSettings& settings) = 0;
};

// Steps of a pass that other parts of the display provide; each runs inside
// the draw lock and may be empty.
struct FrameHooks {
    // One spectrogram column from the frame (RUN and REC only).
    std::function<void(const FrameData&)> spectrogramColumn;
    // The frequency labels, while a selection is being dragged.
    std::function<void()> updateScaleLabels;
};

class FrameLoop {
public:
    FrameLoop(App& app, FrameAnalysis& analysis, FrameHooks hooks = {});
    ~FrameLoop();
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;

    // Starts the thread; returns false when it could not be made.
    bool Start();
    // Asks the loop to end after its current pass and waits until it has;
    // then runs any change still waiting. Safe to call twice.
    void Stop();
    bool Running() const { return thread_ != nullptr; }

    // Runs `change` between two passes and returns once it has run (at once,
    // on this thread, when the loop is not running).
    void RunBetweenPasses(PassHandover::Change change);

    // The once-a-second tick that marks the spectrogram.
    void RaiseSecondTick() { secondTick_.store(true, std::memory_order_relaxed); }

    // Passes begun since the thread started.
    long PassCount() const { return passes_.load(std::memory_order_relaxed); }

private:
    static unsigned __stdcall ThreadMain(void* self);
    void Run();
    void Pass();
    void DrawFrame(const FrameData& frame);
    void HandleDividerMove();
    bool StopRequested() const { return stop_.load(std::memory_order_acquire); }
    // Waits for `done` (or the thread's end), dispatching sent messages.
    void WaitDispatching(const std::function<bool()>& done);

    App& app_;
    FrameAnalysis& analysis_;
    FrameHooks hooks_;
    PassHandover handover_;
    KernelHandle thread_;
    KernelHandle wake_;  // manual-reset event: cuts the pause short on Stop
    std::atomic<bool> stop_{false};
    std::atomic<bool> secondTick_{false};
    std::atomic<long> passes_{0};
};
