// The octave-band view as a user reads it, on files sox writes and the
// running program plays (32,768 points, slow averaging): pink noise reads
// flat 1/3-octave bands, white noise rises 3 dB an octave, and a 1 kHz tone
// calibrated at 94 dB SPL reads 94.0 dB SPL (the CSV export too), then 74.0
// from a copy 20 dB quieter; "Clear calibration" is greyed while there is
// none to clear.
//
// The files come from make_wav_fixtures.sh, which ctest runs first in this
// test's start directory; without sox the tests skip.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/octave_bands.h"
#include "app/files/export_win.h"
#include "app/files/file_input_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/program/app_win.h"
#include "app/window/main_window_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/temp_dir.h"

namespace {

constexpr const wchar_t* kPinkFile = L"bands_pink.wav";
constexpr const wchar_t* kWhiteFile = L"bands_white.wav";
constexpr const wchar_t* kToneFile = L"bands_tone.wav";
constexpr const wchar_t* kQuieterToneFile = L"bands_tone_20db_down.wav";

std::wstring CurrentDirectoryW() {
    wchar_t buf[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buf);
    return buf;
}

const std::wstring g_startDirectory = CurrentDirectoryW();

std::wstring Fixture(const wchar_t* name) { return g_startDirectory + L"\\" + name; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Types the level into the calibration dialog and confirms it.
const char* g_typedLevel = "94.0";
int g_dialogsAnswered = 0;
HWND g_lastDialog = nullptr;

// The first dialog is the calibrator level's; any later one is a message box
// (no tone measured), closed too so that the test fails instead of waiting.
void CALLBACK AnswerCalibrateDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = testsupport::FindThreadDialog();
    if (!dialog || dialog == g_lastDialog) return;
    g_lastDialog = dialog;
    if (g_dialogsAnswered++ == 0) SetDlgItemTextA(dialog, IDC_CALIBRATE_LEVEL, g_typedLevel);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

struct BandReading {
    std::vector<Band> bands;
    std::vector<double> levels;  // dBFS

    double At(double centreHz) const {
        for (std::size_t i = 0; i < bands.size(); ++i) {
            if (std::fabs(bands[i].centreHz / centreHz - 1.0) < 0.01) return levels[i];
        }
        return NAN;
    }
};

class BandLevelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        Command(IDM_LENGTH_32768);
        Command(IDM_VIEW_BANDS);
        Command(IDM_BANDS_3);
        Command(IDM_WEIGHTING_Z);
        Command(IDM_AVERAGE_SLOW);
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
    }
    void Command(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    bool ClearGreyed() const {
        return (GetMenuState(GetMenu(hwnd_), IDM_CALIBRATION_CLEAR, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    static void Wait(DWORD ms) { testsupport::PumpUntil([] { return false; }, ms); }

    // Plays the file; once a whole frame of it has been analysed the
    // average starts over and runs for `averageMs`.
    void Play(const std::wstring& path, DWORD averageMs) {
        ASSERT_TRUE(OpenInputFile(*app_, path));
        Wait(1500);
        Command(IDM_AVERAGE_RESET);
        Wait(averageMs);
    }

    BandReading Read() {
        BandReading r;
        app_->frameLoop->RunBetweenPasses([&] {
            const FrameData& frame = app_->frameLoop->LastFrame();
            r.bands.assign(frame.bands.begin(), frame.bands.end());
            r.levels.assign(frame.bandLevels.begin(), frame.bandLevels.end());
        });
        return r;
    }

    testsupport::ScopedTempDir dir_;
    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
};

TEST_F(BandLevelsTest, NoiseReadsItsSpectrumInThirdOctaves) {
    if (!Exists(Fixture(kPinkFile))) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    struct Case {
        const wchar_t* file;
        double dbPerOctave;  // the rise of the band levels
        double tolerance;
    };
    const Case cases[] = {{kPinkFile, 0.0, 1.5}, {kWhiteFile, 3.0, 1.0}};
    for (const Case& c : cases) {
        Play(Fixture(c.file), 6000);
        // The 1 s average of a narrow band still wanders by some tenths of a
        // dB: the levels are read four times, 2.5 s apart, as an eye reads
        // the bars, and their mean is compared with the straight line
        // through them all.
        std::vector<double> sum;
        BandReading r;
        constexpr int kReadings = 4;
        for (int k = 0; k < kReadings; ++k) {
            if (k > 0) Wait(2500);
            r = Read();
            ASSERT_FALSE(r.bands.empty()) << "no bands shown";
            sum.resize(r.levels.size(), 0.0);
            for (std::size_t i = 0; i < r.levels.size(); ++i) sum[i] += r.levels[i] / kReadings;
        }
        std::vector<std::size_t> inRange;
        double offset = 0.0;
        for (std::size_t i = 0; i < r.bands.size(); ++i) {
            const double hz = r.bands[i].centreHz;
            if (hz < 99.0 || hz > 10100.0) continue;
            EXPECT_TRUE(r.bands[i].resolved) << hz;
            inRange.push_back(i);
            offset += sum[i] - c.dbPerOctave * std::log2(hz / 1000.0);
        }
        ASSERT_EQ(inRange.size(), 21u);
        offset /= static_cast<double>(inRange.size());
        double worst = 0.0;
        for (std::size_t i : inRange) {
            const double hz = r.bands[i].centreHz;
            const double off = sum[i] - (offset + c.dbPerOctave * std::log2(hz / 1000.0));
            EXPECT_NEAR(off, 0.0, c.tolerance) << "band " << hz << " Hz of " << std::string(c.file, c.file + 11);
            if (std::fabs(off) > std::fabs(worst)) worst = off;
        }
        std::printf("%ls: largest departure from %.0f dB an octave %+.2f dB\n", c.file, c.dbPerOctave, worst);
    }
}

TEST_F(BandLevelsTest, ACalibratedToneReadsDbSpl) {
    if (!Exists(Fixture(kToneFile))) GTEST_SKIP() << "no sox fixtures (is sox installed?)";
    EXPECT_TRUE(std::isnan(app_->options.SplOffsetDb())) << "no calibration at first";
    EXPECT_TRUE(ClearGreyed()) << "nothing to clear at first";
    Play(Fixture(kToneFile), 2000);
    g_dialogsAnswered = 0;
    g_lastDialog = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerCalibrateDialog);
    Command(IDM_CALIBRATE);
    KillTimer(nullptr, timer);
    ASSERT_EQ(g_dialogsAnswered, 1) << "no level dialog, or a message after it";
    const double offset = app_->options.SplOffsetDb();
    ASSERT_TRUE(std::isfinite(offset));
    EXPECT_FALSE(ClearGreyed());
    EXPECT_NEAR(Read().At(1000.0) + offset, 94.0, 0.05);
    // The CSV export writes the bands with their dB SPL, last in each row.
    const std::string csv = FrameCsv(TakeFrameSnapshot(*app_));
    const std::size_t row = csv.find("\r\n1000.0000,");
    ASSERT_NE(row, std::string::npos) << csv;
    const std::string line = csv.substr(row + 2, csv.find("\r\n", row + 2) - row - 2);
    EXPECT_NEAR(std::stod(line.substr(line.rfind(',') + 1)), 94.0, 0.05) << line;

    Play(Fixture(kQuieterToneFile), 2000);
    EXPECT_EQ(app_->options.SplOffsetDb(), offset) << "all played files share one calibration";
    EXPECT_NEAR(Read().At(1000.0) + offset, 74.0, 0.05);

    Command(IDM_CALIBRATION_CLEAR);
    EXPECT_TRUE(std::isnan(app_->options.SplOffsetDb()));
    EXPECT_TRUE(ClearGreyed());
}

}  // namespace
