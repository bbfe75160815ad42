// Settings surviving a restart, as a user sees it: the window's placement,
// the menu's marks and the file written when the window closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "app/settings_file_win.h"
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

TEST_F(SettingsFileTest, AFailedWriteKeepsTheOldFile) {
    AppSettings s = Stored();
    Store(s);
    const auto before = ReadFileBytes(kSettingsFileName);
    // The temporary file cannot be created where a directory of its name stands.
    ASSERT_TRUE(CreateDirectoryA("param.bin.new", nullptr));
    HWND hwnd = Open();
    SetWindowPos(hwnd, nullptr, 10, 10, 650, 450, SWP_NOZORDER);
    Close(hwnd);
    EXPECT_EQ(ReadFileBytes(kSettingsFileName), before);
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
