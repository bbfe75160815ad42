// The running program on the real sound server's 440 Hz source: the main
// window with its own frame loop, capture and analyser. What the upper view
// shows is read from its surface and compared with the axis arithmetic: the
// spectrum's peak at the tone's column on both axes, the waveform's period,
// the divider's re-layout, and closing the window over and over with
// everything running.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/commands/commands.h"
#include "app/window/main_window_win.h"
#include "base/unique_handle_win.h"
#include "app/commands/device_commands.h"
#include "display/axes_geometry.h"
#include "display/gdi_win.h"
#include "display/plot_view_win.h"
#include "display/split_bar_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/sound_source.h"
#include "support/temp_dir.h"
#include "support/test_parent.h"

namespace {

constexpr double kToneHz = testsupport::kSineSourceHz;
using testsupport::DeviceNumber;
using testsupport::kSineSource;

// The pens' colours as they lie in the 32-bit surface: blue, green, red.
constexpr std::uint8_t kSpectrumBgr[3] = {0x58, 0xFF, 0x32};
constexpr std::uint8_t kWaveBgr[3] = {0xFF, 0x37, 0xC8};

// For every column of the view, the topmost and bottommost row drawn in one
// colour (-1 where the column has none of it).
struct ColumnExtent {
    int top = -1;
    int bottom = -1;
};

struct ViewPicture {
    int width = 0;
    int height = 0;
    std::vector<ColumnExtent> columns;
};

int ThreadsOfThisProcess() {
    const UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snap) {
        return -1;
    }
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    int count = 0;
    for (BOOL more = Thread32First(snap.get(), &t); more; more = Thread32Next(snap.get(), &t)) {
        if (t.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    return count;
}

class LiveViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        ASSERT_TRUE(app_->frameLoop->Running());
        // Pick the tone by name: the default source may be anything.
        const int device = DeviceNumber(kSineSource);
        ASSERT_GE(device, 0) << "no source named " << kSineSource;
        ASSERT_LT(device, kSelectableDevices);
        Command(DeviceCommandId(device));
        ASSERT_EQ(app_->settings.deviceIndex, device);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->capture->isRunning(); }, 3000));
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Waits until a whole frame of the current length has come from the
    // device since now and the loop has drawn a few passes over it.
    void WaitForFreshFrames() {
        const int blocksPerFrame = app_->settings.fftLength / kBlockSamples;
        const std::uint64_t from = app_->capture->ring().blocksPublished();
        ASSERT_TRUE(testsupport::PumpUntil(
            [&] { return app_->capture->ring().blocksPublished() >= from + blocksPerFrame + 2; }, 5000));
        const long passes = app_->frameLoop->PassCount();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->frameLoop->PassCount() >= passes + 3; }, 5000));
    }

    // The upper view as the last pass left it, reduced to one colour's
    // extent per column. The border columns are left out.
    ViewPicture ReadUpper(const std::uint8_t (&bgr)[3]) {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        GdiFlush();
        const Bitmaplib::SurfacePixels s = app_->parts.upperView->Surface();
        ViewPicture pic;
        pic.width = s.width;
        pic.height = s.height;
        pic.columns.resize(std::max(s.width, 0));
        for (int y = 1; y + 1 < s.height; ++y) {
            const std::uint8_t* row = s.bits + (s.height - 1 - y) * s.stride;  // bottom-up
            for (int x = 1; x + 1 < s.width; ++x) {
                const std::uint8_t* p = row + x * 4;
                if (p[0] == bgr[0] && p[1] == bgr[1] && p[2] == bgr[2]) {
                    ColumnExtent& c = pic.columns[x];
                    if (c.top < 0) c.top = y;
                    c.bottom = y;
                }
            }
        }
        return pic;
    }

    // Puts value 0 on the bottom row and the view's height over 1,000 level
    // units, so that the whole spectrum of the tone lies inside the view.
    void ZoomSpectrumToFit() {
        App& app = *app_;
        app_->frameLoop->RunBetweenPasses([&app] {
            app.live.specSpan = 1000.0;
            app.live.specOffset = app.parts.upperView->Height();
        });
    }

    // The column whose spectrum reaches highest, and how far above the
    // typical column it does.
    struct Peak {
        int column = -1;
        int riseRows = 0;
    };
    Peak SpectrumPeak() {
        const ViewPicture pic = ReadUpper(kSpectrumBgr);
        Peak peak;
        int best = pic.height;
        std::vector<int> tops;
        for (int x = 0; x < pic.width; ++x) {
            const int top = pic.columns[x].top;
            if (top < 0) continue;
            tops.push_back(top);
            if (top < best) {
                best = top;
                peak.column = x;
            }
        }
        if (!tops.empty()) {
            std::nth_element(tops.begin(), tops.begin() + tops.size() / 2, tops.end());
            peak.riseRows = tops[tops.size() / 2] - best;
        }
        return peak;
    }

    AxisScale Scale() {
        const AppSettings& s = app_->settings;
        return MakeAxisScale(s.sampleRate, s.halfLength, app_->parts.upperView->Width());
    }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
};

TEST_F(LiveViewTest, TheSpectrumPeaksAtTheTonesColumnOnBothAxes) {
    // The whole screen's width: 440 Hz lies in the first 2 % of the linear axis.
    ShowWindow(hwnd_, SW_MAXIMIZE);
    testsupport::PumpPending();
    ASSERT_GT(app_->parts.upperView->Width(), 1000);
    Command(IDM_COLOUR_OFF);  // an outline: its top is the level
    ZoomSpectrumToFit();
    ASSERT_EQ(app_->settings.fftLength, 4096);

    Command(IDM_GRID_LINEAR);
    WaitForFreshFrames();
    const AxisScale scale = Scale();
    const double width = app_->parts.upperView->Width();
    // Linear axis: bin k at k x width / bins, and 440 Hz is bin 440 / binHz.
    const int linearColumn = static_cast<int>(kToneHz / scale.binHz * width / app_->settings.halfLength);
    const Peak linear = SpectrumPeak();
    EXPECT_NEAR(linear.column, linearColumn, 2);
    EXPECT_GT(linear.riseRows, 20) << "the tone stands out of the floor";

    Command(IDM_GRID_LOG);
    WaitForFreshFrames();
    const Peak log = SpectrumPeak();
    EXPECT_NEAR(log.column, LogAxisX(Scale(), kToneHz), 2);
    EXPECT_GT(log.riseRows, 20);
    EXPECT_GT(log.column, linear.column) << "the log axis spreads the low frequencies";
}

// The waveform of N / 2 samples spans the width: the tone's period of
// rate / 440 samples takes period x width / (N / 2) columns between two
// crossings of the middle row in the same direction.
TEST_F(LiveViewTest, TheWaveformShowsTheTonesPeriod) {
    Command(IDM_VIEW_WAVE);
    ASSERT_EQ(app_->settings.showWave, 1);
    ASSERT_EQ(app_->settings.showSpectrum, 0);
    WaitForFreshFrames();
    const ViewPicture pic = ReadUpper(kWaveBgr);
    const int mid = pic.height / 2;

    // Each column's trace lies above (-1) or below (+1) the middle row by its centre.
    std::vector<int> crossings;
    int previous = 0;
    int swing = 0;
    for (int x = 0; x < pic.width; ++x) {
        const ColumnExtent c = pic.columns[x];
        if (c.top < 0) continue;
        swing = std::max({swing, mid - c.top, c.bottom - mid});
        const int twice = c.top + c.bottom - 2 * mid;
        const int side = twice < 0 ? -1 : (twice > 0 ? 1 : 0);
        if (side == 0) continue;
        if (previous < 0 && side > 0) crossings.push_back(x);
        previous = side;
    }
    ASSERT_GT(swing, 5) << "the tone is too faint to see";
    ASSERT_GE(crossings.size(), 5u);

    const AppSettings& s = app_->settings;
    const double periodSamples = s.sampleRate / kToneHz;
    const double expected = periodSamples * pic.width / (s.fftLength / 2);
    const double measured =
        static_cast<double>(crossings.back() - crossings.front()) / static_cast<double>(crossings.size() - 1);
    EXPECT_NEAR(measured, expected, 0.01 * expected) << crossings.size() << " crossings";
    for (std::size_t i = 1; i < crossings.size(); ++i) {
        EXPECT_NEAR(crossings[i] - crossings[i - 1], expected, 2.0) << "crossing " << i;
    }
}

TEST_F(LiveViewTest, DraggingTheDividerReLaysTheRunningWindowOut) {
    WaitForFreshFrames();
    const int upperBefore = app_->parts.upperView->Height();
    const int lowerBefore = app_->parts.lowerView->Height();
    HWND bar = app_->parts.divider->Handle();
    testsupport::SendMouse(bar, WM_LBUTTONDOWN, 0, 2, MK_LBUTTON);
    testsupport::SendMouse(bar, WM_MOUSEMOVE, 0, 42, MK_LBUTTON);
    testsupport::SendMouse(bar, WM_LBUTTONUP, 0, 42);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->parts.upperView->Height() != upperBefore; }, 5000));
    EXPECT_EQ(app_->parts.upperView->Height(), upperBefore + 40);
    EXPECT_EQ(app_->parts.lowerView->Height(), lowerBefore - 40);
    RECT client;
    GetClientRect(hwnd_, &client);
    EXPECT_DOUBLE_EQ(app_->live.splitRatio, (gdi::NormalRect(bar).top + 0.5) / client.bottom);
    // The loop goes on drawing into the new views.
    const long passes = app_->frameLoop->PassCount();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app_->frameLoop->PassCount() > passes + 2; }, 3000));
    EXPECT_EQ(app_->live.upperHeight, app_->parts.upperView->Height());
}

// Each close stops the frame loop, the status loop and the capture while
// they run, quickly; nothing they held stays behind.
TEST(LiveViewCycles, ClosingTheRunningWindowTwentyTimesStopsEverythingQuickly) {
    testsupport::ScopedTempDir dir;
    long gdiBaseline = 0;
    int threadBaseline = 0;
    for (int round = 0; round <= 20; ++round) {
        HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd, nullptr) << "round " << round;
        App& app = *CurrentApp();
        const std::uint64_t blocks = app.capture->ring().blocksPublished();
        ASSERT_TRUE(testsupport::PumpUntil(
            [&] { return app.frameLoop->PassCount() >= 3 && app.capture->ring().blocksPublished() > blocks; }, 5000))
            << "round " << round;
        if (round > 0) {
            ASSERT_GT(gdi::LiveGdiObjects(), gdiBaseline) << "the views are counted while they live";
            ASSERT_GT(ThreadsOfThisProcess(), threadBaseline + 2) << "the workers run";
        }
        const DWORD start = GetTickCount();
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        const DWORD took = GetTickCount() - start;
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(CurrentApp(), nullptr);
        EXPECT_LT(took, 1000u) << "round " << round;
        testsupport::PumpPending();
        // The first round leaves what a process keeps once (the sound
        // system's own threads and objects): count from there.
        if (round == 0) {
            gdiBaseline = gdi::LiveGdiObjects();
            threadBaseline = ThreadsOfThisProcess();
        }
    }
    EXPECT_EQ(gdi::LiveGdiObjects(), gdiBaseline);
    // Threads that have not ended would pile up, three or more a round.
    EXPECT_LE(ThreadsOfThisProcess(), threadBaseline + 2);
}

}  // namespace
