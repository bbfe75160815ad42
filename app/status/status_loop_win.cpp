#include "app/status/status_loop_win.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "analysis/analyzer.h"
#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "app/status/status_text.h"
#include "display/trace_points.h"

void PublishSettings(App& app) {
    app.published.Publish(app.settings);
    RefreshStatus(app);
}

void RefreshStatus(App& app) {
    AppSettings shown = app.published.Copy();
    // Show the passes counted since the last refresh and start counting again.
    shown.frameCount = app.live.frameCount.exchange(0);
    InputStatus input;
    input.playingFile = app.playingFile.load(std::memory_order_acquire);
    if (app.capture) {
        input.droppedBlocks = app.capture->droppedBlocks();
        if (app.capture->inputLost()) {
            input.state = InputState::kNoInput;
        } else if (app.waitingForSamples.load(std::memory_order_relaxed)) {
            input.state = InputState::kFilling;
        }
    }
    char text[kStatusTextBytes];
    FormatStatus(text, shown, input);
    if (app.parts.statusLabel) {
        app.parts.statusLabel->SetText(text);
        InvalidateRect(app.parts.statusLabel->Handle(), nullptr, FALSE);
    }
}

void ResetPeakHold(App& app) {
    if (!app.upper) {
        return;
    }
    std::lock_guard<std::mutex> hold(app.drawLock);
    Analyzer& an = *app.upper;
    const std::int32_t points = an.sampleCount < 0 ? 0 : std::min(an.sampleCount, kPointCapacity);
    std::memset(an.peakPoints, kPeakResetByte, sizeof(TracePoint) * static_cast<std::size_t>(points));
}

void StatusLoop::Start() {
    if (thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this] { Run(); });
}

void StatusLoop::Stop() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool StatusLoop::Wait() {
    std::unique_lock<std::mutex> guard(mutex_);
    return !wake_.wait_for(guard, std::chrono::milliseconds(kStatusPeriodMs), [this] { return stopping_; });
}

void StatusLoop::Run() {
    while (Wait()) {
        RefreshStatus(app_);
        ResetPeakHold(app_);
        app_.secondTick.store(true, std::memory_order_release);
        if (!Wait()) {
            break;
        }
        RefreshStatus(app_);
        app_.secondTick.store(true, std::memory_order_release);
    }
}
