// Capture from the real sound server (the test harness runs a private one
// whose default source carries a 440 Hz sine): the Device menu, the block
// rate and the tone at every offered rate, the fall-back to device 0, the
// sink's monitor as an audio endpoint and loopback refused, and capture
// ending with the window.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "app/commands/device_commands.h"
#include "app/menus/device_menu_win.h"
#include "app/settings/extra_settings.h"
#include "app/layout/window_parts_win.h"
#include "app/status/status_loop_win.h"
#include "display/label_win.h"
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

// The command of the Device menu's endpoint item called `name` (a capture
// endpoint, or with `render` what that output plays), -1 when there is none.
int EndpointItem(const App& app, const wchar_t* name, bool render, std::wstring* id = nullptr) {
    int index[2] = {0, 0};
    for (const Endpoint& endpoint : app.endpointItems) {
        const int item = EndpointCommandId(index[endpoint.render ? 1 : 0]++, endpoint.render);
        if (endpoint.render == render && endpoint.name == name) {
            if (id) *id = endpoint.id;
            return item;
        }
    }
    return -1;
}

// Level of the tone at `hz` in a frame of ring samples, dB relative to a
// full-scale sine (one Hann-windowed DFT term at exactly that frequency).
double ToneDb(const std::vector<double>& x, int rateHz, double hz) {
    const double n = static_cast<double>(x.size());
    double re = 0.0, im = 0.0, weights = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / n);
        const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / rateHz;
        re += w * x[i] * std::cos(phase);
        im -= w * x[i] * std::sin(phase);
        weights += w;
    }
    return 20.0 * std::log10(2.0 * std::hypot(re, im) / weights / 32768.0 + 1e-12);
}

TEST(CaptureDevices, TheDeviceMenuListsTheServersSourcesByName) {
    testsupport::ScopedTempDir dir;
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    HMENU devices = GetSubMenu(GetMenu(hwnd), kDeviceMenuPosition);
    const int count = static_cast<int>(waveInGetNumDevs());
    ASSERT_GE(count, 2);
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k) {
        EXPECT_EQ(GetMenuItemID(devices, k), static_cast<UINT>(DeviceCommandId(k)));
        names.push_back(MenuText(devices, k));
    }
    EXPECT_EQ(GetMenuState(devices, IDM_DEVICE_NONE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "placeholder left";
    EXPECT_NE(std::find(names.begin(), names.end(), kSineSource), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Monitor of Discard"), names.end());
    // Then the endpoints: the capture endpoints by name, the render endpoints
    // as what this PC plays, each group after a separator.
    wchar_t format[128] = {};
    LoadStringW(GetModuleHandleA(nullptr), IDS_LOOPBACK_ITEM, format, 128);
    std::vector<std::wstring> endpointTexts;
    int separators = 0;
    for (int k = count; k < GetMenuItemCount(devices); ++k) {
        wchar_t text[128] = {};
        GetMenuStringW(devices, static_cast<UINT>(k), text, 128, MF_BYPOSITION);
        const UINT id = GetMenuItemID(devices, k);
        separators += id == 0 ? 1 : 0;
        if (id != 0) {
            EXPECT_GE(SelectedEndpointItem(static_cast<int>(id)), 0) << k;
            endpointTexts.push_back(text);
        }
    }
    wchar_t loopback[128] = {};
    _snwprintf(loopback, 127, format, L"SineOut");
    EXPECT_EQ(separators, 2);
    EXPECT_NE(std::find(endpointTexts.begin(), endpointTexts.end(), L"Monitor of SineOut"), endpointTexts.end());
    EXPECT_NE(std::find(endpointTexts.begin(), endpointTexts.end(), loopback), endpointTexts.end());
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

// The sink's monitor as an audio endpoint, chosen from the Device menu: the
// tone at its frequency and level (the server's sine has amplitude 0.5,
// -6.0 dBFS), the item checked and kept in tavrin.ini. Loopback, which Wine
// refuses, gives one message naming the endpoint, and the input stays.
int g_refusals = 0;
std::wstring g_refusal;

void CALLBACK AnswerRefusal(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = testsupport::FindThreadDialog();
    if (!box) return;
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    g_refusal = text;
    ++g_refusals;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(CaptureEndpoints, TheSinksMonitorCarriesTheToneAndLoopbackIsRefusedOnce) {
    testsupport::ScopedTempDir dir;
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App& app = *CurrentApp();
    std::wstring monitorId;
    const int monitorItem = EndpointItem(app, L"Monitor of SineOut", false, &monitorId);
    const int loopbackItem = EndpointItem(app, L"SineOut", true);
    ASSERT_GE(monitorItem, 0);
    ASSERT_GE(loopbackItem, 0);

    SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(monitorItem), 0);
    EXPECT_EQ(app.inputPaths->selectedEndpoint(), monitorId);
    EXPECT_EQ(app.settings.sampleRate, 44100) << "the sink's mix rate";
    std::uint64_t from = app.capture->ring().blocksPublished();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app.capture->ring().blocksPublished() > from + 40; }, 4000));
    std::vector<double> frame(4096);
    ASSERT_EQ(app.capture->FetchSamples(frame, 4096), 4096);
    EXPECT_NEAR(ZeroCrossingHz(frame, 44100), kToneHz, 0.005 * kToneHz);
    double peak = 0.0;
    for (double x : frame) peak = std::max(peak, std::abs(x));
    EXPECT_NEAR(20.0 * std::log10(peak / 32768.0), -6.02, 0.05) << "peak " << peak;
    SendMessageW(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(hwnd), kDeviceMenuPosition)), 1);
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), monitorItem, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), DeviceCommandId(0), MF_BYCOMMAND) & MF_CHECKED, 0u);

    const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerRefusal);
    SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(loopbackItem), 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_refusals, 1);
    EXPECT_NE(g_refusal.find(L"SineOut"), std::wstring::npos) << "the message names the endpoint";
    EXPECT_EQ(app.inputPaths->selectedEndpoint(), monitorId) << "the previous input stays";
    from = app.capture->ring().blocksPublished();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app.capture->ring().blocksPublished() > from + 10; }, 3000));
    EXPECT_FALSE(app.capture->inputLost());

    // Another rate chosen afterwards is converted to by the system.
    SendMessageW(hwnd, WM_COMMAND, IDM_RATE_48000, 0);
    EXPECT_EQ(app.inputPaths->selectedEndpoint(), monitorId);
    from = app.capture->ring().blocksPublished();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app.capture->ring().blocksPublished() > from + 40; }, 4000));
    ASSERT_EQ(app.capture->FetchSamples(frame, 4096), 4096);
    EXPECT_NEAR(ZeroCrossingHz(frame, 48000), kToneHz, 0.005 * kToneHz) << "at 48,000 Hz";
    DestroyWindow(hwnd);

    char ini[4096] = {};
    FILE* file = std::fopen("tavrin.ini", "rb");
    ASSERT_NE(file, nullptr);
    ini[std::fread(ini, 1, sizeof ini - 1, file)] = '\0';
    std::fclose(file);
    const ExtraSettings kept = ParseExtraSettings(ini);
    EXPECT_TRUE(kept.endpointInput);
    EXPECT_EQ(kept.endpointId, std::string(monitorId.begin(), monitorId.end()));
}

// A stereo endpoint (the server's StereoOut: 440 Hz left, 880 Hz right, each
// at amplitude 0.5) gives the channel chosen in the Settings menu: one tone
// at -6 dBFS and not the other, or in the mix both at -12 dBFS; the status
// line names the channel, and the choice is there again after a restart.
TEST(CaptureEndpoints, AStereoEndpointGivesTheChosenChannel) {
    testsupport::ScopedTempDir dir;
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App* app = CurrentApp();
    const int stereoItem = EndpointItem(*app, L"Monitor of StereoOut", false);
    ASSERT_GE(stereoItem, 0);
    SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(stereoItem), 0);
    const auto statusText = [&app] {
        LabelText::Buffer text;
        app->parts.statusLabel->CopyText(text);
        return std::string(text);
    };
    struct Case {
        int command;
        double db440, db880;  // 0: absent
        const char* shown;
    };
    const Case cases[] = {
        {IDM_CHANNEL_RIGHT, 0, -6.02, ", right"},
        {IDM_CHANNEL_LEFT, -6.02, 0, ", left"},
        {IDM_CHANNEL_8, -6.02, 0, ", left"},  // a channel the endpoint lacks reads the left
        {IDM_CHANNEL_MIX, -12.04, -12.04, ", mix"},
    };
    std::vector<double> frame(4096);
    for (const Case& c : cases) {
        SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(c.command), 0);
        const std::uint64_t from = app->capture->ring().blocksPublished();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app->capture->ring().blocksPublished() > from + 20; }, 4000));
        ASSERT_EQ(app->capture->FetchSamples(frame, 4096), 4096);
        for (const auto& [hz, db] : {std::pair{440.0, c.db440}, std::pair{880.0, c.db880}}) {
            if (db == 0) {
                EXPECT_LT(ToneDb(frame, 44100, hz), -60.0) << c.shown << ": " << hz << " Hz";
            } else {
                EXPECT_NEAR(ToneDb(frame, 44100, hz), db, 0.1) << c.shown << ": " << hz << " Hz";
            }
        }
        EXPECT_NE(statusText().find(c.shown), std::string::npos) << statusText();
    }
    DestroyWindow(hwnd);

    hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    app = CurrentApp();
    EXPECT_EQ(app->inputPaths->channel(), kChannelMix);
    const std::uint64_t from = app->capture->ring().blocksPublished();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app->capture->ring().blocksPublished() > from + 20; }, 4000));
    ASSERT_EQ(app->capture->FetchSamples(frame, 4096), 4096);
    EXPECT_NEAR(ToneDb(frame, 44100, 880.0), -12.04, 0.1) << "the mix again";
    RefreshStatus(*app);
    EXPECT_NE(statusText().find(", mix"), std::string::npos) << statusText();
    DestroyWindow(hwnd);
}

}  // namespace
