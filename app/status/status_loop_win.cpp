#include "app/status/status_loop_win.h"

#include <atomic>
#include <chrono>

#include "analysis/analyzer.h"
#include "analysis/cepstrum.h"
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
    input.average = app.options.Average();
    input.bands = app.options.Bands();
    input.calibrated = app.calibration && app.calibration->InUse();
    input.overviewPercent = app.overviewPercent.load(std::memory_order_relaxed);
    if (input.playingFile && app.fileSource) {
        input.sourceChannels = app.fileSource->Channels();
        input.channel = ChannelInUse(app.fileSource->Channel(), input.sourceChannels);
    } else if (app.inputPaths && app.inputPaths->selectedPath() == InputPath::kEndpoint) {
        input.sourceChannels = app.inputPaths->endpointChannels();
        input.channel = ChannelInUse(app.inputPaths->channel(), input.sourceChannels);
    }
    if (app.capture) {
        input.droppedBlocks = app.capture->droppedBlocks();
        input.takeEnd = app.recorder.LastTakeEnd();
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
        // Before the tick: whoever sees this tick also sees the request.
        app_.peakHoldRestart.store(true, std::memory_order_release);
        app_.secondTick.store(true, std::memory_order_release);
        if (!Wait()) {
            break;
        }
        RefreshStatus(app_);
        app_.secondTick.store(true, std::memory_order_release);
    }
}
