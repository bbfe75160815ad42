// Settings surviving a restart, as a user sees it: the window's placement,
// the menu's marks and the file written when the window closes.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/layout.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "display/plot_view_win.h"
#include "resources/resource_ids.h"
#include "support/temp_dir.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    HWND Open() {
        HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }
    void Close(HWND hwnd) {
        DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    static AppSettings Stored() {
        AppSettings s{};
        InstallDefaults(s, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        s.winX = 40;
        s.winY = 30;
        s.winWidth = 700;
        s.winHeight = 520;
        s.sampleRate = 22050;
        return s;
    }
    static void Store(const AppSettings& s) { ASSERT_TRUE(WriteFileBytes(kSettingsFileName, &s, sizeof s)); }
    static void StoreIni(const std::string& text) {
        ASSERT_TRUE(WriteFileBytes(kExtraSettingsFileName, text.data(), text.size()));
    }
    static std::string IniText() {
        const auto bytes = ReadFileBytes(kExtraSettingsFileName);
        return std::string(bytes.begin(), bytes.end());
    }
    // Both views at least their least height and the divider between them.
    static void ExpectUsable(HWND hwnd, const char* what) {
        App& app = *CurrentApp();
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_GE(app.parts.upperView->Height(), kMinViewHeightPx) << what;
        EXPECT_GE(app.parts.lowerView->Height(), kMinViewHeightPx) << what;
        const RECT bar = gdi::NormalRect(app.parts.divider->Handle());
        EXPECT_GT(bar.top, kUpperTopPx) << what;
        EXPECT_LT(bar.bottom, client.bottom) << what;
    }
    static RECT Placement(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    }
    testsupport::ScopedTempDir dir_;
};

TEST_F(SettingsFileTest, FirstStartCentresA600By500WindowWithTheDefaults) {
    HWND hwnd = Open();
    RECT r = Placement(hwnd);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 500);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 600) / 2);
    HMENU menu = GetMenu(hwnd);
    for (int id : {IDM_RUN, IDM_VIEW_FFT, IDM_RATE_44100, IDM_LENGTH_4096, IDM_WINDOW_HANNING, IDM_PAUSE_10,
                   IDM_GRID_LOG, IDM_COLOUR_ON}) {
        EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED)) << id;
    }
    Close(hwnd);
    EXPECT_EQ(ReadFileBytes(kSettingsFileName).size(), kSettingsBytes) << "the first exit creates the file";
}

TEST_F(SettingsFileTest, TheFileWrittenAtExitRoundTripsByteForByte) {
    Store(Stored());
    Close(Open());
    const auto first = ReadFileBytes(kSettingsFileName);
    ASSERT_EQ(first.size(), kSettingsBytes);
    EXPECT_EQ(std::memcmp(first.data() + 168, "Quorel00", 8), 0);
    Close(Open());
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), first);
}

TEST_F(SettingsFileTest, StoredPlacementAndRecordingState) {
    AppSettings s = Stored();
    s.runState = kRec;
    Store(s);
    HWND hwnd = Open();
    RECT r = Placement(hwnd);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(CurrentApp()->settings.runState, kRun);
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), IDM_RUN, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(GetMenu(hwnd), IDM_RATE_22050, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    Close(hwnd);
}

TEST_F(SettingsFileTest, OffScreenPositionsAreCentredNegativeOnesKept) {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    struct Case { int x, y, wantX, wantY; };
    const Case cases[] = {
        {cx + 10, 30, (cx - 700) / 2, (cy - 520) / 2},
        {40, cy + 10, (cx - 700) / 2, (cy - 520) / 2},
        {-50, -30, -50, -30},
        {-100000, -100000, (cx - 700) / 2, (cy - 520) / 2},  // on no monitor at all
    };
    for (const Case& c : cases) {
        AppSettings s = Stored();
        s.winX = c.x;
        s.winY = c.y;
        Store(s);
        HWND hwnd = Open();
        RECT r = Placement(hwnd);
        EXPECT_EQ(r.left, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(r.top, c.wantY) << c.x << "," << c.y;
        Close(hwnd);
    }
}

// Hand-edited or damaged values that pass for numbers but used to leave the
// window unusable: it starts with both views and the divider in reach, on a
// monitor, and the file written at exit holds the corrected values.
TEST_F(SettingsFileTest, UnusableStoredValuesStartAUsableWindowAndAreWrittenBackCorrected) {
    struct Case { const char* what; void (*spoil)(AppSettings&); };
    const Case cases[] = {
        {"split 1", [](AppSettings& s) { s.splitRatio = 1.0; }},
        {"split 0", [](AppSettings& s) { s.splitRatio = 0.0; }},
        {"offsets +1e300", [](AppSettings& s) { s.specOffset = s.cepOffset = s.activeOffset = 1e300; }},
        {"offsets -1e300", [](AppSettings& s) { s.specOffset = s.cepOffset = s.activeOffset = -1e300; }},
        {"spans 1e300", [](AppSettings& s) { s.specSpan = s.cepSpan = s.activeSpan = 1e300; }},
        {"spans 1e-300", [](AppSettings& s) { s.specSpan = s.cepSpan = s.activeSpan = 1e-300; }},
        {"view height 1, offset far down", [](AppSettings& s) { s.upperHeight = 1; s.activeOffset = 90000.0; }},
        {"window on no monitor", [](AppSettings& s) { s.winX = -100000; s.winY = -100000; }},
    };
    for (const Case& c : cases) {
        AppSettings s = Stored();
        c.spoil(s);
        Store(s);
        HWND hwnd = Open();
        RECT client{};
        GetClientRect(hwnd, &client);
        ExpectUsable(hwnd, c.what);
        RECT placed = Placement(hwnd);
        EXPECT_NE(MonitorFromRect(&placed, MONITOR_DEFAULTTONULL), nullptr) << c.what;
        Close(hwnd);

        const auto bytes = ReadFileBytes(kSettingsFileName);
        ASSERT_EQ(bytes.size(), kSettingsBytes) << c.what;
        AppSettings w;
        std::memcpy(&w, bytes.data(), sizeof w);
        const double barTop = w.splitRatio * client.bottom;
        EXPECT_GE(barTop, kUpperTopPx + kMinViewHeightPx) << c.what;
        EXPECT_LE(barTop, client.bottom - kMinViewHeightPx) << c.what;
        for (double span : {w.specSpan, w.cepSpan, w.activeSpan}) {
            EXPECT_TRUE(span >= 0.01 && span <= 100000.0) << c.what << ": span " << span;
        }
        for (double offset : {w.specOffset, w.cepOffset, w.activeOffset}) {
            EXPECT_LE(std::fabs(offset), kMaxOffsetPx) << c.what << ": offset " << offset;
        }
        RECT stored{w.winX, w.winY, w.winX + w.winWidth, w.winY + w.winHeight};
        EXPECT_NE(MonitorFromRect(&stored, MONITOR_DEFAULTTONULL), nullptr) << c.what;
    }
}

TEST_F(SettingsFileTest, ClosingWhileMinimisedKeepsTheLoadedPlacement) {
    Store(Stored());
    HWND hwnd = Open();
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(hwnd));
    Close(hwnd);
    const auto bytes = ReadFileBytes(kSettingsFileName);
    ASSERT_EQ(bytes.size(), kSettingsBytes);
    AppSettings written;
    std::memcpy(&written, bytes.data(), sizeof written);
    EXPECT_EQ(written.winX, 40);
    EXPECT_EQ(written.winY, 30);
    EXPECT_EQ(written.winWidth, 700);
    EXPECT_EQ(written.winHeight, 520);
}

// Both files are written or neither: whichever step fails, the old ones stay.
TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFiles) {
    struct Obstacle {
        const char* what;
        std::function<HANDLE()> make;  // returns a handle to hold open meanwhile, or null
    };
    // A temporary file cannot be created where a directory of its name stands.
    const auto directory = [](const char* name) {
        return [name] {
            EXPECT_TRUE(CreateDirectoryA(name, nullptr)) << name;
            return HANDLE{};
        };
    };
    const Obstacle obstacles[] = {
        {"param.bin.new is a directory", directory("param.bin.new")},
        {"tavrin.ini.new is a directory", directory("tavrin.ini.new")},
        {"param.bin cannot be replaced", [] {
             return CreateFileA(kSettingsFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
         }},
    };
    for (const Obstacle& o : obstacles) {
        testsupport::ScopedTempDir caseDir;
        Store(Stored());
        StoreIni("input_device=Old\r\n");
        const auto before = ReadFileBytes(kSettingsFileName);
        const HANDLE held = o.make();
        HWND hwnd = Open();
        SetWindowPos(hwnd, nullptr, 10, 10, 650, 450, SWP_NOZORDER);
        Close(hwnd);
        if (held != nullptr && held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(ReadFileBytes(kSettingsFileName), before) << o.what;
        EXPECT_EQ(IniText(), "input_device=Old\r\n") << o.what;
        EXPECT_EQ(GetFileAttributesA("tavrin.ini.old"), INVALID_FILE_ATTRIBUTES) << o.what;
    }
}

// "tavrin.ini" names the device in use at exit. A damaged or hostile one
// changes nothing else: the window starts usable and "param.bin" is written
// byte for byte as without it.
TEST_F(SettingsFileTest, TheIniNamesTheDeviceInUseAndAHostileOneChangesNothingElse) {
    Store(Stored());
    HWND hwnd = Open();
    const auto device = static_cast<UINT>(CurrentApp()->settings.deviceIndex);
    Close(hwnd);
    const auto param = ReadFileBytes(kSettingsFileName);
    ASSERT_EQ(param.size(), kSettingsBytes);
    WAVEINCAPSA caps{};
    ASSERT_EQ(waveInGetDevCapsA(device, &caps, sizeof caps), MMSYSERR_NOERROR);
    // The device's line, then the measuring choices at their defaults.
    const std::string written = std::string("input_device=") + caps.szPname +
                                "\r\ncolour_map=rainbow\r\naverage=off\r\naverage_seconds=1\r\naverage_frames=16\r\n"
                                "input_path=wave\r\nendpoint_id=\r\nchannel=left\r\nrecord_format=16\r\nband_view=off\r\nband_fraction=3\r\nweighting=Z\r\n";
    EXPECT_EQ(IniText(), written);

    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 256);
    struct Case {
        const char* what;
        std::string text;
        std::string readAtStart;
    };
    const Case cases[] = {
        {"random bytes", noise, ""},
        {"one huge line", std::string(4 << 20, 'x'), ""},
        {"mark, CRLF, unknown keys", "\xEF\xBB\xBF# by hand\r\nvolume=11\r\n input_device = Mic \r\n", "Mic"},
        {"bad value", std::string("input_device=\xFF\0\r\n", 17), ""},
    };
    for (const Case& c : cases) {
        StoreIni(c.text);
        hwnd = Open();
        EXPECT_EQ(CurrentApp()->extraSettings->inputDevice, c.readAtStart) << c.what;
        ExpectUsable(hwnd, c.what);
        Close(hwnd);
        EXPECT_EQ(ReadFileBytes(kSettingsFileName), param) << c.what;
        EXPECT_EQ(IniText(), written) << c.what;
    }
}

TEST_F(SettingsFileTest, AShortFileIsTreatedAsMissing) {
    AppSettings s = Stored();
    ASSERT_TRUE(WriteFileBytes(kSettingsFileName, &s, 100));
    HWND hwnd = Open();
    EXPECT_EQ(CurrentApp()->settings.sampleRate, 44100);
    RECT r = Placement(hwnd);
    EXPECT_EQ(r.right - r.left, 600);
    Close(hwnd);
}

}  // namespace

namespace {

TEST_F(SettingsFileTest, TheStoredSelectionComesBackInTheViews) {
    AppSettings s = Stored();
    s.selY0 = 0.2;
    s.selX0 = 0.25;
    s.selX1 = 0.75;
    s.selY1 = 0.8;
    Store(s);
    HWND hwnd = Open();
    App& app = *CurrentApp();
    app.frameLoop->Stop();
    for (const PlotViewPtr* view : {&app.parts.upperView, &app.parts.lowerView}) {
        const SelectionBlock b = (*view)->Selection();
        EXPECT_EQ(b.y0, 0.2);
        EXPECT_EQ(b.x0, 0.25);
        EXPECT_EQ(b.x1, 0.75);
        EXPECT_EQ(b.y1, 0.8);
    }
    Close(hwnd);
    AppSettings written;
    const auto bytes = ReadFileBytes(kSettingsFileName);
    ASSERT_EQ(bytes.size(), kSettingsBytes);
    std::memcpy(&written, bytes.data(), sizeof written);
    EXPECT_EQ(written.selX0, 0.25);
    EXPECT_EQ(written.selY1, 0.8);
}

}  // namespace
