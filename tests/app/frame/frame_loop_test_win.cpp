// The frame loop on the real main window, fed by a synthetic analysis: what
// it draws into the upper view, the wheel zoom, the divider's re-layout,
// changes handed over between passes, and an orderly stop.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/window/main_window_win.h"
#include "display/plot_view_win.h"
#include "display/split_bar_win.h"
#include "support/pump.h"
#include "support/test_parent.h"

namespace {

constexpr int kN = 2048;
constexpr int kBins = kN / 2;
constexpr int kToneBin = 41;  // about 880 Hz at 44,100 Hz
constexpr int kCapacity = 65536;

// A frame with one spectral line and a sine of period kN / kToneBin samples;
// in the cepstrum views a flat cepstrum at the spectrum's floor.
class SyntheticAnalysis final : public FrameAnalysis {
public:
    SyntheticAnalysis() : raw(kN), levels(kBins, 20.0), flat(kBins, 20.0), log10(kBins) {
        for (int i = 0; i < kN; ++i) raw[i] = 10000.0 * std::sin(2 * 3.14159265358979 * kToneBin * i / kN);
        levels[kToneBin] = 200.0;
        for (int k = 0; k < kBins; ++k) log10[k] = std::log10(static_cast<double>(k));
    }
    FrameData Analyse(const AppSettings& s) override {
        ++calls;
        if (inPass.exchange(true)) overlap = true;
        Sleep(1);
        inPass = false;
        const double* values = s.cepstrumMode == 1 ? flat.data() : levels.data();
        return {.rawFrame = raw.data(), .sampleCount = kN, .displayValues = values, .binCount = kBins,
                .log10Table = log10.data()};
    }
    std::vector<double> raw, levels, flat, log10;
    std::atomic<int> calls{0};
    std::atomic<bool> inPass{false};
    std::atomic<bool> overlap{false};
};

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        app_->frameLoop->Stop();  // this test drives a loop of its own
        app_->settings.pauseMs = 0;
        app_->settings.showWave = 0;
        app_->settings.showSpectrum = 1;
        app_->settings.cepstrumMode = 0;
        app_->settings.colourSpectrum = 0;
        app_->settings.logGrid = 0;
        PublishSettings(*app_);
        loop_ = std::make_unique<FrameLoop>(*app_, analysis_);
    }
    void TearDown() override {
        loop_.reset();
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    bool RunPasses(long n) {
        const long target = loop_->PassCount() + n;
        return testsupport::PumpUntil([&] { return loop_->PassCount() >= target; }, 5000);
    }
    // The topmost pixel of the upper view in one of `colours` (bytes B, G, R),
    // scanning rows from the top; {-1, -1} when there is none.
    struct Pixel { int x, y; };
    Pixel TopPixel(std::initializer_list<std::array<std::uint8_t, 3>> colours) {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        Bitmaplib::PlotView& v = *app_->parts.upperView;
        GdiFlush();
        const Bitmaplib::SurfacePixels s = v.Surface();
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) {
                const std::uint8_t* p = s.bits + (s.height - 1 - y) * s.stride + x * 4;
                for (const auto& c : colours)
                    if (p[0] == c[0] && p[1] == c[1] && p[2] == c[2]) return {x, y};
            }
        return {-1, -1};
    }
    static constexpr std::array<std::uint8_t, 3> kTraceGreen{0x58, 0xFF, 0x32};
    static constexpr std::array<std::uint8_t, 3> kPeakBlue{0xFF, 0x96, 0x00};
    // Column whose spectrum pixels reach highest: the green trace, or the
    // blue peak-hold line drawn over its top.
    int PeakColumn() { return TopPixel({kTraceGreen, kPeakBlue}).x; }
    // Highest row of the blue peak-hold line, or -1.
    int PeakHoldTopRow() { return TopPixel({kPeakBlue}).y; }

    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
    SyntheticAnalysis analysis_;
    std::unique_ptr<FrameLoop> loop_;
};

TEST_F(FrameLoopTest, SpectrumPeaksAtTheTonesColumnOnBothAxes) {
    ASSERT_TRUE(loop_->Start());
    ASSERT_TRUE(RunPasses(3));
    const int width = app_->parts.upperView->Width();
    EXPECT_EQ(PeakColumn(), static_cast<int>(kToneBin * static_cast<double>(width) / kBins));
    app_->settings.logGrid = 1;
    PublishSettings(*app_);
    ASSERT_TRUE(RunPasses(3));
    EXPECT_EQ(PeakColumn(), static_cast<int>(std::log10(kToneBin) * width / std::log10(kBins)));
    EXPECT_GT(app_->live.frameCount.load(), 0);
    EXPECT_EQ(app_->live.upperHeight.load(), app_->parts.upperView->Height());
}

// Right after FFT -> cepstrum the peak-hold line follows the cepstrum; it
// does not stay at the spectrum's peak until the next two-second restart.
TEST_F(FrameLoopTest, PeakHoldLineRestartsWhenTheViewChanges) {
    app_->statusLoop->Stop();  // no two-second restart during the test
    const int height = app_->parts.upperView->Height();
    AppSettings& s = app_->settings;
    LiveViewState& live = app_->live;
    live.specSpan = 400.0;
    live.cepSpan = 400.0;
    live.specOffset = 0.75 * height;
    live.cepOffset = 0.75 * height;
    const int floorRow = static_cast<int>(live.specOffset - 20.0 * height / 400.0);
    ASSERT_TRUE(loop_->Start());
    ASSERT_TRUE(RunPasses(3));
    EXPECT_LT(PeakHoldTopRow(), floorRow - 10);  // at the spectral line
    s.cepstrumMode = 1;
    PublishSettings(*app_);
    ASSERT_TRUE(RunPasses(3));
    // On the trace (drawn over it, so not seen) or below it, never above.
    const int top = PeakHoldTopRow();
    EXPECT_TRUE(top < 0 || top >= floorRow - 1) << top;
    s.cepstrumMode = 0;  // the settings file written at the end starts the next test in FFT
}

TEST_F(FrameLoopTest, WheelZoomsTheSpectrumAndIsStored) {
    LiveViewState& live = app_->live;
    live.specSpan = 400;
    live.specOffset = 150;
    const double cepSpan = live.cepSpan;
    ASSERT_TRUE(loop_->Start());
    app_->parts.upperView->AddWheel(-120);
    ASSERT_TRUE(RunPasses(2));
    EXPECT_DOUBLE_EQ(live.specSpan, 370);
    EXPECT_DOUBLE_EQ(live.activeSpan, 370);
    EXPECT_NEAR(live.specOffset, 150.0 * 400 / 370, 1e-9);
    EXPECT_DOUBLE_EQ(live.cepSpan, cepSpan);  // untouched pair
    // Saved as it is shown.
    loop_->Stop();
    AppSettings image = app_->settings;
    live.SaveTo(image);
    EXPECT_DOUBLE_EQ(image.specSpan, 370);
}

TEST_F(FrameLoopTest, DividerDragReLaysTheWindowOut) {
    ASSERT_TRUE(loop_->Start());
    ASSERT_TRUE(RunPasses(1));
    const int before = app_->parts.upperView->Height();
    HWND bar = app_->parts.divider->Handle();
    testsupport::SendMouse(bar, WM_LBUTTONDOWN, 0, 2, MK_LBUTTON);
    testsupport::SendMouse(bar, WM_MOUSEMOVE, 0, 42, MK_LBUTTON);
    testsupport::SendMouse(bar, WM_LBUTTONUP, 0, 42);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->parts.upperView->Height() != before; }, 5000));
    EXPECT_EQ(app_->parts.upperView->Height(), before + 40);
    RECT client;
    GetClientRect(hwnd_, &client);
    EXPECT_DOUBLE_EQ(app_->live.splitRatio, (gdi::NormalRect(bar).top + 0.5) / client.bottom);
}

TEST_F(FrameLoopTest, ChangesRunBetweenPassesAndAfterTheStop) {
    ASSERT_TRUE(loop_->Start());
    ASSERT_TRUE(RunPasses(1));
    for (int i = 0; i < 20; ++i) {
        bool ran = false;
        loop_->RunBetweenPasses([&] {
            EXPECT_FALSE(analysis_.inPass.load());
            ran = true;
        });
        EXPECT_TRUE(ran);
    }
    loop_->Stop();
    bool ranAfterStop = false;
    loop_->RunBetweenPasses([&] { ranAfterStop = true; });
    EXPECT_TRUE(ranAfterStop);
    EXPECT_FALSE(analysis_.overlap.load());
}

// Stopping while the loop is busy re-laying the window out (it sends WM_SIZE
// to this thread) must not hang, however often it is repeated.
TEST_F(FrameLoopTest, StopsCleanlyWhileTheDividerIsDragged) {
    HWND bar = app_->parts.divider->Handle();
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(loop_->Start());
        testsupport::SendMouse(bar, WM_LBUTTONDOWN, 0, 2, MK_LBUTTON);
        testsupport::SendMouse(bar, WM_MOUSEMOVE, 0, (round % 2) ? 12 : -8, MK_LBUTTON);
        testsupport::SendMouse(bar, WM_LBUTTONUP, 0, 2);
        const DWORD start = GetTickCount();
        loop_->Stop();
        EXPECT_LT(GetTickCount() - start, 2000u) << "round " << round;
        EXPECT_FALSE(loop_->Running());
    }
}

TEST_F(FrameLoopTest, StopCutsTheLongestPauseShort) {
    app_->settings.pauseMs = 500;
    PublishSettings(*app_);
    ASSERT_TRUE(loop_->Start());
    Sleep(50);
    const DWORD start = GetTickCount();
    loop_->Stop();
    EXPECT_LT(GetTickCount() - start, 300u);
}

}  // namespace
