// The spectrogram in the running window: the frame loop with the spectrogram
// hooks, fed one spectral line, scrolls in RUN, stands still in STOP, starts
// black after a resize, and the keys follow a selection drag.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/layout_win.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "app/frame/spectrogram_hooks_win.h"
#include "display/level_colour.h"
#include "display/plot_view_win.h"
#include "display/readouts.h"
#include "support/pump.h"
#include "support/test_parent.h"

namespace {

constexpr int kBins = 1024;
constexpr int kLineBin = 500;  // inside the default band, bins 102 ... 921

// Every frame: level 0 everywhere (below the default scale) and 200 at one bin.
class OneLine final : public FrameAnalysis {
public:
    OneLine() : levels(kBins, 0.0), log10(kBins) { levels[kLineBin] = 200.0; }
    FrameData Analyse(const AppSettings&) override {
        Sleep(1);
        return {.rawFrame = levels.data(), .sampleCount = 2 * kBins, .displayValues = levels.data(),
                .binCount = kBins, .log10Table = log10.data()};
    }
    std::vector<double> levels, log10;
};

class SpectrogramLoopTest : public ::testing::Test {
protected:
    // Every test starts from the defaults and leaves no settings file behind.
    void SetUp() override {
        DeleteFileA(kSettingsFileName);
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        AppSettings& s = app_->settings;
        s.pauseMs = 0;
        s.showWave = 0;
        s.showSpectrum = 1;
        s.logGrid = 0;
        s.cepstrumMode = 0;
        s.sampleRate = 44100;
        s.halfLength = kBins;
        s.runState = kRun;
        PublishSettings(*app_);
        Relayout(hwnd_);
        // The window's own loop draws the captured sound; this one the line.
        app_->frameLoop->Stop();
        loop_ = std::make_unique<FrameLoop>(*app_, analysis_, MakeSpectrogramHooks(*app_));
        ASSERT_TRUE(loop_->Start());
    }
    void TearDown() override {
        loop_.reset();
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
        DeleteFileA(kSettingsFileName);
    }
    bool RunPasses(long n) {
        const long target = loop_->PassCount() + n;
        return testsupport::PumpUntil([&] { return loop_->PassCount() >= target; }, 5000);
    }
    // The lower view's surface, copied under the draw lock.
    std::vector<std::uint8_t> LowerPixels(int& width, int& height, std::ptrdiff_t& stride) {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        GdiFlush();
        const Bitmaplib::SurfacePixels s = app_->parts.lowerView->Surface();
        width = s.width;
        height = s.height;
        stride = s.stride;
        return std::vector<std::uint8_t>(s.bits, s.bits + s.stride * s.height);
    }
    // Memory rows of column x that are not black.
    static std::vector<int> LitRows(const std::vector<std::uint8_t>& px, int x, int height, std::ptrdiff_t stride) {
        std::vector<int> rows;
        for (int r = 0; r < height; ++r) {
            const std::uint8_t* p = &px[r * stride + x * 4];
            if (p[0] | p[1] | p[2]) rows.push_back(r);
        }
        return rows;
    }
    std::string LabelText(int i) const {
        LabelText::Buffer text{};
        app_->parts.scaleLabels[i]->CopyText(text);
        return text;
    }
    ScaleLabelTexts ExpectedLabels() {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        const Bitmaplib::clsBitmap& upper = *app_->parts.upperView;
        const SelectionBlock sel = upper.Selection();
        const AppSettings& s = app_->settings;
        return scaleLabelTexts({upper.Width(), sel.x0, sel.x1, s.sampleRate, s.halfLength, false, false});
    }

    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
    OneLine analysis_;
    std::unique_ptr<FrameLoop> loop_;
};

TEST_F(SpectrogramLoopTest, ScrollsInRunStandsStillInStopAndRestartsBlack) {
    ASSERT_TRUE(RunPasses(8));
    int w = 0, h = 0;
    std::ptrdiff_t stride = 0;
    std::vector<std::uint8_t> px = LowerPixels(w, h, stride);
    ASSERT_GT(w, 8);
    // The default band (bins 102 ... 921) over h rows: the line's row, counted from the bottom.
    const int lineRow = static_cast<int>((kLineBin - 102) / (819.0 / h));
    for (int x : {w - 1, w - 5}) {
        const std::vector<int> lit = LitRows(px, x, h, stride);
        ASSERT_FALSE(lit.empty()) << "column " << x;
        EXPECT_LE(lit.size(), 2u) << "column " << x;
        EXPECT_NEAR(lit.front(), lineRow, 1) << "column " << x;
    }

    app_->settings.runState = kStop;
    PublishSettings(*app_);
    ASSERT_TRUE(RunPasses(2));
    const std::vector<std::uint8_t> stopped = LowerPixels(w, h, stride);
    ASSERT_TRUE(RunPasses(8));
    px = LowerPixels(w, h, stride);
    for (int r = 0; r < h; ++r) {
        // The newest column may carry the once-a-second mark; the rest must not move.
        ASSERT_EQ(std::memcmp(&px[r * stride], &stopped[r * stride], (w - 1) * 4), 0) << "row " << r;
    }

    loop_->Stop();
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + 40, outer.bottom - outer.top + 30,
                 SWP_NOMOVE | SWP_NOZORDER);
    px = LowerPixels(w, h, stride);
    for (int x = 0; x < w; ++x) ASSERT_TRUE(LitRows(px, x, h, stride).empty()) << "column " << x;
}

TEST_F(SpectrogramLoopTest, KeysFollowASelectionDrag) {
    ASSERT_TRUE(RunPasses(3));
    const ScaleLabelTexts laidOut = ExpectedLabels();
    for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(LabelText(i), laidOut[i].data()) << i;

    HWND upper = app_->parts.upperView->Handle();
    testsupport::SendMouse(upper, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
    testsupport::SendMouse(upper, WM_MOUSEMOVE, 120, 60, MK_LBUTTON);
    ASSERT_TRUE(RunPasses(3));
    const ScaleLabelTexts dragged = ExpectedLabels();
    EXPECT_NE(std::string(dragged[0].data()), laidOut[0].data());
    for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(LabelText(i), dragged[i].data()) << i;
    testsupport::SendMouse(upper, WM_LBUTTONUP, 120, 60);
}

// The window's own loop on the sine source (440 Hz, device 0) with the
// default settings: log axis, 4,096 points, the default selection.
TEST(SpectrogramOfTheSineSource, NewestColumnIsBrightestAtTheTonesRow) {
    DeleteFileA(kSettingsFileName);
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App& app = *CurrentApp();
    const long start = app.frameLoop->PassCount();
    testsupport::PumpUntil([&] { return false; }, 1500);
    EXPECT_GT(app.frameLoop->PassCount(), start + 5);

    int brightest = -1, height = 0;
    {
        std::lock_guard<std::mutex> hold(app.drawLock);
        GdiFlush();
        const Bitmaplib::SurfacePixels s = app.parts.lowerView->Surface();
        height = s.height;
        int best = -1;
        for (int r = 0; r < s.height; ++r) {
            const std::uint8_t* p = s.bits + r * s.stride + (s.width - 1) * 4;
            for (int index = 255; index > best; --index) {
                const RgbBytes c = levelColour(index);
                if (c.blue == p[0] && c.green == p[1] && c.red == p[2]) {
                    best = index;
                    brightest = r;
                    break;
                }
            }
        }
    }
    DestroyWindow(hwnd);
    testsupport::PumpPending();
    DeleteFileA(kSettingsFileName);

    // 440 Hz is bin 40.9 of 4,096 points at 44,100 Hz; on the log axis bin b
    // sits at position 2,048 log(b) / log(2,048), and the band starts at 204.
    const double position = 2048.0 * std::log(440.0 / (44100.0 / 4096)) / std::log(2048.0);
    const double expectedRow = (position - 204) / (1639.0 / height);
    EXPECT_NEAR(brightest, expectedRow, 3.0) << "rows " << height;
}

}  // namespace
