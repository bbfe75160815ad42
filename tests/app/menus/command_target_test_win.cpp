// Menu commands sent to the real main window: the marks and greyed items the
// user then sees, and what RUN / STOP / REC do to "pcm_data.wav".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/frame/frame_analysis.h"
#include "app/program/app_win.h"
#include "app/window/main_window_win.h"
#include "capture/wav_recorder.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/temp_dir.h"

namespace {

using testsupport::ReadFileBytes;

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    bool Checked(int id) { return (GetMenuState(GetMenu(hwnd_), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
    bool Greyed(int id) { return (GetMenuState(GetMenu(hwnd_), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
    const AppSettings& Settings() { return CurrentApp()->settings; }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
};

TEST_F(CommandsTest, PitchAndCepstrumMarks) {
    Command(IDM_VIEW_PITCH);
    EXPECT_TRUE(Checked(IDM_VIEW_CEPSTRUM));
    EXPECT_TRUE(Checked(IDM_VIEW_PITCH));
    EXPECT_FALSE(Checked(IDM_VIEW_FFT));
    Command(IDM_VIEW_PITCH);
    EXPECT_TRUE(Checked(IDM_VIEW_CEPSTRUM));
    EXPECT_FALSE(Checked(IDM_VIEW_PITCH));
    Command(IDM_VIEW_PITCH);
    Command(IDM_VIEW_CEPSTRUM);
    EXPECT_FALSE(Checked(IDM_VIEW_PITCH));
    Command(IDM_VIEW_FFT);
    EXPECT_TRUE(Checked(IDM_VIEW_FFT));
    EXPECT_FALSE(Checked(IDM_VIEW_CEPSTRUM));
}

TEST_F(CommandsTest, WaveGreysTheSpectrumSettingsAndFftBringsThemBack) {
    Command(IDM_LENGTH_8192);
    Command(IDM_VIEW_WAVE);
    EXPECT_TRUE(Checked(IDM_VIEW_WAVE));
    for (int id : {IDM_WINDOW_NONE, IDM_WINDOW_BLACKMAN, IDM_GRID_LINEAR, IDM_GRID_LOG, IDM_LENGTH_1024, IDM_LENGTH_32768}) {
        EXPECT_TRUE(Greyed(id)) << id;
    }
    EXPECT_FALSE(Greyed(IDM_RATE_44100));
    EXPECT_TRUE(Checked(IDM_LENGTH_8192)) << "the stored setting keeps its mark";
    Command(IDM_VIEW_FFT);
    EXPECT_FALSE(Greyed(IDM_LENGTH_1024));
    EXPECT_EQ(Settings().fftLength, 8192);
}

TEST_F(CommandsTest, EachGroupChecksExactlyTheChosenItem) {
    struct Case { int id; int unchecked; };
    const Case cases[] = {
        {IDM_RATE_96000, IDM_RATE_44100}, {IDM_PAUSE_0, IDM_PAUSE_10}, {IDM_WINDOW_HAMMING, IDM_WINDOW_HANNING},
        {IDM_GRID_LINEAR, IDM_GRID_LOG}, {IDM_COLOUR_OFF, IDM_COLOUR_ON}, {IDM_LENGTH_32768, IDM_LENGTH_4096},
    };
    for (const Case& c : cases) {
        Command(c.id);
        EXPECT_TRUE(Checked(c.id)) << c.id;
        EXPECT_FALSE(Checked(c.unchecked)) << c.id;
    }
    Command(IDM_CAL);
    EXPECT_FALSE(Checked(IDM_CAL));
    EXPECT_TRUE(CurrentApp()->frameAnalysis->Calibration().Requested());
}

std::uint32_t U32At(const std::vector<unsigned char>& b, size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST_F(CommandsTest, RecThenStopBeforeAnyBlockLeavesAnEmptyWav) {
    Command(IDM_REC);
    EXPECT_TRUE(Checked(IDM_REC));
    EXPECT_TRUE(Checked(IDM_RUN));
    EXPECT_EQ(Settings().runState, kRec);
    Command(IDM_REC);  // while recording: nothing happens
    EXPECT_TRUE(CurrentApp()->recorder.IsRecording());
    Command(IDM_STOP);
    EXPECT_TRUE(Checked(IDM_STOP));
    EXPECT_FALSE(Checked(IDM_REC));
    const auto wav = ReadFileBytes(kRecordingFileName);
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(U32At(wav, 4), 36u);
    EXPECT_EQ(U32At(wav, 40), 0u);
    EXPECT_EQ(U32At(wav, 24), 44100u);
}

TEST_F(CommandsTest, StopWithoutARecordingLeavesAnExistingFile) {
    ASSERT_TRUE(testsupport::WriteFileBytes(kRecordingFileName, "old take", 8));
    Command(IDM_STOP);
    Command(IDM_STOP);
    Command(IDM_RUN);
    Command(IDM_STOP);
    const auto wav = ReadFileBytes(kRecordingFileName);
    EXPECT_EQ(std::string(wav.begin(), wav.end()), "old take");
}

std::wstring g_boxText;

// Keeps the text of the message box that comes up and closes it.
void CALLBACK ReadAndCloseMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND box = testsupport::FindThreadDialog()) {
        KillTimer(nullptr, id);
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's text control
        g_boxText = text;
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

// REC is the user's own action: when it cannot start, a message says why.
TEST_F(CommandsTest, ARecordingThatCannotStartSaysWhyAndShowsRun) {
    ASSERT_TRUE(CreateDirectoryA(kRecordingFileName, nullptr));  // the file cannot be created
    Command(IDM_STOP);
    g_boxText.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, ReadAndCloseMessageBox);
    Command(IDM_REC);
    KillTimer(nullptr, timer);
    EXPECT_NE(g_boxText.find(L"pcm_data.wav"), std::wstring::npos) << "the message names the file";
    EXPECT_EQ(Settings().runState, kRun);
    EXPECT_TRUE(Checked(IDM_RUN));
    EXPECT_FALSE(Checked(IDM_REC));
}

TEST_F(CommandsTest, ShutdownDuringARecordingFinishesTheFile) {
    Command(IDM_RATE_8000);
    Command(IDM_REC);
    DestroyWindow(hwnd_);
    // A block may land between the two commands: whole blocks, sizes that agree.
    const auto wav = ReadFileBytes(kRecordingFileName);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ((wav.size() - 44) % kBlockBytes, 0u);
    EXPECT_EQ(U32At(wav, 4), wav.size() - 8);
    EXPECT_EQ(U32At(wav, 40), wav.size() - 44);
    EXPECT_EQ(U32At(wav, 24), 8000u);
}

TEST_F(CommandsTest, RateChangeDuringARecordingEndsItAtTheOldRate) {
    Command(IDM_REC);
    Command(IDM_RATE_48000);
    EXPECT_FALSE(CurrentApp()->recorder.IsRecording());
    EXPECT_EQ(Settings().runState, kRun);
    EXPECT_TRUE(Checked(IDM_RUN));
    const auto wav = ReadFileBytes(kRecordingFileName);
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(U32At(wav, 24), 44100u);
}

}  // namespace
