// The spectrogram in the running window: the frame loop with the spectrogram
// hooks, fed one spectral line, scrolls in RUN, stands still in STOP, starts
// black after a resize, and the keys follow a selection drag; on the sound
// server's tone, no restart of the capture leaves a bright column.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/layout_win.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "app/frame/spectrogram_hooks_win.h"
#include "app/commands/commands.h"
#include "app/commands/device_commands.h"
#include "display/level_colour.h"
#include "display/plot_view_win.h"
#include "display/readouts.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/sound_source.h"
#include "support/temp_dir.h"
#include "support/test_parent.h"

namespace {

constexpr int kBins = 1024;
constexpr int kLineBin = 500;  // inside the default band, bins 102 ... 921

// Every frame: level 0 everywhere (below the default scale) and 200 at one bin.
class OneLine final : public FrameAnalysis {
public:
    OneLine() : levels(kBins, 0.0), log10(kBins) { levels[kLineBin] = 200.0; }
    FrameData Analyse(const AppSettings&) override {
        Sleep(1);
        return {.rawFrame = levels.data(), .sampleCount = 2 * kBins, .displayValues = levels.data(),
                .binCount = kBins, .log10Table = log10.data()};
    }
    std::vector<double> levels, log10;
};

class SpectrogramLoopTest : public ::testing::Test {
protected:
    // Every test starts from the defaults and leaves no settings file behind.
    void SetUp() override {
        DeleteFileA(kSettingsFileName);
        DeleteFileA(kExtraSettingsFileName);
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        testsupport::PumpPending();
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
        AppSettings& s = app_->settings;
        s.pauseMs = 0;
        s.showWave = 0;
        s.showSpectrum = 1;
        s.logGrid = 0;
        s.cepstrumMode = 0;
        s.sampleRate = 44100;
        s.halfLength = kBins;
        s.runState = kRun;
        PublishSettings(*app_);
        Relayout(hwnd_);
        // The window's own loop draws the captured sound; this one the line.
        app_->frameLoop->Stop();
        loop_ = std::make_unique<FrameLoop>(*app_, analysis_, MakeSpectrogramHooks(*app_));
        ASSERT_TRUE(loop_->Start());
    }
    void TearDown() override {
        loop_.reset();
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        testsupport::PumpPending();
        DeleteFileA(kSettingsFileName);
        DeleteFileA(kExtraSettingsFileName);
    }
    bool RunPasses(long n) {
        const long target = loop_->PassCount() + n;
        return testsupport::PumpUntil([&] { return loop_->PassCount() >= target; }, 5000);
    }
    // The lower view's surface, copied under the draw lock.
    std::vector<std::uint8_t> LowerPixels(int& width, int& height, std::ptrdiff_t& stride) {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        GdiFlush();
        const Bitmaplib::SurfacePixels s = app_->parts.lowerView->Surface();
        width = s.width;
        height = s.height;
        stride = s.stride;
        return std::vector<std::uint8_t>(s.bits, s.bits + s.stride * s.height);
    }
    // Memory rows of column x that are not black.
    static std::vector<int> LitRows(const std::vector<std::uint8_t>& px, int x, int height, std::ptrdiff_t stride) {
        std::vector<int> rows;
        for (int r = 0; r < height; ++r) {
            const std::uint8_t* p = &px[r * stride + x * 4];
            if (p[0] | p[1] | p[2]) rows.push_back(r);
        }
        return rows;
    }
    std::string LabelText(int i) const {
        LabelText::Buffer text{};
        app_->parts.scaleLabels[i]->CopyText(text);
        return text;
    }
    ScaleLabelTexts ExpectedLabels() {
        std::lock_guard<std::mutex> hold(app_->drawLock);
        const Bitmaplib::PlotView& upper = *app_->parts.upperView;
        const SelectionBlock sel = upper.Selection();
        const AppSettings& s = app_->settings;
        return FormatScaleLabelTexts({upper.Width(), sel.x0, sel.x1, s.sampleRate, s.halfLength, false, false});
    }

    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
    OneLine analysis_;
    std::unique_ptr<FrameLoop> loop_;
};

TEST_F(SpectrogramLoopTest, ScrollsInRunStandsStillInStopAndRestartsBlack) {
    ASSERT_TRUE(RunPasses(8));
    int w = 0, h = 0;
    std::ptrdiff_t stride = 0;
    std::vector<std::uint8_t> px = LowerPixels(w, h, stride);
    ASSERT_GT(w, 8);
    // The default band (bins 102 ... 921) over h rows: the line's row, counted from the bottom.
    const int lineRow = static_cast<int>((kLineBin - 102) / (819.0 / h));
    for (int x : {w - 1, w - 5}) {
        const std::vector<int> lit = LitRows(px, x, h, stride);
        ASSERT_FALSE(lit.empty()) << "column " << x;
        EXPECT_LE(lit.size(), 2u) << "column " << x;
        EXPECT_NEAR(lit.front(), lineRow, 1) << "column " << x;
    }

    app_->settings.runState = kStop;
    PublishSettings(*app_);
    ASSERT_TRUE(RunPasses(2));
    const std::vector<std::uint8_t> stopped = LowerPixels(w, h, stride);
    ASSERT_TRUE(RunPasses(8));
    px = LowerPixels(w, h, stride);
    for (int r = 0; r < h; ++r) {
        // The newest column may carry the once-a-second mark; the rest must not move.
        ASSERT_EQ(std::memcmp(&px[r * stride], &stopped[r * stride], (w - 1) * 4), 0) << "row " << r;
    }

    loop_->Stop();
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + 40, outer.bottom - outer.top + 30,
                 SWP_NOMOVE | SWP_NOZORDER);
    px = LowerPixels(w, h, stride);
    for (int x = 0; x < w; ++x) ASSERT_TRUE(LitRows(px, x, h, stride).empty()) << "column " << x;
}

// Each colour map of the Settings menu colours the new columns and the key:
// the line in a colour of the map above its lowest, the rest in its lowest.
TEST_F(SpectrogramLoopTest, TheChosenColourMapColoursNewColumnsAndTheKey) {
    const std::pair<int, ColourMap> choices[] = {{IDM_COLOUR_MAP_MAGMA, ColourMap::kMagma},
                                                 {IDM_COLOUR_MAP_GREY, ColourMap::kGrey},
                                                 {IDM_COLOUR_MAP_RAINBOW, ColourMap::kRainbow}};
    for (const auto& [id, map] : choices) {
        SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        ASSERT_TRUE(RunPasses(3));
        int width = 0, height = 0;
        std::ptrdiff_t stride = 0;
        const std::vector<std::uint8_t> px = LowerPixels(width, height, stride);
        int line = 0, bottom = 0;
        for (int r = 0; r < height; ++r) {
            const std::uint8_t* p = &px[r * stride + (width - 1) * 4];
            const RgbBytes c{p[2], p[1], p[0]};
            bottom += c == LevelColour(0, map);
            for (int index = 1; index <= kLevelColourMaxIndex; ++index) {
                if (c == LevelColour(index, map) && c != LevelColour(0, map)) {
                    ++line;
                    break;
                }
            }
        }
        EXPECT_GE(line, 1) << "map " << int(map);
        EXPECT_GT(bottom, height / 2) << "map " << int(map);
        std::lock_guard<std::mutex> hold(app_->drawLock);
        GdiFlush();
        const SplitBar& strip = *app_->parts.colourScaleBar;
        const std::uint8_t* p = strip.Pixels() + (strip.BitmapHeight() - 1) * strip.Stride();
        EXPECT_EQ((RgbBytes{p[2], p[1], p[0]}), LevelColour(255, map)) << "key, map " << int(map);
    }
}

TEST_F(SpectrogramLoopTest, KeysFollowASelectionDrag) {
    ASSERT_TRUE(RunPasses(3));
    const ScaleLabelTexts laidOut = ExpectedLabels();
    for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(LabelText(i), laidOut[i].data()) << i;

    HWND upper = app_->parts.upperView->Handle();
    testsupport::SendMouse(upper, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
    testsupport::SendMouse(upper, WM_MOUSEMOVE, 120, 60, MK_LBUTTON);
    ASSERT_TRUE(RunPasses(3));
    const ScaleLabelTexts dragged = ExpectedLabels();
    EXPECT_NE(std::string(dragged[0].data()), laidOut[0].data());
    for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(LabelText(i), dragged[i].data()) << i;
    testsupport::SendMouse(upper, WM_LBUTTONUP, 120, 60);
}

// The window's own loop on the sine source (440 Hz, device 0) with the
// default settings: log axis, 4,096 points, the default selection.
TEST(SpectrogramOfTheSineSource, NewestColumnIsBrightestAtTheTonesRow) {
    DeleteFileA(kSettingsFileName);
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App& app = *CurrentApp();
    const long start = app.frameLoop->PassCount();
    testsupport::PumpUntil([&] { return false; }, 1500);
    EXPECT_GT(app.frameLoop->PassCount(), start + 5);

    int brightest = -1, height = 0;
    {
        std::lock_guard<std::mutex> hold(app.drawLock);
        GdiFlush();
        const Bitmaplib::SurfacePixels s = app.parts.lowerView->Surface();
        height = s.height;
        int best = -1;
        for (int r = 0; r < s.height; ++r) {
            const std::uint8_t* p = s.bits + r * s.stride + (s.width - 1) * 4;
            for (int index = 255; index > best; --index) {
                const RgbBytes c = LevelColour(index);
                if (c.blue == p[0] && c.green == p[1] && c.red == p[2]) {
                    best = index;
                    brightest = r;
                    break;
                }
            }
        }
    }
    DestroyWindow(hwnd);
    testsupport::PumpPending();
    DeleteFileA(kSettingsFileName);

    // 440 Hz is bin 40.9 of 4,096 points at 44,100 Hz; on the log axis bin b
    // sits at position 2,048 log(b) / log(2,048), and the band starts at 204.
    const double position = 2048.0 * std::log(440.0 / (44100.0 / 4096)) / std::log(2048.0);
    const double expectedRow = (position - 204) / (1639.0 / height);
    EXPECT_NEAR(brightest, expectedRow, 3.0) << "rows " << height;
}

// Mean colour index of every column of the lower view (0 for a column not
// yet drawn), read back through the colour map.
std::vector<double> ColumnLevels(App& app) {
    std::map<std::uint32_t, int> indexOf;
    for (int index = 0; index <= kLevelColourMaxIndex; ++index) {
        const RgbBytes c = LevelColour(index);
        indexOf[c.blue | c.green << 8 | c.red << 16] = index;
    }
    std::lock_guard<std::mutex> hold(app.drawLock);
    GdiFlush();
    const Bitmaplib::SurfacePixels s = app.parts.lowerView->Surface();
    std::vector<double> levels(std::max(s.width, 0), 0.0);
    for (int x = 0; x < s.width; ++x) {
        for (int r = 0; r < s.height; ++r) {
            const std::uint8_t* p = s.bits + r * s.stride + x * 4;
            const auto found = indexOf.find(p[0] | p[1] << 8 | p[2] << 16);
            if (found != indexOf.end()) levels[x] += found->second;
        }
        levels[x] /= std::max(s.height, 1);
    }
    return levels;
}

// Every way the running window (re)starts its capture, on the steady tone:
// a frame never spans the restart, so none of the columns drawn after it
// lights up far above the picture's typical column (a frame across a jump in
// the tone is bright at every frequency: a full-height flash).
TEST(SpectrogramOfTheSineSource, NoColumnFlashesWhereCaptureRestarts) {
    testsupport::ScopedTempDir dir;  // REC writes its file here
    const int sine = testsupport::DeviceNumber(testsupport::kSineSource);
    ASSERT_GE(sine, 0) << "no source named " << testsupport::kSineSource;
    ASSERT_LT(sine, kSelectableDevices);
    const int device = DeviceCommandId(sine);
    // Each row ends with a restart; the columns drawn after it are checked.
    const struct {
        const char* what;
        std::vector<int> commands;
    } restarts[] = {
        {"STOP, RUN", {IDM_STOP, IDM_RUN}},
        {"STOP, RUN again", {IDM_STOP, IDM_RUN}},
        {"REC, STOP, REC", {IDM_REC, IDM_STOP, IDM_REC}},
        {"STOP, REC again", {IDM_STOP, IDM_REC}},
        {"a rate", {IDM_RATE_48000}},
        {"the rate back", {IDM_RATE_44100}},
        {"the device", {device}},
    };
    HWND hwnd = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
    App& app = *CurrentApp();
    app.statusLoop->Stop();  // no once-a-second mark among the columns, no other count of frames
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(device, 0), 0);
    testsupport::PumpUntil([] { return false; }, 600);
    std::vector<double> drawn = ColumnLevels(app);
    drawn.erase(std::remove(drawn.begin(), drawn.end(), 0.0), drawn.end());
    ASSERT_GT(drawn.size(), 10u);
    std::nth_element(drawn.begin(), drawn.begin() + drawn.size() / 2, drawn.end());
    const double typical = drawn[drawn.size() / 2];
    // The brightest of the columns drawn since the last command.
    const auto newestBrightest = [&app] {
        // Each command restarted the count: the columns scrolled in since.
        const int since = app.live.frameCount.load();
        const std::vector<double> levels = ColumnLevels(app);
        const auto first = levels.end() - std::min<std::ptrdiff_t>(since + 2, std::ssize(levels));
        return first == levels.end() ? 0.0 : *std::max_element(first, levels.end());
    };
    for (const auto& restart : restarts) {
        // Under a heavy load the sound server itself may skip now and then;
        // a restart that flashes does so every time.
        double brightest = 0;
        for (int attempt = 0; attempt < 2 && (attempt == 0 || brightest >= typical + 40.0); ++attempt) {
            for (int id : restart.commands) {
                testsupport::PumpUntil([] { return false; }, 300);
                SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
            }
            // Past the filling and the frames that would span a jump in the
            // first 100 ms or so, before much else is drawn.
            ASSERT_TRUE(testsupport::PumpUntil([&] { return app.capture->ring().blocksSinceGap() >= 24; }, 3000))
                << restart.what;
            const long passes = app.frameLoop->PassCount();
            ASSERT_TRUE(testsupport::PumpUntil([&] { return app.frameLoop->PassCount() > passes + 1; }, 3000));
            brightest = newestBrightest();
        }
        EXPECT_LT(brightest, typical + 40.0) << restart.what << ", against " << typical << " for a typical column";
    }
    DestroyWindow(hwnd);
    testsupport::PumpPending();
}

}  // namespace
