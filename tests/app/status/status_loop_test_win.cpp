// The status line as the user reads it: the loaded settings at once, every
// command's change at once, and the once-a-second worker's tick and peak-line
// restart.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/window/main_window_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/temp_dir.h"

namespace {

class StatusLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
    }
    // For exact texts and untaken peak-line restarts: no frames drawn meanwhile.
    void StopFrames() { CurrentApp()->frameLoop->Stop(); }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    std::string StatusText() {
        LabelText::Buffer text;
        CurrentApp()->parts.statusLabel->CopyText(text);
        return text;
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
};

TEST_F(StatusLineTest, ShowsTheLoadedSettingsAtOnce) {
    EXPECT_EQ(StatusText(), " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 0fps");
}

TEST_F(StatusLineTest, CommandsUpdateItAtOnce) {
    StopFrames();
    struct Case { int id; const char* text; };
    const Case cases[] = {
        {IDM_STOP, " STOP, 44100Hz, 4096pt, hanning, Log, 10msec, 0fps"},
        {IDM_RATE_96000, " STOP, 96000Hz, 4096pt, hanning, Log, 10msec, 0fps"},
        {IDM_LENGTH_1024, " STOP, 96000Hz, 1024pt, hanning, Log, 10msec, 0fps"},
        {IDM_WINDOW_BLACKMAN, " STOP, 96000Hz, 1024pt, blackman, Log, 10msec, 0fps"},
        {IDM_GRID_LINEAR, " STOP, 96000Hz, 1024pt, blackman, Linear, 10msec, 0fps"},
        {IDM_PAUSE_500, " STOP, 96000Hz, 1024pt, blackman, Linear, 500msec, 0fps"},
        {IDM_REC, " \x81\x9CREC.., 96000Hz, 1024pt, blackman, Linear, 500msec, 0fps"},
        {IDM_STOP, " STOP, 96000Hz, 1024pt, blackman, Linear, 500msec, 0fps"},
        {IDM_RUN, " RUN, 96000Hz, 1024pt, blackman, Linear, 500msec, 0fps"},
    };
    for (const Case& c : cases) {
        CurrentApp()->live.frameCount = 0;
        Command(c.id);
        EXPECT_EQ(StatusText(), c.text) << c.id;
    }
}

TEST_F(StatusLineTest, RefreshShowsTheFrameCountAndRestartsIt) {
    App& app = *CurrentApp();
    app.statusLoop->Stop();
    // Past the start-up's "filling": a whole frame of samples has arrived and been drawn.
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !app.waitingForSamples.load() && app.frameLoop->PassCount() > 2; }, 5000));
    StopFrames();  // no frame counts between the refresh and the check
    app.live.frameCount = 25;
    RefreshStatus(app);
    EXPECT_EQ(StatusText(), " RUN, 44100Hz, 4096pt, hanning, Log, 10msec, 25fps");
    EXPECT_EQ(app.live.frameCount, 0);
}

TEST_F(StatusLineTest, TheWorkerTicksEverySecondAndRestartsThePeakLine) {
    StopFrames();
    App& app = *CurrentApp();
    app.peakHoldRestart.store(false);
    app.secondTick.store(false);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app.secondTick.load(); }, 3000));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 800u);
    EXPECT_LE(waited, 1500u);
    EXPECT_TRUE(app.peakHoldRestart.exchange(false)) << "the first second asks for a restart";
    app.secondTick.store(false);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app.secondTick.load(); }, 3000));
    EXPECT_FALSE(app.peakHoldRestart.load()) << "the peak line restarts every second second only";
    // The frame loop takes the request with its next frame.
    app.peakHoldRestart.store(true);
    ASSERT_TRUE(app.frameLoop->Start());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !app.peakHoldRestart.load(); }, 3000));
}

// Frames per second as the worker shows them: with a 500 ms pause at most 2.
TEST_F(StatusLineTest, ShowsTheFrameRate) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_PAUSE_500, 0), 0);
    // Two refreshes later the figure covers a whole second at the new pause.
    testsupport::PumpUntil([] { return false; }, 2 * kStatusPeriodMs + 200);
    const std::string text = StatusText();
    const auto at = text.rfind(", ");
    const int fps = std::atoi(text.c_str() + at + 2);
    EXPECT_GE(fps, 1) << text;
    EXPECT_LE(fps, 2) << text;
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_PAUSE_0, 0), 0);
    testsupport::PumpUntil([] { return false; }, 2 * kStatusPeriodMs + 200);
    const std::string fast = StatusText();
    EXPECT_GT(std::atoi(fast.c_str() + fast.rfind(", ") + 2), 2) << fast;
}

TEST_F(StatusLineTest, ClosingStopsTheWorkerPromptly) {
    const DWORD start = GetTickCount();
    DestroyWindow(hwnd_);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(CurrentApp(), nullptr);
}

}  // namespace
