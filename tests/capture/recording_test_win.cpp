// Recordings of the real capture made through the main window's menu: the
// sine source chosen in the Device menu, REC and STOP, a rate change and a
// shutdown in the middle of a take. Each finished "pcm_data.wav" must hold
// the captured blocks in order under a head that describes them.
//
// The first test leaves a copy of its recording, "sine_recording.wav", in the
// directory it was started in, for the sox check that ctest runs after it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/commands/commands.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "app/commands/device_commands.h"
#include "capture/wav_recorder.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/sound_source.h"
#include "support/temp_dir.h"

namespace {

constexpr double kToneHz = testsupport::kSineSourceHz;

constexpr const char* kSoxCopy = "sine_recording.wav";
// Blocks a take waits for: long enough for many block borders and for the
// zero-crossing estimate, short enough to keep the test quick (0.4 s).
constexpr std::uint32_t kTakeBlocks = 35;
constexpr DWORD kTakeTimeoutMs = 5000;
// Largest phase residual a continuous take shows, as a fraction of the
// amplitude: rounding to 16 bits leaves about 1e-4; a lost or repeated block
// leaves more than 0.06, a single lost sample at least 0.003.
constexpr double kLargestRounding = 0.002;

std::string CurrentDirectory() {
    char buf[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buf);
    return buf;
}

std::uint32_t U32At(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::uint16_t U16At(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

// Checks a finished recording of `blocks` blocks at `rate` and returns its samples.
std::vector<double> ExpectFinishedWav(std::uint32_t blocks, std::uint32_t rate) {
    const auto wav = testsupport::ReadFileBytes(kRecordingFileName);
    const std::uint32_t d = blocks * static_cast<std::uint32_t>(kWavBlockBytes);
    EXPECT_EQ(wav.size(), kWavHeadBytes + d);
    if (wav.size() < kWavHeadBytes) {
        ADD_FAILURE() << "no head";
        return {};
    }
    EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
    EXPECT_EQ(U32At(wav, 4), 36 + d);
    EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(U16At(wav, 20), 1);  // PCM
    EXPECT_EQ(U16At(wav, 22), 1);  // mono
    EXPECT_EQ(U32At(wav, 24), rate);
    EXPECT_EQ(U32At(wav, 28), 2 * rate);
    EXPECT_EQ(U16At(wav, 34), 16);
    EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
    EXPECT_EQ(U32At(wav, 40), d);
    return testsupport::Pcm16Samples(wav, kWavHeadBytes);
}

// A sine obeys x[n-1] + x[n+1] = 2 cos(w) x[n]. A block lost, repeated or
// cut short breaks the phase at its border and leaves a residual of the
// order of the amplitude there; a continuous take leaves only rounding.
// Returns the largest residual as a fraction of the amplitude.
double LargestPhaseBreak(const std::vector<double>& x, int rateHz) {
    const double c = 2.0 * std::cos(2.0 * 3.14159265358979323846 * kToneHz / rateHz);
    double amplitude = 0, worst = 0;
    for (double v : x) amplitude = std::max(amplitude, std::fabs(v));
    for (std::size_t n = 1; n + 1 < x.size(); ++n) {
        worst = std::max(worst, std::fabs(x[n - 1] + x[n + 1] - c * x[n]));
    }
    return amplitude > 0 ? worst / amplitude : 1.0;
}

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        const int device = testsupport::DeviceNumber(testsupport::kSineSource);
        ASSERT_GE(device, 0) << "no source named " << testsupport::kSineSource;
        ASSERT_LT(device, kSelectableDevices);
        Command(DeviceCommandId(device));
        ASSERT_EQ(App().settings.deviceIndex, device);
        ASSERT_TRUE(BlocksArrive(5));
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    ::App& App() { return *CurrentApp(); }
    bool BlocksArrive(std::uint64_t count) {
        const std::uint64_t from = App().capture->ring().blocksPublished();
        return testsupport::PumpUntil([&] { return App().capture->ring().blocksPublished() >= from + count; },
                                      kTakeTimeoutMs);
    }
    // Starts a take with REC and waits until it holds kTakeBlocks blocks.
    void RecordATake() {
        Command(IDM_REC);
        ASSERT_EQ(App().settings.runState, kRec);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return App().recorder.BlocksWritten() >= kTakeBlocks; },
                                           kTakeTimeoutMs));
    }

    const std::string startDir_ = CurrentDirectory();
    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
};

TEST_F(RecordingTest, ATakeOfTheSineHoldsEveryBlockInOrder) {
    const std::string soxCopy = startDir_ + "\\" + kSoxCopy;
    DeleteFileA(soxCopy.c_str());
    RecordATake();
    Command(IDM_STOP);
    EXPECT_EQ(App().settings.runState, kStop);
    EXPECT_FALSE(App().recorder.IsRecording());
    const std::uint32_t blocks = App().recorder.BlocksWritten();
    EXPECT_GE(blocks, kTakeBlocks);

    const std::vector<double> x = ExpectFinishedWav(blocks, 44100);
    EXPECT_NEAR(testsupport::ZeroCrossingHz(x, 44100), kToneHz, 0.005 * kToneHz);
    EXPECT_LT(LargestPhaseBreak(x, 44100), kLargestRounding);
    EXPECT_TRUE(CopyFileA(kRecordingFileName, soxCopy.c_str(), FALSE));
}

TEST_F(RecordingTest, ARateChangeEndsTheTakeAtTheOldRateAndCaptureGoesOn) {
    RecordATake();
    Command(IDM_RATE_48000);
    EXPECT_FALSE(App().recorder.IsRecording());
    EXPECT_EQ(App().settings.runState, kRun);
    const std::uint32_t blocks = App().recorder.BlocksWritten();

    const std::vector<double> x = ExpectFinishedWav(blocks, 44100);
    EXPECT_NEAR(testsupport::ZeroCrossingHz(x, 44100), kToneHz, 0.005 * kToneHz);
    EXPECT_LT(LargestPhaseBreak(x, 44100), kLargestRounding);
    EXPECT_TRUE(BlocksArrive(10)) << "capture runs on at the new rate";
    EXPECT_EQ(App().recorder.BlocksWritten(), blocks) << "nothing more reaches the file";
}

// Closing the window and the end of the session (logoff, shut-down) finish a
// take the same way and store the settings.
TEST_F(RecordingTest, ShutdownAndLogoffFinishATakeWithBlocks) {
    const struct {
        const char* way;
        bool endSession;
    } ways[] = {{"close", false}, {"logoff", true}};
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        if (!IsWindow(hwnd_)) {
            SetUp();
        }
        DeleteFileA(kSettingsFileName);
        RecordATake();
        if (w.endSession) {
            EXPECT_TRUE(SendMessageA(hwnd_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
            SendMessageA(hwnd_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        } else {
            DestroyWindow(hwnd_);
        }
        ASSERT_EQ(CurrentApp(), nullptr);
        EXPECT_EQ(testsupport::ReadFileBytes(kSettingsFileName).size(), kSettingsBytes);
        const auto wav = testsupport::ReadFileBytes(kRecordingFileName);
        ASSERT_GE(wav.size(), kWavHeadBytes + kTakeBlocks * kWavBlockBytes);
        const auto blocks = static_cast<std::uint32_t>((wav.size() - kWavHeadBytes) / kWavBlockBytes);
        const std::vector<double> x = ExpectFinishedWav(blocks, 44100);
        EXPECT_NEAR(testsupport::ZeroCrossingHz(x, 44100), kToneHz, 0.005 * kToneHz);
        EXPECT_LT(LargestPhaseBreak(x, 44100), kLargestRounding);
    }
}

}  // namespace
