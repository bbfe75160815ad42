// WAV files played in place of the live input by the running program: sox's
// tone at an odd rate shows its peak and gives the device back, a sweep runs
// through the analysis at the file's own speed, a dropped file and the open
// dialog both play, the program's own recording plays back with its tone,
// hostile files get the message while the live input goes on, and the lower
// view shows a file's overview, on which a click plays on from there.
//
// The sox-made files come from make_wav_fixtures.sh, which ctest runs first
// in this test's start directory; without sox the tests that need them skip.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <cstddef>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/commands/commands.h"
#include "app/files/file_input_win.h"
#include "app/window/main_window_win.h"
#include "app/overview/overview_job.h"
#include "display/plot_view_win.h"
#include "app/commands/device_commands.h"
#include "capture/file_bytes_win.h"
#include "capture/wav_reader.h"
#include "display/label_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/sound_source.h"
#include "support/temp_dir.h"
#include "wav_bytes.h"

namespace {

// The sox fixtures (make_wav_fixtures.sh): a 1,000 Hz tone on the first of
// two 24-bit channels at 11,025 Hz, and a 10-second linear sweep.
constexpr const wchar_t* kToneFile = L"file_tone.wav";
constexpr double kToneHz = 1000.0;
constexpr int kToneRate = 11025;
constexpr const wchar_t* kSweepFile = L"file_sweep.wav";
constexpr double kSweepFromHz = 300.0;
constexpr double kSweepToHz = 3300.0;
constexpr double kSweepSeconds = 10.0;

std::wstring CurrentDirectoryW() {
    wchar_t buf[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buf);
    return buf;
}

// Where ctest started the program, before any test moves to its own directory.
const std::wstring g_startDirectory = CurrentDirectoryW();

std::wstring Fixture(const wchar_t* name) { return g_startDirectory + L"\\" + name; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// --- modal windows, answered from a thread timer ---------------------------

std::wstring g_messageText;
int g_messages = 0;
std::wstring g_dialogPath;

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = testsupport::FindThreadDialog();
    if (!box) return;
    wchar_t text[4096] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the message box's text control
    g_messageText = text;
    ++g_messages;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void CALLBACK AnswerOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = testsupport::FindThreadDialog();
    if (!dialog) return;
    // The file name box is an edit (edt1) or a combo box (cmb13), as the dialog style has it.
    SetDlgItemTextW(dialog, 0x480, g_dialogPath.c_str());
    SetDlgItemTextW(dialog, 0x47C, g_dialogPath.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

using testsupport::CanonicalWav;

class FileInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        sineDevice_ = testsupport::DeviceNumber(testsupport::kSineSource);
        ASSERT_GE(sineDevice_, 0) << "no source named " << testsupport::kSineSource;
        ASSERT_LT(sineDevice_, kSelectableDevices);
        Command(DeviceCommandId(sineDevice_));
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->capture->isRunning(); }, 3000));
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    UINT MenuState(int id) { return GetMenuState(GetMenu(hwnd_), id, MF_BYCOMMAND); }
    std::string StatusText() {
        LabelText::Buffer text;
        app_->parts.statusLabel->CopyText(text);
        return text;
    }
    // The Device menu's last item.
    std::wstring LastDeviceItem() {
        HMENU devices = GetSubMenu(GetMenu(hwnd_), 1);
        wchar_t text[MAX_PATH] = {};
        GetMenuStringW(devices, GetMenuItemCount(devices) - 1, text, MAX_PATH, MF_BYPOSITION);
        return text;
    }

    // Waits until a whole new frame has reached the ring and the loop has
    // analysed it a few times.
    void WaitForFreshFrames() {
        const std::uint64_t from = app_->capture->ring().blocksPublished();
        const std::uint64_t blocks = static_cast<std::uint64_t>(app_->settings.fftLength / kBlockSamples) + 2;
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->capture->ring().blocksPublished() >= from + blocks; }, 8000));
        const long passes = app_->frameLoop->PassCount();
        ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->frameLoop->PassCount() >= passes + 3; }, 8000));
    }

    // The last analysed frame and the frequency of its strongest bin.
    struct Frame {
        std::vector<double> samples;
        double peakHz = 0;
        double binHz = 0;
    };
    Frame LastFrame() {
        Frame f;
        const int rate = app_->settings.sampleRate;
        app_->frameLoop->RunBetweenPasses([&] {
            const FrameData& frame = app_->frameLoop->LastFrame();
            const int n = frame.sampleCount;
            f.samples.assign(frame.rawFrame, frame.rawFrame + n);
            int best = 2;
            for (int k = 2; k < frame.binCount; ++k) {
                if (frame.displayValues[k] > frame.displayValues[best]) best = k;
            }
            f.binHz = static_cast<double>(rate) / n;
            f.peakHz = best * f.binHz;
        });
        return f;
    }

    // Opens `path` expecting the message box; returns its text.
    std::wstring OpenExpectingMessage(const std::wstring& path) {
        g_messageText.clear();
        const int before = g_messages;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerMessageBox);
        const bool opened = OpenInputFile(*app_, path);
        KillTimer(nullptr, timer);
        EXPECT_FALSE(opened) << "opened " << std::string(path.begin(), path.end());
        EXPECT_EQ(g_messages, before + 1);
        return g_messageText;
    }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
    int sineDevice_ = -1;
};

TEST_F(FileInputTest, ToneAtAnOddRateShowsItsPeakAndTheDeviceComesBack) {
    const std::wstring tone = Fixture(kToneFile);
    if (!Exists(tone)) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    const std::int32_t liveRate = app_->settings.sampleRate;

    ASSERT_TRUE(OpenInputFile(*app_, tone));
    EXPECT_EQ(app_->settings.sampleRate, kToneRate);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !app_->capture->isOpen(); }, 3000))
        << "the device is closed while the file plays";
    EXPECT_EQ(StatusText().rfind(" FILE, 11025Hz, 4096pt", 0), 0u) << StatusText();
    EXPECT_EQ(LastDeviceItem(), kToneFile);
    EXPECT_TRUE(MenuState(IDM_DEVICE_FILE) & MF_CHECKED);
    EXPECT_FALSE(MenuState(DeviceCommandId(sineDevice_)) & MF_CHECKED);
    EXPECT_TRUE(MenuState(IDM_REC) & MF_GRAYED);
    WaitForFreshFrames();
    Frame f = LastFrame();
    EXPECT_NEAR(f.peakHz, kToneHz, f.binHz) << "the first channel's tone, not the second's";

    // STOP holds the frame; RUN plays on; REC does nothing.
    Command(IDM_STOP);
    EXPECT_EQ(StatusText().rfind(" STOP, 11025Hz", 0), 0u);
    const std::uint64_t stopped = app_->fileSource->BlocksPlayed();
    testsupport::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(app_->fileSource->BlocksPlayed(), stopped);
    Command(IDM_REC);
    EXPECT_EQ(app_->settings.runState, kStop);
    EXPECT_FALSE(app_->recorder.IsRecording());
    Command(IDM_RUN);
    EXPECT_EQ(StatusText().rfind(" FILE, 11025Hz", 0), 0u);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app_->fileSource->BlocksPlayed() > stopped + 5; }, 5000));

    // Choosing the device goes back to the live input at the stored rate.
    Command(DeviceCommandId(sineDevice_));
    EXPECT_FALSE(app_->playingFile);
    EXPECT_EQ(app_->settings.sampleRate, liveRate);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app_->capture->isRunning(); }, 3000));
    EXPECT_EQ(MenuState(IDM_DEVICE_FILE), static_cast<UINT>(-1)) << "the file's item is gone";
    EXPECT_FALSE(MenuState(IDM_REC) & MF_GRAYED);
    EXPECT_EQ(StatusText().rfind(" RUN, ", 0), 0u);
    WaitForFreshFrames();
    f = LastFrame();
    EXPECT_NEAR(f.peakHz, testsupport::kSineSourceHz, f.binHz);
}

// Every analysed frame lies in the file where the wall clock says the file
// should be, and its peak is the sweep's frequency there.
TEST_F(FileInputTest, SweepRunsThroughTheAnalysisAtTheFilesSpeed) {
    const std::wstring sweep = Fixture(kSweepFile);
    if (!Exists(sweep)) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    std::unique_ptr<WavReader> reader;
    ASSERT_EQ(WavReader::Open(OpenFileBytes(sweep), reader), WavError::kNone);
    const int rate = reader->format().rateHz;
    std::vector<double> file;
    std::array<float, kBlockSamples> block;
    while (file.size() < reader->format().frames) {
        bool looped = false;
        ASSERT_TRUE(reader->ReadBlock(block, looped));
        for (float v : block) file.push_back(v * kRingFullScale);
    }
    file.resize(reader->format().frames);

    // The file starts once the device has let go of the ring, which may be a
    // while after the open returns: the clock starts with its first block.
    LARGE_INTEGER hz, start, now;
    QueryPerformanceFrequency(&hz);
    ASSERT_TRUE(OpenInputFile(*app_, sweep));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->fileSource && app_->fileSource->BlocksPlayed() > 0; }, 3000));
    QueryPerformanceCounter(&start);
    const double firstBlockSeconds = static_cast<double>(kBlockSamples) / rate;
    for (int look = 0; look < 6; ++look) {
        testsupport::PumpUntil([] { return false; }, 600);
        const Frame f = LastFrame();
        QueryPerformanceCounter(&now);
        const double wallSeconds =
            firstBlockSeconds + static_cast<double>(now.QuadPart - start.QuadPart) / hz.QuadPart;
        // Where the frame lies in the file: its first samples found there.
        constexpr std::size_t kMatch = 64;
        const auto at = std::search(file.begin(), file.end(), f.samples.begin(), f.samples.begin() + kMatch);
        ASSERT_NE(at, file.end()) << "look " << look << ": the frame is not the file's";
        const double endSeconds = static_cast<double>(at - file.begin() + f.samples.size()) / rate;
        // The newest sample played just now, within the block period and the pass.
        EXPECT_NEAR(endSeconds, wallSeconds, 0.15) << "look " << look;
        const double centreSeconds = endSeconds - f.samples.size() / 2.0 / rate;
        const double expectedHz = kSweepFromHz + (kSweepToHz - kSweepFromHz) * centreSeconds / kSweepSeconds;
        EXPECT_NEAR(f.peakHz, expectedHz, f.binHz) << "look " << look << " at " << centreSeconds << " s";
    }
}

TEST_F(FileInputTest, TheOpenDialogAndADroppedFileBothPlayAndTheStoredRateStays) {
    const std::wstring tone = Fixture(kToneFile);
    const std::wstring sweep = Fixture(kSweepFile);
    if (!Exists(tone) || !Exists(sweep)) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    EXPECT_TRUE(MenuState(IDM_FILE_OPEN) != static_cast<UINT>(-1)) << "File menu carries the open item";
    Command(IDM_RATE_22050);

    g_dialogPath = sweep;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, AnswerOpenDialog);
    Command(IDM_FILE_OPEN);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(app_->playingFile);
    EXPECT_EQ(LastDeviceItem(), kSweepFile);
    EXPECT_EQ(app_->settings.sampleRate, 44100);
    EXPECT_EQ(CurrentDirectoryW(), std::wstring(dir_.Path().begin(), dir_.Path().end()))
        << "the dialog leaves the current directory where the settings live";

    // A drop as the shell makes it: DROPFILES and the wide names, double-terminated.
    const std::size_t bytes = sizeof(DROPFILES) + (tone.size() + 2) * sizeof(wchar_t);
    HGLOBAL drop = GlobalAlloc(GHND, bytes);
    ASSERT_NE(drop, nullptr);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), tone.c_str(), tone.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    SendMessageW(hwnd_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_TRUE(app_->playingFile);
    EXPECT_EQ(app_->settings.sampleRate, kToneRate);
    EXPECT_EQ(LastDeviceItem(), kToneFile) << "the new file replaces the old one in the Device menu";

    // Closing while the file plays keeps the rate chosen for the live input.
    DestroyWindow(hwnd_);
    const std::vector<unsigned char> param = testsupport::ReadFileBytes("param.bin");
    ASSERT_EQ(param.size(), kSettingsBytes);
    std::int32_t storedRate = 0;
    std::memcpy(&storedRate, param.data() + offsetof(AppSettings, sampleRate), sizeof storedRate);
    EXPECT_EQ(storedRate, 22050);
}

TEST_F(FileInputTest, TheProgramsOwnRecordingPlaysBackWithItsTone) {
    Command(IDM_REC);
    ASSERT_TRUE(app_->recorder.IsRecording());
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->recorder.BlocksWritten() >= 40; }, 8000));
    Command(IDM_STOP);
    Command(IDM_RATE_8000);  // the file's rate must come from its head, not from the menu
    ASSERT_TRUE(OpenInputFile(*app_, CurrentDirectoryW() + L"\\pcm_data.wav"));
    EXPECT_EQ(app_->settings.sampleRate, 44100);
    EXPECT_EQ(app_->settings.runState, kRun);
    WaitForFreshFrames();
    const Frame f = LastFrame();
    EXPECT_NEAR(f.peakHz, testsupport::kSineSourceHz, f.binHz);
}

TEST_F(FileInputTest, HostileFilesGetTheMessageAndTheLiveInputGoesOn) {
    struct Case {
        std::string name;
        std::vector<unsigned char> bytes;
        WavError reason;
    };
    std::vector<Case> cases;
    const std::string text = "This is a text file, renamed.\r\n";
    cases.push_back({"text", {text.begin(), text.end()}, WavError::kNotRiffWave});
    const std::vector<unsigned char> whole = CanonicalWav(0);
    for (std::size_t cut = 0; cut <= 44; ++cut) {
        // A head cut before the data chunk's own head is truncated; at 36 it
        // has no data chunk at all; at 44 its data chunk is empty.
        const WavError reason = cut == 36 ? WavError::kNoData : cut == 44 ? WavError::kNoData : WavError::kTruncatedHeader;
        cases.push_back({"cut" + std::to_string(cut), {whole.begin(), whole.begin() + cut}, reason});
    }
    std::vector<unsigned char> big = CanonicalWav(0);
    const std::uint32_t bigSize = 100000000;
    std::memcpy(&big[40], &bigSize, 4);
    cases.push_back({"datasize", big, WavError::kDataPastEnd});
    std::vector<unsigned char> noChannels = CanonicalWav(100);
    noChannels[22] = 0;
    cases.push_back({"channels0", noChannels, WavError::kZeroChannels});
    for (std::uint32_t rate : {0u, 1000000000u}) {
        std::vector<unsigned char> b = CanonicalWav(100);
        std::memcpy(&b[24], &rate, 4);
        cases.push_back({"rate" + std::to_string(rate), b, WavError::kRateOutOfRange});
    }

    const std::int32_t rate = app_->settings.sampleRate;
    for (const Case& c : cases) {
        const std::string name = "bad_" + c.name + ".wav";
        ASSERT_TRUE(testsupport::WriteFileBytes(name.c_str(), c.bytes.data(), c.bytes.size()));
        const std::wstring path = CurrentDirectoryW() + L"\\" + std::wstring(name.begin(), name.end());
        const std::wstring message = OpenExpectingMessage(path);
        EXPECT_NE(message.find(path), std::wstring::npos) << c.name << ": the message names the file";
        wchar_t reason[512] = {};
        LoadStringW(GetModuleHandleW(nullptr), IDS_WAV_ERROR_FIRST + static_cast<UINT>(c.reason), reason, 512);
        EXPECT_GT(wcslen(reason), 0u);
        EXPECT_NE(message.find(reason), std::wstring::npos) << c.name << ": reason " << WavErrorText(c.reason);
        EXPECT_FALSE(app_->playingFile) << c.name;
    }
    // A file that cannot be read any more while it plays (its stick pulled):
    // the message, and the live input again.
    const std::vector<unsigned char> playing = CanonicalWav(8000);
    ASSERT_TRUE(testsupport::WriteFileBytes("pulled.wav", playing.data(), playing.size()));
    ASSERT_TRUE(OpenInputFile(*app_, CurrentDirectoryW() + L"\\pulled.wav"));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->fileSource->BlocksPlayed() > 2; }, 3000));
    const int before = g_messages;
    ASSERT_TRUE(testsupport::WriteFileBytes("pulled.wav", playing.data(), 44));
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerMessageBox);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return g_messages > before; }, 5000)) << "no message";
    KillTimer(nullptr, timer);
    EXPECT_NE(g_messageText.find(L"pulled.wav"), std::wstring::npos);
    EXPECT_FALSE(app_->playingFile);
    EXPECT_EQ(MenuState(IDM_DEVICE_FILE), static_cast<UINT>(-1));
    EXPECT_EQ(app_->settings.sampleRate, rate);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return app_->capture->isRunning(); }, 3000));
    EXPECT_EQ(StatusText().rfind(" RUN, ", 0), 0u);
    WaitForFreshFrames();
    const Frame f = LastFrame();
    EXPECT_NEAR(f.peakHz, testsupport::kSineSourceHz, f.binHz) << "the live tone is still analysed";
}

// The lower view becomes the file's overview: the window answers while a
// ten-minute take is computed, the take's 5 ms click lights its own column,
// and a click at 75 % of the width plays on from there (the fourth minute's
// tone of a file whose tone changes every minute).
TEST_F(FileInputTest, TheOverviewShowsTheClickAndAClickOnItPlaysThere) {
    const std::wstring take = Fixture(L"overview_click.wav");
    const std::wstring minutes = Fixture(L"overview_minutes.wav");
    if (!Exists(take) || !Exists(minutes)) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    std::uint64_t clickAt = 0;
    {
        std::FILE* f = _wfopen(Fixture(L"overview_click.txt").c_str(), L"r");
        ASSERT_NE(f, nullptr);
        unsigned long long n = 0;
        ASSERT_EQ(std::fscanf(f, "%llu", &n), 1);
        std::fclose(f);
        clickAt = n;
    }

    // Another thread asks the window every 20 ms while the overview is
    // computed. It answers within 100 ms; a machine shared with other work
    // may hold a few answers longer, never a second and never most of them
    // (a window that waited for the computation would miss them all).
    std::atomic<bool> probing{true};
    std::atomic<int> probes{0};
    std::atomic<int> slow{0};
    std::atomic<int> unanswered{0};
    ASSERT_TRUE(OpenInputFile(*app_, take));
    std::thread prober([&] {
        while (probing.load()) {
            if (app_->overview->ProgressPercent() >= 0) {
                const DWORD start = GetTickCount();
                DWORD_PTR result = 0;
                if (!SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++unanswered;
                if (GetTickCount() - start >= 100) ++slow;
                ++probes;
            }
            Sleep(20);
        }
    });
    const bool computed = testsupport::PumpUntil([&] { return app_->overview->Latest() != nullptr; }, 20000);
    probing.store(false);
    prober.join();
    ASSERT_TRUE(computed) << "no overview of the ten-minute take";
    EXPECT_GT(probes.load(), 0) << "the computation was never seen running";
    EXPECT_EQ(unanswered.load(), 0);
    EXPECT_LE(slow.load() * 10, probes.load()) << slow.load() << " of " << probes.load() << " answers took 100 ms or more";

    // The click's column against one far from it, over the rows above the
    // tone (the time labels lie along the bottom): the click's differs.
    int differing = 0;
    int rows = 0;
    app_->frameLoop->RunAfterScreenCopy([&] {
        const std::shared_ptr<const FileOverview> shown = app_->overview->Latest();
        const Bitmaplib::SurfacePixels px = app_->parts.lowerView->Surface();
        ASSERT_NE(px.bits, nullptr);
        const std::int32_t click = OverviewColumnOf(shown->request, clickAt);
        const std::int32_t away = click < px.width / 2 ? px.width * 3 / 4 : px.width / 4;
        GdiFlush();
        // Surface rows are bottom-up: the top quarter to the middle.
        for (int r = px.height / 2; r < px.height * 9 / 10; ++r, ++rows) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(px.bits + r * px.stride);
            if ((row[click] & 0xFFFFFF) != (row[away] & 0xFFFFFF)) ++differing;
        }
    });
    EXPECT_GT(differing, rows / 2) << "the click at sample " << clickAt << " does not show in its column";

    // A click at 75 % of the overview of five one-minute tones: 3:45, the
    // fourth tone, in the upper view and as where playing stands.
    ASSERT_TRUE(OpenInputFile(*app_, minutes));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->overview->Latest() != nullptr; }, 20000));
    HWND lower = app_->parts.lowerView->Handle();
    const int x = app_->parts.lowerView->Width() * 3 / 4;
    const int y = app_->parts.lowerView->Height() / 2;
    SendMessageW(lower, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(lower, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    const std::uint64_t there = 225 * 8000;
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->fileSource->Position() >= there - 8000; }, 3000));
    EXPECT_LT(app_->fileSource->Position(), there + 8000);
    WaitForFreshFrames();
    const Frame f = LastFrame();
    EXPECT_NEAR(f.peakHz, 2000.0, f.binHz) << "the fourth minute's tone";
}

}  // namespace
