// Long runs of menu commands against the portable parts of the running
// program: the analysis set up anew between the passes of a loop thread that
// reads the published settings and writes the live view state, and
// recordings started and ended while a capture thread appends.
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
#include "app/commands/commands.h"
#include "app/frame/frame_analysis.h"
#include "app/commands/menu_marks.h"
#include "app/commands/menu_tables.h"
#include "app/frame/pass_handover.h"
#include "app/layout/layout.h"
#include "app/program/published_settings.h"
#include "app/frame/view_zoom.h"
#include "base/live_view.h"
#include "display/selection.h"
#include "capture/wav_recorder.h"
#include "posix_record_file.h"
#include "resources/resource_ids.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLongRun = 1000;
constexpr double kToneHz = 1000.0;
constexpr double kRateHz = 44100.0;

// The main window's target without the window: set-ups and calibration
// clears are handed to the loop thread and waited for, the settings are
// published as the status refresh does, recordings go to a real recorder.
class LoopTarget final : public CommandTarget {
public:
    LoopTarget(AppSettings& s, PublishedSettings& published, PassHandover& handover, AnalyzerFrameAnalysis& analysis,
               WavRecorder& recorder, std::string path)
        : s_(s), published_(published), handover_(handover), analysis_(analysis), recorder_(recorder),
          path_(std::move(path)) {}

    void ShowAbout() override {}
    void Exit() override {}
    bool IsPitchChecked() override { return ComputeMenuMarks(s_).IsChecked(IDM_VIEW_PITCH); }
    void SetUpperCursor(ViewCursor) override {}
    void StopRecording() override { recorder_.StopRecording(); }
    void PauseCapture() override {}
    bool StartRecording() override { return recorder_.StartRecording(path_.c_str(), s_.sampleRate) == 1; }
    void ReopenCapture() override {}
    void RequestCalibration() override { analysis_.Calibration().Request(); }
    void ClearCalibration() override {
        BetweenPasses([this] { analysis_.Calibration().Clear(); });
    }
    void SetupAnalysis() override {
        BetweenPasses([this, now = s_] { analysis_.SetUp(now); });
    }
    void UpdateScaleLabels() override {}
    void Relayout() override {}
    void RefreshStatus() override { published_.Publish(s_); }
    void SyncMenu() override {}

private:
    void BetweenPasses(PassHandover::Change change) {
        const auto ticket = handover_.Post(std::move(change));
        while (!handover_.Done(ticket)) std::this_thread::yield();
    }

    AppSettings& s_;
    PublishedSettings& published_;
    PassHandover& handover_;
    AnalyzerFrameAnalysis& analysis_;
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

// Every pass of the loop must see one whole set-up: a frame of the analysis's
// length whose spectrum peaks at the tone's bin for that length. Window,
// pause and axis commands land in between, published to the passes and to a
// status thread as the program publishes them; the passes write the live
// view state as the frame loop does while this thread lays out as the window
// does and the status thread takes the frame count (under ThreadSanitizer
// this is the race check of the settings and the live view state). No pass
// goes uncounted.
TEST(CommandStress, AThousandLengthSwitchesBetweenRunningPasses) {
    AppSettings s = Defaults();
    PublishedSettings published;
    published.Publish(s);
    LiveViewState live;
    live.LoadFrom(s);
    AnalyzerFrameAnalysis analysis([](double* values, int count) {
        for (int i = 0; i < count; ++i) values[i] = 10000.0 * std::sin(2.0 * M_PI * kToneHz * i / kRateHz);
        return true;
    });
    analysis.SetUp(s);
    PassHandover handover;
    WavRecorder unused(testsupport::OpenPosixRecordFile);
    LoopTarget target(s, published, handover, analysis, unused, "");

    std::atomic<bool> stop{false};
    std::atomic<long> passes{0};
    std::atomic<long> wrongPasses{0};
    std::thread loop([&] {
        while (!stop.load(std::memory_order_acquire)) {
            handover.RunPending();
            const AppSettings pass = published.Copy();
            const FrameData frame = analysis.Analyse(pass);
            if (pass.windowKind < kWindowNone || pass.windowKind > kWindowBlackman || pass.pauseMs > 500) {
                wrongPasses.fetch_add(1);
            }
            ViewZoom zoom{live.specSpan.load(), live.specOffset.load()};
            zoom = ApplyWheel(zoom, passes.load() % 2 ? 120 : -120);
            live.specSpan.store(zoom.span);
            live.specOffset.store(zoom.offset);
            live.activeSpan.store(zoom.span);
            live.activeOffset.store(zoom.offset);
            SaveSelection(live, SelectionBlock{0.2, 0.1, 0.9, 0.8});
            live.upperHeight.store(200);
            live.frameCount.fetch_add(1);
            const int expectedBin = static_cast<int>(std::lround(kToneHz * frame.sampleCount / kRateHz));
            if (frame.sampleCount != analysis.FrameLength() || frame.binCount != frame.sampleCount / 2 ||
                std::abs(PeakBin(frame.displayValues, frame.binCount) - expectedBin) > 1) {
                wrongPasses.fetch_add(1);
            }
            passes.fetch_add(1);
        }
        handover.RunPending();
    });
    std::atomic<long> counted{0};
    std::thread status([&] {
        while (!stop.load(std::memory_order_acquire)) {
            if (published.Copy().pauseMs > 500) wrongPasses.fetch_add(1);
            counted.fetch_add(live.frameCount.exchange(0));
            std::this_thread::yield();
        }
    });
    int last = 0;
    for (int k = 0; k < kLongRun; ++k) {
        const MenuItemValue& item = kLengthItems[(k + k / 6) % std::size(kLengthItems)];
        ExecuteCommand(s, item.id, false, target);
        ExecuteCommand(s, kWindowItems[k % std::size(kWindowItems)].id, false, target);
        ExecuteCommand(s, kPauseItems[k % 3].id, false, target);
        ExecuteCommand(s, k % 2 ? IDM_GRID_LINEAR : IDM_GRID_LOG, false, target);
        // A re-layout: the split, the value-0 row and the selection.
        live.splitRatio.store(k % 2 ? 0.4 : 0.5);
        live.activeOffset.store(RescaledOffset(live.activeOffset.load(), live.upperHeight.load(), 200));
        live.upperHeight.store(200);
        const SelectionBlock sel = SavedSelection(live);
        SaveSelection(live, sel);
        last = item.value;
    }
    const long before = passes.load();
    while (passes.load() < before + 2) std::this_thread::yield();
    stop.store(true, std::memory_order_release);
    loop.join();
    status.join();
    live.SaveTo(s);

    EXPECT_EQ(wrongPasses.load(), 0) << "of " << passes.load() << " passes";
    EXPECT_EQ(counted.load() + s.frameCount, passes.load());
    EXPECT_EQ(s.selX1, 0.9);
    EXPECT_EQ(s.upperHeight, 200);
    EXPECT_GE(passes.load(), kLongRun);
    EXPECT_EQ(analysis.FrameLength(), last);
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
    AnalyzerFrameAnalysis analysis(nullptr);
    PublishedSettings published;
    PassHandover handover;
    WavRecorder recorder(testsupport::OpenPosixRecordFile);
    LoopTarget target(s, published, handover, analysis, recorder, path);

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
