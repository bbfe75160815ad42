// Long runs of menu commands against the portable parts of the running
// program: the analysers set up anew between the passes of a loop thread,
// and recordings started and ended while a capture thread appends.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analyzer.h"
#include "app/commands.h"
#include "app/frame_analysis.h"
#include "app/menu_marks.h"
#include "app/menu_tables.h"
#include "app/pass_handover.h"
#include "capture/wav_recorder.h"
#include "posix_record_file.h"
#include "resources/resource_ids.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLongRun = 1000;
constexpr double kToneHz = 1000.0;
constexpr double kRateHz = 44100.0;

// The main window's target without the window: set-ups and calibration
// clears are handed to the loop thread and waited for, recordings go to a
// real recorder.
class LoopTarget final : public CommandTarget {
public:
    LoopTarget(AppSettings& s, PassHandover& handover, Analyzer& upper, Analyzer& lower, WavRecorder& recorder,
               std::string path)
        : s_(s), handover_(handover), upper_(upper), lower_(lower), recorder_(recorder), path_(std::move(path)) {}

    void ShowAbout() override {}
    void Exit() override {}
    bool IsPitchChecked() override { return ComputeMenuMarks(s_).IsChecked(IDM_VIEW_PITCH); }
    void SetUpperCursor(ViewCursor) override {}
    void StopRecording() override { recorder_.StopRecording(); }
    void PauseCapture() override {}
    bool StartRecording() override { return recorder_.StartRecording(path_.c_str(), s_.sampleRate) == 1; }
    void ReopenCapture() override {}
    void ClearCalibration() override {
        BetweenPasses([this] { std::fill(std::begin(upper_.calReference), std::end(upper_.calReference), 0.0); });
    }
    void SetupAnalyzers() override {
        BetweenPasses([this] {
            setupAnalyzer(upper_, s_);
            setupAnalyzer(lower_, s_);
        });
    }
    void UpdateScaleLabels() override {}
    void Relayout() override {}
    void RefreshStatus() override {}
    void SyncMenu() override {}

private:
    void BetweenPasses(PassHandover::Change change) {
        const auto ticket = handover_.Post(std::move(change));
        while (!handover_.Done(ticket)) std::this_thread::yield();
    }

    AppSettings& s_;
    PassHandover& handover_;
    Analyzer& upper_;
    Analyzer& lower_;
    WavRecorder& recorder_;
    std::string path_;
};

AppSettings Defaults() {
    AppSettings s{};
    InstallDefaults(s, 1920, 1080);
    return s;
}

// The bin of the largest level among the first `count` values.
int PeakBin(const double* values, int count) {
    return static_cast<int>(std::max_element(values + 1, values + count) - values);
}

// Every pass of the loop must see one whole set-up: a frame of the analysers'
// length whose spectrum peaks at the tone's bin for that length. Window,
// pause and axis commands land in between, read by the passes as the frame
// loop reads them (under ThreadSanitizer this is the settings' race check).
TEST(CommandStress, AThousandLengthSwitchesBetweenRunningPasses) {
    AppSettings s = Defaults();
    auto upper = makeAnalyzer();
    auto lower = makeAnalyzer();
    setupAnalyzer(*upper, s);
    setupAnalyzer(*lower, s);
    AnalyzerFrameAnalysis analysis(*upper, [](double* values, int count) {
        for (int i = 0; i < count; ++i) values[i] = 10000.0 * std::sin(2.0 * M_PI * kToneHz * i / kRateHz);
        return true;
    });
    PassHandover handover;
    WavRecorder unused(testsupport::OpenPosixRecordFile);
    LoopTarget target(s, handover, *upper, *lower, unused, "");

    std::atomic<bool> stop{false};
    std::atomic<long> passes{0};
    std::atomic<long> wrongPasses{0};
    std::thread loop([&] {
        while (!stop.load(std::memory_order_acquire)) {
            handover.RunPending();
            const FrameData frame = analysis.Analyse(s);
            const AppSettings pass = SnapshotSettings(s);
            if (pass.windowKind < kWindowNone || pass.windowKind > kWindowBlackman || pass.pauseMs > 500) {
                wrongPasses.fetch_add(1);
            }
            const int expectedBin = static_cast<int>(std::lround(kToneHz * frame.sampleCount / kRateHz));
            if (frame.sampleCount != upper->frameLength || frame.binCount != frame.sampleCount / 2 ||
                std::abs(PeakBin(frame.displayValues, frame.binCount) - expectedBin) > 1) {
                wrongPasses.fetch_add(1);
            }
            passes.fetch_add(1);
        }
        handover.RunPending();
    });
    int last = 0;
    for (int k = 0; k < kLongRun; ++k) {
        const MenuItemValue& item = kLengthItems[(k + k / 6) % std::size(kLengthItems)];
        ExecuteCommand(s, item.id, false, target);
        ExecuteCommand(s, kWindowItems[k % std::size(kWindowItems)].id, false, target);
        ExecuteCommand(s, kPauseItems[k % 3].id, false, target);
        ExecuteCommand(s, k % 2 ? IDM_GRID_LINEAR : IDM_GRID_LOG, false, target);
        last = item.value;
    }
    const long before = passes.load();
    while (passes.load() < before + 2) std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    loop.join();

    EXPECT_EQ(wrongPasses.load(), 0) << "of " << passes.load() << " passes";
    EXPECT_GE(passes.load(), kLongRun);
    EXPECT_EQ(upper->frameLength, last);
    EXPECT_EQ(lower->frameLength, last);
    EXPECT_EQ(s.halfLength, last / 2);
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// REC and STOP (and now and then a rate change in place of STOP) while the
// capture thread appends without pause: after each take the state agrees with
// the recorder and the file is finished at the rate it was started with.
TEST(CommandStress, AThousandRecStopCyclesWithACaptureAppending) {
    const fs::path dir = fs::temp_directory_path() /
                         ("tavrin-stress-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const std::string path = (dir / kRecordingFileName).string();

    AppSettings s = Defaults();
    auto upper = makeAnalyzer();
    auto lower = makeAnalyzer();
    PassHandover handover;
    WavRecorder recorder(testsupport::OpenPosixRecordFile);
    LoopTarget target(s, handover, *upper, *lower, recorder, path);

    std::atomic<bool> stop{false};
    std::thread loop([&] {  // takes the rate changes' calibration clears
        while (!stop.load(std::memory_order_acquire)) {
            handover.RunPending();
            std::this_thread::yield();
        }
    });
    std::thread capture([&] {
        std::vector<std::int16_t> block(kWavBlockBytes / 2);
        std::int16_t n = 0;
        while (!stop.load(std::memory_order_acquire)) {
            std::fill(block.begin(), block.end(), ++n);
            recorder.Append(block.data());
            // Far faster than a device delivers blocks, but not so fast that
            // the takes grow huge or the lock is never free.
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    const MenuItemValue* rates = std::begin(kRateItems);
    int failures = 0;
    for (int k = 0; k < kLongRun && failures < 5; ++k) {
        ExecuteCommand(s, IDM_REC, recorder.IsRecording(), target);
        if (s.runState != kRec || !recorder.IsRecording()) {
            ADD_FAILURE() << "REC " << k;
            ++failures;
            continue;
        }
        const std::int32_t rate = s.sampleRate;
        const bool rateChange = k % 10 == 9;
        if (rateChange) {
            rates = rates + 1 == std::end(kRateItems) ? std::begin(kRateItems) : rates + 1;
            if (rates->value == rate) rates = rates + 1 == std::end(kRateItems) ? std::begin(kRateItems) : rates + 1;
            ExecuteCommand(s, rates->id, recorder.IsRecording(), target);
        } else {
            ExecuteCommand(s, IDM_STOP, recorder.IsRecording(), target);
        }
        const auto wav = ReadAll(path);
        const bool whole = wav.size() >= kWavHeadBytes && (wav.size() - kWavHeadBytes) % kWavBlockBytes == 0 &&
                           U32(wav, 40) == wav.size() - kWavHeadBytes && U32(wav, 4) == wav.size() - 8 &&
                           U32(wav, 24) == static_cast<std::uint32_t>(rate) &&
                           U32(wav, 40) == recorder.BlocksWritten() * kWavBlockBytes;
        const bool stateAgrees = !recorder.IsRecording() && s.runState == (rateChange ? kRun : kStop);
        if (!whole || !stateAgrees) {
            ADD_FAILURE() << "take " << k << ": " << wav.size() << " bytes, state " << s.runState;
            ++failures;
        }
    }
    stop.store(true, std::memory_order_release);
    capture.join();
    loop.join();
    fs::remove_all(dir);
}

}  // namespace
