// The spectrogram and its keys on real windows and surfaces: the scroll and
// the newest column in the lower view, the colour key strip and the five
// frequency labels following the upper view's selection.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "display/level_colour.h"
#include "display/readouts_win.h"
#include "display/spectrogram_win.h"
#include "support/test_parent.h"

namespace {

constexpr int kViewW = 50;
constexpr int kViewH = 120;
constexpr RgbBytes kBlack{0, 0, 0};

RgbBytes PixelAt(const Bitmaplib::SurfacePixels& s, int x, int memoryRow) {
    const std::uint8_t* p = s.bits + memoryRow * s.stride + x * 4;
    return RgbBytes{p[2], p[1], p[0]};
}

// A lower view fed one value per row: 120 bins over 120 rows, levels 10 ... 90
// on the colour scale (100-row upper view spanning 100 units from its bottom).
class SpectrogramViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view_.SetSelection(SelectionBlock{0.9, 0.0, 1.0, 0.1});
    }
    // A frame whose only tone is at `bin`.
    void Column(int bin) {
        std::vector<double> values(kViewH, 0.0);
        values[bin] = 85.0;
        DrawSpectrogramColumn(view_, settings_, upper_, values.data(), kViewH, work_);
        GdiFlush();
    }
    // The memory row of the brightest (highest-index) pixel in column x.
    int BrightestRow(int x) const {
        const Bitmaplib::SurfacePixels s = view_.Surface();
        for (int r = 0; r < s.height; ++r) {
            if (PixelAt(s, x, r) == Tone()) return r;
        }
        return -1;
    }
    static RgbBytes Tone() { return LevelColour((85.0 - 10.0) * 3.2); }

    testsupport::TestParent parent_{300, 200};
    Bitmaplib::PlotView view_{parent_.Handle(), 0, 0, kViewW, kViewH};
    AppSettings settings_{};
    const ViewLevels upper_{100, 100.0, 100.0};
    SpectrogramWork work_;
};

TEST_F(SpectrogramViewTest, NewestColumnAtTheRightScrollsLeft) {
    Column(30);
    EXPECT_EQ(BrightestRow(kViewW - 1), 30);
    Column(60);
    EXPECT_EQ(BrightestRow(kViewW - 1), 60);
    EXPECT_EQ(BrightestRow(kViewW - 2), 30) << "the previous column moved one pixel left";
    const Bitmaplib::SurfacePixels s = view_.Surface();
    EXPECT_EQ(PixelAt(s, kViewW - 1, 30), kBlack);
    EXPECT_EQ(PixelAt(s, kViewW - 3, 30), kBlack) << "a fresh view is black";
}

TEST_F(SpectrogramViewTest, CepstrumViewsShowTheLowestLagOnTop) {
    settings_.cepstrumMode = 1;
    Column(30);
    EXPECT_EQ(BrightestRow(kViewW - 1), kViewH - 1 - 30);
    Column(0);
    EXPECT_EQ(BrightestRow(kViewW - 1), kViewH - 1) << "lag 0 on the top line (memory row H - 1)";
}

// The keys of a 500-pixel-wide upper view with a 200-row strip beside it.
class ScaleReadoutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.sampleRate = 44100;
        settings_.halfLength = 2048;
        upper_.SetSelection(SelectionBlock{0.1, 0.1, 0.9, 0.9});
        for (auto& label : labels_) {
            label = std::make_unique<Mylib::Label>(Mylib::kAlignRight, parent_.Handle(), 0, 0, 35, 14, 0,
                                                      0xC8C8C8, "label");
        }
    }
    ScaleReadouts Keys() {
        ScaleReadouts keys{&upper_, &strip_, {}};
        for (int i = 0; i < kFrequencyLabelCount; ++i) keys.labels[i] = labels_[i].get();
        return keys;
    }
    std::string Text(int i) const {
        LabelText::Buffer text{};
        labels_[i]->CopyText(text);
        return text;
    }
    RgbBytes StripRow(int memoryRow) const {
        GdiFlush();
        const std::uint8_t* p = strip_.Pixels() + memoryRow * strip_.Stride();
        return RgbBytes{p[2], p[1], p[0]};
    }

    testsupport::TestParent parent_{600, 400};
    Bitmaplib::PlotView upper_{parent_.Handle(), 16, 20, 500, 200};
    SplitBar strip_{parent_.Handle(), 2, 20, 12, 200};
    std::array<std::unique_ptr<Mylib::Label>, kFrequencyLabelCount> labels_;
    AppSettings settings_{};
};

TEST_F(ScaleReadoutsTest, KeysFollowTheSelection) {
    UpdateScaleLabels(Keys(), settings_);
    const char* spectrum[] = {"19.9k-", "15.5k-", "11.1k-", "6.7k-", "2.3k-"};
    for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(Text(i), spectrum[i]) << i;
    // Edges at strip rows 20 (lower) and 180 (upper), counted from the bottom.
    EXPECT_EQ(StripRow(19), kBlack);
    EXPECT_EQ(StripRow(100), LevelColour(128));
    EXPECT_EQ(StripRow(199), LevelColour(255));

    // A drag to a narrower, lower band in a cepstrum view.
    upper_.SetSelection(SelectionBlock{0.5, 0.0, 1.0, 0.9});
    settings_.cepstrumMode = 1;
    UpdateScaleLabels(Keys(), settings_);
    EXPECT_EQ(Text(0), "inf-") << "lag 0 on the top label";
    EXPECT_EQ(Text(4), "22-");
    // Edges now at rows 20 and 100.
    EXPECT_EQ(StripRow(19), kBlack);
    EXPECT_EQ(StripRow(99), LevelColour(252));
    EXPECT_EQ(StripRow(100), LevelColour(255));
}

TEST_F(ScaleReadoutsTest, MissingPartsAreSkipped) {
    ScaleReadouts keys{nullptr, nullptr, {}};
    UpdateScaleLabels(keys, settings_);
    PaintColourScale(keys);
    SUCCEED();
}

}  // namespace
