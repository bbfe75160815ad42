// Capture from the real sound server (the test harness runs a private one
// whose default source carries a 440 Hz sine): the Device menu, the block
// rate and the tone at every offered rate, the fall-back to device 0, and
// capture ending with the window.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "app/commands/device_commands.h"
#include "app/menus/device_menu_win.h"
#include "capture/winmm_input_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/sound_source.h"
#include "support/temp_dir.h"

namespace {

constexpr double kToneHz = testsupport::kSineSourceHz;
using testsupport::DeviceNumber;
using testsupport::kSineSource;
using testsupport::ZeroCrossingHz;

std::string MenuText(HMENU menu, int position) {
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

void Wait(DWORD ms) { testsupport::PumpUntil([] { return false; }, ms); }

TEST(CaptureDevices, TheDeviceMenuListsTheServersSourcesByName) {
    testsupport::ScopedTempDir dir;
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    HMENU devices = GetSubMenu(GetMenu(hwnd), kDeviceMenuPosition);
    const int count = static_cast<int>(waveInGetNumDevs());
    ASSERT_GE(count, 2);
    ASSERT_EQ(GetMenuItemCount(devices), count);
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k) {
        EXPECT_EQ(GetMenuItemID(devices, k), static_cast<UINT>(DeviceCommandId(k)));
        names.push_back(MenuText(devices, k));
    }
    EXPECT_EQ(GetMenuState(devices, IDM_DEVICE_NONE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "placeholder left";
    EXPECT_NE(std::find(names.begin(), names.end(), kSineSource), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Monitor of Discard"), names.end());
    DestroyWindow(hwnd);
}

// An input with no device at all still loses the placeholder.
class NoDevices final : public AudioInput {
public:
    int DeviceCount() override { return 0; }
    unsigned DefaultDevice() override { return 0; }
    bool DeviceName(unsigned, std::string&) override { return false; }
    bool Open(unsigned, int, BufferDone, void*) override { return false; }
    bool Queue(int, void*, std::uint32_t, std::uint32_t) override { return false; }
    bool Start() override { return false; }
    bool Stop() override { return false; }
    bool Reset() override { return false; }
    bool Close() override { return false; }
    bool Position(std::uint32_t&) override { return false; }
    void Wake() override {}
    void WaitForWake(int) override {}
};

TEST(CaptureDevices, WithoutDevicesTheDeviceMenuIsEmpty) {
    HWND hwnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU)),
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    NoDevices none;
    ListDevices(hwnd, none);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(hwnd), kDeviceMenuPosition)), 0);
    DestroyWindow(hwnd);
}

// At every offered rate the ring fills at rate / 512 blocks a second, and a
// 4,096-sample frame carries the 440 Hz tone.
TEST(CaptureStream, EveryRateFillsTheRingAtTheBlockRateWithTheTone) {
    const int device = DeviceNumber(kSineSource);
    ASSERT_GE(device, 0) << "no source named " << kSineSource;
    WaveCapture capture(std::make_unique<WinmmInput>());
    // A freshly started sound server takes a moment to stream steadily.
    ASSERT_EQ(capture.OpenCapture(44100, static_cast<unsigned>(device)), 1);
    Wait(1000);
    for (int rate : {8000, 22050, 44100, 48000, 96000, 192000}) {
        ASSERT_EQ(capture.OpenCapture(rate, static_cast<unsigned>(device)), 1) << rate << " Hz";
        Wait(300);  // past the stream's start-up
        const std::uint64_t from = capture.ring().blocksPublished();
        const DWORD start = GetTickCount();
        Wait(2000);
        const std::uint64_t blocks = capture.ring().blocksPublished() - from;
        const double seconds = (GetTickCount() - start) / 1000.0;
        const double expected = rate / 512.0;
        EXPECT_NEAR(blocks / seconds, expected, 0.05 * expected) << rate << " Hz";

        std::vector<double> frame(4096);
        ASSERT_EQ(capture.FetchSamples(frame, 4096), 4096);
        EXPECT_NEAR(ZeroCrossingHz(frame, rate), kToneHz, 0.005 * kToneHz) << rate << " Hz";
    }
    EXPECT_EQ(capture.CloseCapture(), 1);
    EXPECT_FALSE(capture.isOpen());
}

// Each stop hands the buffer being filled back; resuming queues it again, so
// after twelve cycles all ten still circulate and the ring still fills.
TEST(CaptureStream, TwelvePausesAndResumesKeepTheBlockRate) {
    const int device = DeviceNumber(kSineSource);
    ASSERT_GE(device, 0);
    WaveCapture capture(std::make_unique<WinmmInput>());
    ASSERT_EQ(capture.OpenCapture(44100, static_cast<unsigned>(device)), 1);
    for (int cycle = 0; cycle < 12; ++cycle) {
        Wait(60);
        EXPECT_EQ(capture.PauseCapture(), 1);
        Wait(20);
        EXPECT_EQ(capture.ResumeCapture(), 1);
    }
    Wait(300);
    const std::uint64_t from = capture.ring().blocksPublished();
    Wait(1000);
    EXPECT_NEAR(static_cast<double>(capture.ring().blocksPublished() - from), 44100 / 512.0, 0.05 * 44100 / 512.0);
    std::vector<double> frame(4096);
    capture.FetchSamples(frame, 4096);
    EXPECT_NEAR(ZeroCrossingHz(frame, 44100), kToneHz, 0.005 * kToneHz);
}

TEST(CaptureStartUp, AStoredDeviceThatIsGoneFallsBackToDeviceZero) {
    testsupport::ScopedTempDir dir;
    AppSettings stored{};
    InstallDefaults(stored, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    stored.deviceIndex = 40;
    ASSERT_EQ(WriteSettingsFile(stored, ExtraSettings{}), 1);

    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App& app = *CurrentApp();
    EXPECT_EQ(app.settings.deviceIndex, 0);
    EXPECT_TRUE(app.capture->isRunning());
    const std::uint64_t from = app.capture->ring().blocksPublished();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app.capture->ring().blocksPublished() > from + 10; }, 3000));
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), DeviceCommandId(0), MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    DestroyWindow(hwnd);
}

// Seen from the last message the window gets: its destruction has asked the
// capture to stop (without waiting for it), and soon no block arrives any more.
WNDPROC g_mainProc = nullptr;
bool g_runningAtEnd = true;
std::uint64_t g_blocksGrewAtEnd = 1;

LRESULT CALLBACK WatchEnd(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        WaveCapture& capture = *CurrentApp()->capture;
        Sleep(50);  // the stop on its way, and a block taken in just before it
        g_runningAtEnd = capture.isRunning();
        const std::uint64_t before = capture.ring().blocksPublished();
        Sleep(200);
        g_blocksGrewAtEnd = capture.ring().blocksPublished() - before;
    }
    return CallWindowProcA(g_mainProc, hwnd, message, wParam, lParam);
}

TEST(CaptureShutdown, ClosingTheWindowStopsCapture) {
    testsupport::ScopedTempDir dir;
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    WaveCapture& capture = *CurrentApp()->capture;
    const std::uint64_t from = capture.ring().blocksPublished();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return capture.ring().blocksPublished() > from + 10; }, 3000));
    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchEnd)));
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(g_runningAtEnd);
    EXPECT_EQ(g_blocksGrewAtEnd, 0u);
    EXPECT_EQ(CurrentApp(), nullptr);
}

}  // namespace
