#include "app/frame/frame_loop_win.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>

#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/view_zoom.h"
#include "analysis/peak_estimate.h"
#include "display/axes_painter_win.h"
#include "display/band_painter_win.h"
#include "display/plot_view_win.h"
#include "display/selection.h"
#include "display/split_bar_win.h"
#include "display/trace_painters_win.h"

namespace {

// A waiting user-interface thread wakes at once for sent messages, for the
// loop's end and for each batch of changes it runs. Besides, it looks again
// after this many milliseconds, every 5 when the completion event could not
// be made.
constexpr DWORD kHandoverRecheckMs = 100;
constexpr DWORD kHandoverPollMs = 5;

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

// The stored zoom of the display in force: the cepstrum's or the spectrum's.
struct ZoomFields {
    std::atomic<double>& span;
    std::atomic<double>& offset;
};

ZoomFields ActiveZoomFields(LiveViewState& live, std::uint8_t cepstrumMode) {
    if (cepstrumMode == 1) {
        return {live.cepSpan, live.cepOffset};
    }
    return {live.specSpan, live.specOffset};
}

}  // namespace

BandScale BandScaleOf(const FrameData& frame, const AppSettings& s, std::int32_t width, const ViewLevels& levels) {
    return BandScale{ViewAxis{width, frame.binCount, s.logGrid != 0},
                     frame.sampleCount > 0 ? static_cast<double>(s.sampleRate) / frame.sampleCount : 1.0, levels,
                     FullScaleLevel(frame.windowKind, frame.sampleCount)};
}

FrameLoop::FrameLoop(App& app, FrameAnalysis& analysis, FrameHooks hooks)
    : app_(app), analysis_(analysis), hooks_(std::move(hooks)),
      wake_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), changePosted_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      changesRun_(CreateEventA(nullptr, FALSE, FALSE, nullptr)), traces_(std::make_unique<TraceBuffers>()),
      bandFill_(MakeBandFill()) {}

FrameLoop::~FrameLoop() { Stop(); }

bool FrameLoop::Start() {
    if (thread_) {
        return true;
    }
    stop_.store(false, std::memory_order_release);
    settings_ = app_.published.Copy();
    if (wake_) {
        ResetEvent(wake_.get());
    }
    const uintptr_t h = _beginthreadex(nullptr, 0, &FrameLoop::ThreadMain, this, 0, nullptr);
    thread_.reset(reinterpret_cast<HANDLE>(h));
    return thread_ != nullptr;
}

void FrameLoop::Stop() {
    if (thread_) {
        stop_.store(true, std::memory_order_release);
        if (wake_) {
            SetEvent(wake_.get());
        }
        WaitDispatching([] { return false; });
        thread_.reset();
    }
    handover_.RunPending();
    {
        // A look still waiting sees the views as the last pass left them.
        std::lock_guard<std::mutex> hold(app_.drawLock);
        afterCopy_.RunPending();
    }
}

void FrameLoop::RunBetweenPasses(PassHandover::Change change) {
    const std::uint64_t ticket = handover_.Post(std::move(change));
    if (!thread_) {
        handover_.RunPending();
        return;
    }
    if (changePosted_) {
        SetEvent(changePosted_.get());
    }
    WaitDispatching([&] { return handover_.Done(ticket); });
    // The loop may have ended without taking it: run it here then.
    handover_.RunPending();
}

void FrameLoop::RunAfterScreenCopy(PassHandover::Change look) {
    const std::uint64_t ticket = afterCopy_.Post(std::move(look));
    if (thread_) {
        if (changePosted_) {
            SetEvent(changePosted_.get());
        }
        WaitDispatching([&] { return afterCopy_.Done(ticket); });
    }
    if (!afterCopy_.Done(ticket)) {
        // No pass took it (the loop is not running): the views hold still
        // under the lock.
        std::lock_guard<std::mutex> hold(app_.drawLock);
        afterCopy_.RunPending();
    }
}

void FrameLoop::WaitDispatching(const std::function<bool()>& done) {
    const HANDLE wakers[] = {thread_.get(), changesRun_.get()};
    const DWORD count = changesRun_ ? 2 : 1;
    const DWORD timeout = changesRun_ ? kHandoverRecheckMs : kHandoverPollMs;
    while (!done()) {
        const DWORD r = MsgWaitForMultipleObjects(count, wakers, FALSE, timeout, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            return;  // the loop has ended
        }
        // Delivers the messages other threads sent to this one (the loop's
        // re-layout) and leaves every posted message queued.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

unsigned __stdcall FrameLoop::ThreadMain(void* self) {
    static_cast<FrameLoop*>(self)->Run();
    return 0;
}

void FrameLoop::Run() {
    while (!StopRequested()) {
        Pass();
    }
}

void FrameLoop::Pass() {
    // The pause in force now, as the pass's own copy is taken only after it.
    const int pauseMs = app_.published.Copy().pauseMs;
    if (pauseMs > 0 && wake_) {
        const HANDLE wakers[] = {wake_.get(), changePosted_.get()};
        WaitForMultipleObjects(changePosted_ ? 2 : 1, wakers, FALSE, static_cast<DWORD>(pauseMs));
    }
    // Set-up and capture changes land here, before this pass touches either.
    if (handover_.RunPending() > 0 && changesRun_) {
        SetEvent(changesRun_.get());
    }
    if (StopRequested()) {
        return;
    }
    passes_.fetch_add(1, std::memory_order_relaxed);
    // The settings of this pass: commands publish their changes meanwhile.
    settings_ = app_.published.Copy();
    // The selection as the last pass left it: the pitch search follows the band.
    settings_.selX0 = app_.live.selX0.load(kRelaxed);
    settings_.selX1 = app_.live.selX1.load(kRelaxed);
    const AppSettings& s = settings_;

    analysedScope_ = AnalysedScope(s);
    const FrameData frame = analysis_.Analyse(s);
    lastFrame_ = frame;
    // While running, only frames of fresh, continuous samples are counted
    // and scrolled into the spectrogram; the others show the last good frame.
    const std::int32_t runState = s.runState;
    const bool live = runState == kRun || runState == kRec;
    app_.waitingForSamples.store(live && !frame.fresh, std::memory_order_relaxed);
    if (!live || frame.fresh) {
        // The status loop zeroes it with an exchange; relaxed is enough for a rate.
        app_.live.frameCount.fetch_add(1, kRelaxed);
    }
    {
        std::lock_guard<std::mutex> hold(app_.drawLock);
        DrawFrame(frame);
    }
    HandleDividerMove();
}

void FrameLoop::DrawFrame(const FrameData& frame) {
    const AppSettings& s = settings_;
    LiveViewState& live = app_.live;
    Bitmaplib::PlotView* upper = app_.parts.upperView.get();
    Bitmaplib::PlotView* lower = app_.parts.lowerView.get();
    TakePeakHoldRestart(frame);
    if (!upper) {
        RunLooks();
        return;
    }
    TraceBuffers& traces = *traces_;
    SaveSelection(live, upper->Selection());
    if (s.holdTrace == 0) {
        upper->RestoreBackground();
    }
    if (s.showWave) {
        if (!s.showSpectrum) {
            // WAVE alone: the wheel zooms the waveform (with the spectrum
            // shown it zooms the spectrum).
            waveHalfRange_ = ApplyWaveWheel(waveHalfRange_, upper->TakeWheel());
        }
        DrawWaveform(*upper, frame.rawFrame, frame.sampleCount / 2, frame.sampleCount, traces.wave, kPointCapacity,
                     waveHalfRange_);
        DrawFrameBorder(*upper);
        upper->SetSelectable(false);
    }
    if (s.showSpectrum) {
        ZoomFields stored = ActiveZoomFields(live, s.cepstrumMode);
        const ViewZoom before{stored.span.load(kRelaxed), stored.offset.load(kRelaxed)};
        ViewZoom zoom = ApplyWheel(before, upper->TakeWheel());
        zoom = ApplyDrag(zoom, upper->TakeDragY());
        SelectionBlock selection = upper->Selection();
        KeepSelectionLevels(selection, before, zoom, upper->Height());
        upper->SetSelection(selection);
        SaveSelection(live, selection);
        stored.span.store(zoom.span, kRelaxed);
        stored.offset.store(zoom.offset, kRelaxed);
        live.activeSpan.store(zoom.span, kRelaxed);
        live.activeOffset.store(zoom.offset, kRelaxed);
        const SpectrumTraceInput in{frame.displayValues, frame.binCount, frame.log10Table, s.logGrid != 0,
                                    zoom.span, zoom.offset, s.colourSpectrum != 0};
        if (!frame.bands.empty()) {
            // The band view: bars in place of the trace, on the same scales.
            const ViewLevels levels{upper->Height(), zoom.span, zoom.offset};
            DrawBandBars(*upper, bandFill_, BandScaleOf(frame, s, upper->Width(), levels), frame.bands, frame.bandLevels);
            DrawFrequencyLabels(*upper, s.sampleRate, frame.binCount, s.logGrid != 0);
        } else {
            RestartPeakHoldOnChange(in, *upper);
            DrawSpectrum(*upper, in, traces.trace, traces.peak, kPointCapacity);
        }
        if (s.cepstrumMode != 1) {
            DrawLevelAxis(*upper, ViewLevels{upper->Height(), zoom.span, zoom.offset}, frame.windowKind,
                          frame.sampleCount, app_.options.SplOffsetDb());
        }
        DrawFrameBorder(*upper);
        DrawSelection(*upper);
        upper->SetSelectable(true);
    }
    live.upperHeight.store(upper->Height(), kRelaxed);
    bool overview = false;
    if (lower && hooks_.overview) {
        lower->SetSelection(upper->Selection());
        overview = hooks_.overview(frame, s);
    }
    if ((s.runState == kRun || s.runState == kRec) && frame.fresh && lower && !overview) {
        lower->SetSelection(upper->Selection());
        if (hooks_.spectrogramColumn) {
            hooks_.spectrogramColumn(frame, s);
        }
        lower->SetSelectable(false);
    }
    if (upper->IsDragging() && hooks_.UpdateScaleLabels) {
        hooks_.UpdateScaleLabels(s);
    }
    if (hooks_.drawReadouts) {
        hooks_.drawReadouts(frame, s, overview);
    }
    upper->CopyToScreen();
    if (lower) {
        lower->CopyToScreen();
    }
    RunLooks();
    if (hooks_.clearReadouts) {
        hooks_.clearReadouts();
    }
    // A live picture that did not scroll keeps the tick for its next column.
    const bool held = (s.runState == kRun || s.runState == kRec) && !frame.fresh;
    if (lower && !held && !overview && app_.secondTick.exchange(false, std::memory_order_acq_rel)) {
        // Reaches the screen with the next frame; the scrolling carries it left.
        PatBlt(lower->MemoryDc(), lower->Width() - 1, 0, 1, lower->Height() - 1, PATINVERT);
    }
}

void FrameLoop::RunLooks() {
    if (afterCopy_.RunPending() > 0 && changesRun_) {
        SetEvent(changesRun_.get());
    }
}

void FrameLoop::TakePeakHoldRestart(const FrameData& frame) {
    if (app_.peakHoldRestart.exchange(false, std::memory_order_acq_rel)) {
        // The frame's points: as many as it has samples, at most the capacity.
        RestartPeakHold(traces_->peak, std::clamp(frame.sampleCount, 0, kPointCapacity));
    }
}

void FrameLoop::RestartPeakHoldOnChange(const SpectrumTraceInput& in, const Bitmaplib::PlotView& upper) {
    PeakHoldScope scope = analysedScope_;
    scope.binCount = in.binCount;
    scope.logAxis = in.logAxis ? 1 : 0;
    scope.span = in.span;
    scope.offset = in.offset;
    scope.width = upper.Width();
    scope.height = upper.Height();
    if (scope != peakScope_) {
        RestartPeakHold(traces_->peak, kPointCapacity);
        peakScope_ = scope;
    }
}

void FrameLoop::HandleDividerMove() {
    SplitBar* divider = app_.parts.divider.get();
    if (!divider || !divider->TakeMoved()) {
        return;
    }
    const RECT bar = gdi::NormalRect(divider->Handle());
    RECT client{};
    GetClientRect(app_.hwnd, &client);
    // A minimised window has no client height: keep the ratio, lay nothing out.
    const std::optional<double> ratio = DividerRatio(bar.top, client.bottom);
    if (!ratio) {
        return;
    }
    app_.live.splitRatio.store(*ratio, kRelaxed);
    if (StopRequested()) {
        return;
    }
    SendMessageA(app_.hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
}
