// Every menu command sent to the running program while its frame loop draws:
// after each one the menu and the status line agree with the settings and
// frames go on. Then the long runs a user could make: a thousand data-length
// switches and a thousand REC/STOP cycles, with the capture appending.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <cstring>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/frame_analysis.h"
#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/commands/commands.h"
#include "app/window/main_window_win.h"
#include "app/commands/menu_tables.h"
#include "app/settings/settings_file_win.h"
#include "app/status/status_text.h"
#include "app/commands/device_commands.h"
#include "app/files/file_input_win.h"
#include "capture/wav_recorder.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/temp_dir.h"

namespace {

constexpr DWORD kFramesTimeoutMs = 3000;
constexpr int kLongRun = 1000;

// Every command id of the menu bar, in menu order (separators and pop-ups left out).
void CollectCommandIds(HMENU menu, std::vector<int>& ids) {
    for (int k = 0; k < GetMenuItemCount(menu); ++k) {
        if (HMENU sub = GetSubMenu(menu, k)) {
            CollectCommandIds(sub, ids);
        } else if (const UINT id = GetMenuItemID(menu, k); id != 0 && id != static_cast<UINT>(-1)) {
            ids.push_back(static_cast<int>(id));
        }
    }
}

// The status line without its frame-rate figure (or the "filling" or
// "no input" in its place), which the loops keep changing.
std::string WithoutFps(const std::string& text) {
    return std::regex_replace(text, std::regex(", ([0-9]+fps|filling|no input)"), ", ");
}

std::uint32_t U32At(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// A finished recording, in whichever format it was taken: a whole number of
// blocks under sizes that describe them.
::testing::AssertionResult IsFinishedWav(const std::vector<unsigned char>& wav) {
    if (wav.size() < kWavHeadBytes) {
        return ::testing::AssertionFailure() << "size " << wav.size();
    }
    const std::size_t head = wav[20] == 3 ? kWavFloatHeadBytes : kWavHeadBytes;
    const std::size_t blockBytes = kWavBlockSamples * (wav[32] | (wav[33] << 8));
    if (wav.size() < head || blockBytes == 0 || (wav.size() - head) % blockBytes != 0) {
        return ::testing::AssertionFailure() << "size " << wav.size();
    }
    if (U32At(wav, head - 4) != wav.size() - head || U32At(wav, 4) != wav.size() - 8) {
        return ::testing::AssertionFailure() << "sizes " << U32At(wav, 4) << "/" << U32At(wav, head - 4) << " for "
                                             << wav.size() << " bytes";
    }
    return ::testing::AssertionSuccess();
}

HWND g_closedDialog;
long g_passesWhileOpen;
DWORD g_openedAt;

// Closes the About box once frames have been drawn behind it (or after the
// frame timeout, so that a stalled loop fails the test instead of hanging it).
void CALLBACK CloseAboutBoxAfterFrames(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = testsupport::FindThreadDialog();
    if (!dialog) return;
    if (g_openedAt == 0) {
        g_openedAt = GetTickCount();
        g_passesWhileOpen = -CurrentApp()->frameLoop->PassCount();
    }
    const long passes = g_passesWhileOpen + CurrentApp()->frameLoop->PassCount();
    if (passes >= 3 || GetTickCount() - g_openedAt > 3000) {
        g_passesWhileOpen = passes;
        g_closedDialog = dialog;
        KillTimer(nullptr, id);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

// The takes kept beside the recording, by their names.
std::vector<std::string> KeptTakes() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA("pcm_data-*.wav", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

// Answers the next message box with `g_answer` and keeps its text.
int g_answer;
std::wstring g_boxText;

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND box = testsupport::FindThreadDialog()) {
        KillTimer(nullptr, id);
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's text control
        g_boxText = text;
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED), 0);
    }
}

// What the menu must show, kept from the commands the test gives and written
// without the program's own mark computation: in each group the item chosen
// last is checked and no other; REC is checked exactly while a file is being
// recorded, and RUN with it; the pitch item toggles and is shown only in the
// cepstrum view; the band view is a view of its own, shown in place of FFT;
// the spectrum-only items are greyed in the WAVE view alone, and Clear
// calibration always (no input is calibrated here).
class ExpectedMenu {
public:
    explicit ExpectedMenu(int device) : device_(device) {}

    void Chose(int id) {
        for (std::vector<int>* group :
             {&rates_, &lengths_, &pauses_, &windows_, &colourMaps_, &averages_, &channels_, &recordFormats_,
              &bandWidths_, &weightings_}) {
            if (std::find(group->begin(), group->end(), id) != group->end()) {
                chosen_[group] = id;
            }
        }
        if (id == IDM_GRID_LINEAR || id == IDM_GRID_LOG) grid_ = id;
        if (id == IDM_COLOUR_ON || id == IDM_COLOUR_OFF) colour_ = id;
        if (SelectedDevice(id) >= 0) device_ = id;
        if (id == IDM_RUN || id == IDM_REC) stopped_ = false;
        if (id == IDM_STOP) stopped_ = true;
        if (id == IDM_VIEW_WAVE || id == IDM_VIEW_FFT || id == IDM_VIEW_WAVE_FFT) {
            view_ = id;
            pitch_ = false;
        }
        if (id == IDM_VIEW_CEPSTRUM || id == IDM_VIEW_BANDS) {
            view_ = id;
            pitch_ = false;
        }
        if (id == IDM_VIEW_PITCH) {
            pitch_ = !pitch_;
            view_ = IDM_VIEW_CEPSTRUM;
        }
    }

    bool Checked(int id, bool recording) const {
        for (const auto& [group, chosen] : chosen_) {
            if (std::find(group->begin(), group->end(), id) != group->end()) return id == chosen;
        }
        if (id == IDM_RUN) return !stopped_;
        if (id == IDM_STOP) return stopped_;
        if (id == IDM_REC) return recording;
        if (id == IDM_VIEW_PITCH) return pitch_;
        return id == grid_ || id == colour_ || id == device_ || id == view_;
    }

    // The averaging the status line names, from the item chosen last.
    AverageChoice Average() const {
        switch (chosen_.at(&averages_)) {
            case IDM_AVERAGE_FAST: return {AverageMode::kExponential, 0.125, 16};
            case IDM_AVERAGE_SLOW: return {AverageMode::kExponential, 1.0, 16};
            case IDM_AVERAGE_LINEAR: return {AverageMode::kLinear, 1.0, 16};
            case IDM_AVERAGE_MAX: return {AverageMode::kMaxHold, 1.0, 16};
            default: return {};
        }
    }

    // The band view the status line names: the width and weighting chosen last.
    std::optional<BandChoice> Bands() const {
        if (view_ != IDM_VIEW_BANDS) return std::nullopt;
        const auto at = [](const std::vector<int>& items, int id) {
            return static_cast<int>(std::find(items.begin(), items.end(), id) - items.begin());
        };
        return BandChoice{kBandFractions[at(bandWidths_, chosen_.at(&bandWidths_))],
                          static_cast<BandWeighting>(at(weightings_, chosen_.at(&weightings_)))};
    }

    bool Greyed(int id) const {
        // No input is calibrated here: there is nothing to clear.
        if (id == IDM_CALIBRATION_CLEAR) return true;
        const bool spectrumOnly = id == IDM_GRID_LINEAR || id == IDM_GRID_LOG ||
                                  std::find(lengths_.begin(), lengths_.end(), id) != lengths_.end() ||
                                  std::find(windows_.begin(), windows_.end(), id) != windows_.end();
        return spectrumOnly && view_ == IDM_VIEW_WAVE;
    }

private:
    std::vector<int> rates_{IDM_RATE_8000, IDM_RATE_22050, IDM_RATE_44100, IDM_RATE_48000, IDM_RATE_96000,
                            IDM_RATE_192000};
    std::vector<int> lengths_{IDM_LENGTH_1024, IDM_LENGTH_2048, IDM_LENGTH_4096, IDM_LENGTH_8192,
                              IDM_LENGTH_16384, IDM_LENGTH_32768};
    std::vector<int> pauses_{IDM_PAUSE_0, IDM_PAUSE_1, IDM_PAUSE_5, IDM_PAUSE_10, IDM_PAUSE_50, IDM_PAUSE_100,
                             IDM_PAUSE_500};
    std::vector<int> windows_{IDM_WINDOW_NONE, IDM_WINDOW_HANNING, IDM_WINDOW_HAMMING, IDM_WINDOW_BLACKMAN};
    std::vector<int> colourMaps_{IDM_COLOUR_MAP_RAINBOW, IDM_COLOUR_MAP_MAGMA, IDM_COLOUR_MAP_GREY};
    std::vector<int> averages_{IDM_AVERAGE_OFF, IDM_AVERAGE_FAST, IDM_AVERAGE_SLOW, IDM_AVERAGE_LINEAR,
                               IDM_AVERAGE_MAX};
    std::vector<int> channels_{IDM_CHANNEL_MIX, IDM_CHANNEL_LEFT, IDM_CHANNEL_RIGHT, IDM_CHANNEL_3, IDM_CHANNEL_4,
                               IDM_CHANNEL_5,   IDM_CHANNEL_6,    IDM_CHANNEL_7,     IDM_CHANNEL_8};
    std::vector<int> recordFormats_{IDM_RECORD_PCM16, IDM_RECORD_PCM24, IDM_RECORD_FLOAT32};
    std::vector<int> bandWidths_{IDM_BANDS_1, IDM_BANDS_3, IDM_BANDS_6, IDM_BANDS_12, IDM_BANDS_24};
    std::vector<int> weightings_{IDM_WEIGHTING_Z, IDM_WEIGHTING_A, IDM_WEIGHTING_C};
    // The first start's choices.
    std::map<const std::vector<int>*, int> chosen_{
        {&rates_, IDM_RATE_44100}, {&lengths_, IDM_LENGTH_4096}, {&pauses_, IDM_PAUSE_10},
        {&windows_, IDM_WINDOW_HANNING}, {&colourMaps_, IDM_COLOUR_MAP_RAINBOW}, {&averages_, IDM_AVERAGE_OFF},
        {&channels_, IDM_CHANNEL_LEFT}, {&recordFormats_, IDM_RECORD_PCM16},
        {&bandWidths_, IDM_BANDS_3}, {&weightings_, IDM_WEIGHTING_Z}};
    int grid_ = IDM_GRID_LOG;
    int colour_ = IDM_COLOUR_ON;
    int device_;
    int view_ = IDM_VIEW_FFT;
    bool stopped_ = false;
    bool pitch_ = false;
};

class RunningCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        CollectCommandIds(GetMenu(hwnd_), menuIds_);
        ASSERT_TRUE(FramesRun());
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    void Command(int id) {
        SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        expected_.Chose(id);
    }
    ::App& App() { return *CurrentApp(); }
    // A new pass begins within the pause in force.
    bool FramesRun() {
        const long from = App().frameLoop->PassCount();
        const DWORD timeout = kFramesTimeoutMs + static_cast<DWORD>(App().settings.pauseMs);
        return testsupport::PumpUntil([&] { return App().frameLoop->PassCount() > from; }, timeout);
    }
    // N of the frame the loop drew last, read between two passes.
    int AnalysedLength() {
        int n = 0;
        App().frameLoop->RunBetweenPasses([&] { n = App().frameLoop->LastFrame().sampleCount; });
        return n;
    }
    std::string StatusText() {
        LabelText::Buffer text;
        App().parts.statusLabel->CopyText(text);
        return text;
    }
    // The menu's marks and greys follow the commands given; the status line
    // shows the settings in force.
    void ExpectShownAsSet(const char* after) {
        const AppSettings& s = App().settings;
        HMENU menu = GetMenu(hwnd_);
        const bool recording = App().recorder.IsRecording();
        for (int id : menuIds_) {
            const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
            EXPECT_EQ((state & MF_CHECKED) != 0, expected_.Checked(id, recording)) << "item " << id << " after " << after;
            EXPECT_EQ((state & MF_GRAYED) != 0, expected_.Greyed(id)) << "item " << id << " after " << after;
        }
        char expected[kStatusTextBytes];
        InputStatus input;
        input.average = expected_.Average();
        input.bands = expected_.Bands();
        input.calibrated = App().calibration && App().calibration->InUse();
        FormatStatus(expected, s, input);
        EXPECT_EQ(WithoutFps(StatusText()), WithoutFps(expected)) << "after " << after;
        EXPECT_EQ(recording, s.runState == kRec) << "after " << after;
    }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
    std::vector<int> menuIds_;
    ExpectedMenu expected_{DeviceCommandId(0)};
};

TEST_F(RunningCommandsTest, EveryMenuCommandWorksWhileFramesRun) {
    std::vector<int> ids = menuIds_;
    ASSERT_GT(ids.size(), 40u);
    // The pauses last, so that a long one does not slow every later check.
    std::stable_partition(ids.begin(), ids.end(), [](int id) {
        return std::none_of(std::begin(kPauseItems), std::end(kPauseItems),
                            [id](const MenuItemValue& p) { return p.id == id; });
    });
    for (int id : ids) {
        // Exit ends the run; About, Open, Calibrate and the save items open modal dialogs;
        // an endpoint item changes the way in (loopback with a message under
        // Wine), which the capture tests follow.
        if (id == IDM_EXIT || id == IDM_ABOUT || id == IDM_FILE_OPEN || id == IDM_SAVE_PNG || id == IDM_SAVE_CSV ||
            id == IDM_CALIBRATE || SelectedEndpointItem(id) >= 0) {
            continue;
        }
        Command(id);
        const std::string what = std::to_string(id);
        ExpectShownAsSet(what.c_str());
        ASSERT_TRUE(FramesRun()) << "after " << id;
    }

    // CAL in a cepstrum view: the next pass takes the request.
    Command(IDM_VIEW_CEPSTRUM);
    Command(IDM_CAL);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !App().frameAnalysis->Calibration().Requested(); },
                                       kFramesTimeoutMs));

    // About is modal; frames go on behind it.
    g_closedDialog = nullptr;
    g_openedAt = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseAboutBoxAfterFrames);
    ASSERT_NE(timer, 0u);
    Command(IDM_ABOUT);
    KillTimer(nullptr, timer);
    EXPECT_NE(g_closedDialog, nullptr);
    EXPECT_GE(g_passesWhileOpen, 3);
    ExpectShownAsSet("About");

    Command(IDM_REC);
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_EQ(CurrentApp(), nullptr);
    EXPECT_EQ(testsupport::ReadFileBytes(kSettingsFileName).size(), kSettingsBytes);
    EXPECT_TRUE(IsFinishedWav(testsupport::ReadFileBytes(kRecordingFileName)));
}

// Each switch waits for two hand-overs to the frame loop and re-lays the
// window out. The first hundred rebuild the views; for the rest the window is
// minimised, which leaves the views alone (a re-layout takes some 30 ms under
// Wine) while the analysis is still set up anew between passes each time.
TEST_F(RunningCommandsTest, AThousandDataLengthSwitches) {
    constexpr int kShownSwitches = 100;
    constexpr int kCepstrumFrom = 700;
    Command(IDM_PAUSE_0);  // as fast as frames come
    int last = 0;
    for (int k = 0; k < kLongRun; ++k) {
        if (k == kShownSwitches) ShowWindow(hwnd_, SW_MINIMIZE);
        if (k == kCepstrumFrom) Command(IDM_VIEW_PITCH);
        // Every step a different length, every length often.
        const MenuItemValue& item = kLengthItems[(k + k / 6) % std::size(kLengthItems)];
        Command(item.id);
        last = item.value;
        ASSERT_EQ(App().settings.fftLength, last) << k;
    }
    ShowWindow(hwnd_, SW_RESTORE);
    EXPECT_EQ(App().settings.halfLength, last / 2);
    ASSERT_TRUE(FramesRun());
    EXPECT_EQ(App().frameAnalysis->FrameLength(), last) << "the analysis has the last length";
    EXPECT_EQ(AnalysedLength(), last) << "and the frames drawn since have it";
    EXPECT_EQ(App().settings.cepstrumMode, 1);
    ExpectShownAsSet("the last switch");
}

// A change that must wait for the frame loop does not wait out its pause:
// at the longest pause a data-length switch still answers at once.
TEST_F(RunningCommandsTest, ALengthSwitchDoesNotWaitOutALongPause) {
    Command(IDM_PAUSE_500);
    ASSERT_TRUE(FramesRun());  // the loop is now in its pause
    for (int id : {IDM_LENGTH_8192, IDM_RATE_48000, IDM_LENGTH_2048}) {
        const DWORD start = GetTickCount();
        Command(id);
        EXPECT_LT(GetTickCount() - start, 300u) << id;
    }
    EXPECT_EQ(App().frameAnalysis->FrameLength(), 2048);
}

TEST_F(RunningCommandsTest, AThousandRecStopCycles) {
    std::uint32_t blocksSeen = 0;
    for (int k = 0; k < kLongRun; ++k) {
        Command(IDM_REC);
        ASSERT_EQ(App().settings.runState, kRec) << k;
        if (k % 100 == 0) {
            // Now and then a take with blocks, so closing meets the appends.
            ASSERT_TRUE(testsupport::PumpUntil([&] { return App().recorder.BlocksWritten() >= 2; },
                                               kFramesTimeoutMs)) << k;
        }
        Command(IDM_STOP);
        ASSERT_EQ(App().settings.runState, kStop) << k;
        ASSERT_FALSE(App().recorder.IsRecording()) << k;
        const auto wav = testsupport::ReadFileBytes(kRecordingFileName);
        ASSERT_TRUE(IsFinishedWav(wav)) << k;
        ASSERT_EQ((wav.size() - kWavHeadBytes) / kWavBlockBytes, App().recorder.BlocksWritten()) << k;
        blocksSeen += App().recorder.BlocksWritten();
    }
    EXPECT_GE(blocksSeen, 20u);
    EXPECT_EQ(KeptTakes().size(), static_cast<std::size_t>(kLongRun - 1)) << "every earlier take is kept";
    ExpectShownAsSet("the last STOP");

    Command(IDM_RUN);
    ExpectShownAsSet("RUN");
    ASSERT_TRUE(FramesRun());
    const std::uint64_t from = App().capture->ring().blocksPublished();
    EXPECT_TRUE(testsupport::PumpUntil([&] { return App().capture->ring().blocksPublished() > from + 5; },
                                       kFramesTimeoutMs))
        << "capture runs again";
}

// REC keeps the take it would replace, under its start time; a file opened
// during REC asks before it ends the take.
TEST_F(RunningCommandsTest, TakesAreKeptAndNeverEndedUnasked) {
    const auto answering = [](int answer) {
        g_answer = answer;
        g_boxText.clear();
        return SetTimer(nullptr, 0, 20, AnswerMessageBox);
    };
    const auto recordSome = [&] {
        Command(IDM_REC);
        return testsupport::PumpUntil([&] { return App().recorder.BlocksWritten() >= 2; }, kFramesTimeoutMs);
    };
    ASSERT_TRUE(recordSome());
    Command(IDM_STOP);
    ASSERT_TRUE(recordSome());
    const std::vector<std::string> kept = KeptTakes();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(IsFinishedWav(testsupport::ReadFileBytes(kept[0].c_str())));

    const std::wstring keptPath(kept[0].begin(), kept[0].end());
    UINT_PTR timer = answering(IDNO);
    EXPECT_FALSE(OpenInputFile(App(), keptPath));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(g_boxText.empty()) << "asked";
    EXPECT_TRUE(App().recorder.IsRecording()) << "\"no\" keeps recording";
    EXPECT_EQ(App().settings.runState, kRec);

    timer = answering(IDYES);
    EXPECT_TRUE(OpenInputFile(App(), keptPath));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(App().recorder.IsRecording());
    EXPECT_TRUE(IsFinishedWav(testsupport::ReadFileBytes(kRecordingFileName)));
}

HWND g_closing;
WNDPROC g_closingProc;
bool g_endSession;  // the window goes as at logoff (sent) rather than by taskkill (posted)
std::thread g_sender;
std::atomic<bool> g_sent{false};
bool g_recordOutlivedWindow;

// Logoff as the system does it: sent from a thread of its own, so that a
// loop that only takes sent messages (the between-passes wait) meets it too.
void CloseTheWindow() {
    if (!g_endSession) {
        PostMessageA(g_closing, WM_CLOSE, 0, 0);
        return;
    }
    g_sender = std::thread([] {
        SendMessageA(g_closing, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageA(g_closing, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        g_sent = true;
    });
}

// Closes the window once a modal dialog of its is up.
void CALLBACK CloseWindowUnderDialog(HWND, UINT, UINT_PTR id, DWORD) {
    if (testsupport::FindThreadDialog()) {
        KillTimer(nullptr, id);
        CloseTheWindow();
    }
}

// The window's last message, seen while the handler that ran the dialog (or
// the wait) is still under way: the code after it still uses the record.
LRESULT CALLBACK WatchLastMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(g_closingProc, hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        g_recordOutlivedWindow = CurrentApp() != nullptr;
    }
    return result;
}

// Logoff or taskkill while a dialog or the wait for the frame loop runs a
// message loop of its own during REC: the window goes, the take is finished
// and the settings are written, and the record outlives the window until the
// handler has returned (freed under it, the code after the dialog crashes).
TEST(ClosingUnderADialog, FinishesTheTakeAndWritesTheSettings) {
    const struct {
        const char* way;
        int id;
        bool endSession;
    } ways[] = {
        {"About box, taskkill", IDM_ABOUT, false},
        {"save dialog, taskkill", IDM_SAVE_PNG, false},
        {"open dialog, taskkill", IDM_FILE_OPEN, false},
        {"About box, logoff", IDM_ABOUT, true},
        {"save dialog, logoff", IDM_SAVE_PNG, true},
        {"between passes, logoff", IDM_LENGTH_8192, true},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        testsupport::ScopedTempDir dir;
        g_closing = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(g_closing, nullptr);
        g_closingProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(g_closing, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchLastMessage)));
        g_endSession = w.endSession;
        g_sent = false;
        g_recordOutlivedWindow = false;
        SendMessageA(g_closing, WM_COMMAND, MAKEWPARAM(IDM_PAUSE_0, 0), 0);
        SendMessageA(g_closing, WM_COMMAND, MAKEWPARAM(IDM_REC, 0), 0);
        ASSERT_TRUE(
            testsupport::PumpUntil([] { return CurrentApp()->recorder.BlocksWritten() >= 2; }, kFramesTimeoutMs));
        UINT_PTR timer = 0;
        std::thread holder;
        if (w.id == IDM_LENGTH_8192) {
            // The frame loop held inside a pass (its drawing waits for the
            // lock), so the switch waits for it; logoff comes meanwhile.
            std::atomic<bool> held{false};
            holder = std::thread([&held, &lock = CurrentApp()->drawLock] {
                std::lock_guard<std::mutex> hold(lock);
                held = true;
                Sleep(150);
                CloseTheWindow();
                Sleep(350);
            });
            while (!held) Sleep(1);
            Sleep(50);
        } else {
            timer = SetTimer(nullptr, 0, 20, CloseWindowUnderDialog);
        }
        SendMessageA(g_closing, WM_COMMAND, MAKEWPARAM(w.id, 0), 0);
        if (timer) KillTimer(nullptr, timer);
        if (holder.joinable()) holder.join();
        EXPECT_FALSE(IsWindow(g_closing)) << "gone while the command ran";
        if (g_sender.joinable()) {
            testsupport::PumpUntil([] { return g_sent.load(); }, kFramesTimeoutMs);
            g_sender.join();
        }
        EXPECT_TRUE(g_recordOutlivedWindow);
        EXPECT_EQ(CurrentApp(), nullptr);
        EXPECT_EQ(testsupport::ReadFileBytes(kSettingsFileName).size(), kSettingsBytes);
        EXPECT_TRUE(IsFinishedWav(testsupport::ReadFileBytes(kRecordingFileName)));
        testsupport::PumpPending();  // the quit message
    }
}

}  // namespace
