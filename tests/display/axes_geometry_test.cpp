#include "display/axes_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kFs = 44100;
constexpr std::int32_t kBins = 1024;

std::vector<std::string> RowA(const std::array<TickLabel, kLinearTickLabels>& labels, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(labels[i].rowA);
    return out;
}

TEST(AxesGeometry, LinearFrequencyAxisGridAndLabels) {
    const AxisScale s = MakeAxisScale(kFs, kBins, 1000);
    std::array<std::int32_t, kLogGridEntries> xs{};
    ASSERT_EQ(VerticalGridLines(s, false, xs), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(xs[i], 100 * i);

    std::array<TickLabel, kLinearTickLabels> labels{};
    ASSERT_EQ(TickLabels(s, kFs, kBins, false, false, labels), 11);
    const std::vector<std::string> want = {"0", "2k", "4k", "7k", "9k", "11k", "13k", "15k", "18k", "20k", "22k"};
    EXPECT_EQ(RowA(labels, 11), want);
    EXPECT_FALSE(labels[0].centred);
    EXPECT_EQ(LabelLeft(labels[0], 9), kFirstLabelLeftPx);
    for (int k = 1; k < 11; ++k) {
        EXPECT_TRUE(labels[k].centred);
        EXPECT_EQ(labels[k].x, 100 * k);
        EXPECT_EQ(labels[k].rowB[0], '\0');
    }
    EXPECT_EQ(LabelLeft(labels[10], 25), 1000 - 12);
}

TEST(AxesGeometry, WidthNotDivisibleByTenPutsTheLastLabelAtTenSteps) {
    const AxisScale s = MakeAxisScale(kFs, kBins, 1005);
    std::array<std::int32_t, kLogGridEntries> xs{};
    VerticalGridLines(s, false, xs);
    EXPECT_EQ(xs[9], 900);
    std::array<TickLabel, kLinearTickLabels> labels{};
    TickLabels(s, kFs, kBins, false, false, labels);
    EXPECT_EQ(labels[10].x, 1000);
}

TEST(AxesGeometry, LogAxisPutsBinWidthAndNyquistAtTheEdges) {
    const AxisScale s = MakeAxisScale(kFs, kBins, 1000);
    EXPECT_NEAR(s.binHz, 22050.0 / 1024, 1e-12);
    EXPECT_EQ(LogAxisX(s, s.binHz), 0);
    EXPECT_NEAR(LogAxisX(s, s.nyquistHz), 1000, 1);
    char text[kTickTextBytes];
    BinWidthText(s.binHz, text);
    EXPECT_STREQ(text, "22");

    std::array<std::int32_t, kLogGridEntries> xs{};
    ASSERT_EQ(VerticalGridLines(s, true, xs), kLogGridEntries);
    EXPECT_LT(xs[0], 0);          // 1 Hz lies left of the picture
    EXPECT_GT(xs[46], 1000);      // 200 kHz right of it
    for (int i = 1; i < kLogGridEntries; ++i) EXPECT_GT(xs[i], xs[i - 1]);

    std::array<TickLabel, kLinearTickLabels> labels{};
    const int n = TickLabels(s, kFs, kBins, true, false, labels);
    // The 10 Hz decade falls below x = 1 and is skipped.
    const std::vector<std::string> want = {"100", "1k", "10k"};
    EXPECT_EQ(RowA(labels, n), want);
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(labels[i].centred);
        EXPECT_GE(labels[i].x, 1);
    }
    EXPECT_EQ(labels[0].x, LogAxisX(s, 100.0));
}

TEST(AxesGeometry, QuefrencyTexts) {
    struct Case {
        double f;
        const char* rowA;
        const char* rowB;
    };
    const Case cases[] = {
        {2205.0, "2.3m", "(431)"},
        {0.0, "0.0m", kNotFiniteText},  // infinite pitch: printed, and nothing stops
        {100.0, "0.1m", "(10k)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.f);
        char a[kTickTextBytes];
        char b[kTickTextBytes];
        QuefrencyTexts(c.f, kFs, kBins, a, b);
        EXPECT_STREQ(a, c.rowA);
        EXPECT_STREQ(b, c.rowB);
    }
    const AxisScale s = MakeAxisScale(kFs, kBins, 1000);
    std::array<TickLabel, kLinearTickLabels> labels{};
    ASSERT_EQ(TickLabels(s, kFs, kBins, false, true, labels), 11);
    EXPECT_STREQ(labels[1].rowA, "2.3m");
    EXPECT_STREQ(labels[1].rowB, "(431)");
}

TEST(AxesGeometry, FrequencyTextsSwitchToThousandsAtOneThousand) {
    struct Case {
        double f;
        const char* want;
    };
    const Case cases[] = {{1000, "1k"}, {999, "999"}, {1450, "2k"}, {1449, "1k"}, {2205, "2k"}, {0, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.f);
        char text[kTickTextBytes];
        FrequencyText(c.f, text);
        EXPECT_STREQ(text, c.want);
    }
    // A value with hundreds of digits is cut to the buffer, not written past it.
    char text[kTickTextBytes];
    FrequencyText(1e300, text);
    EXPECT_EQ(std::string(text).size(), static_cast<std::size_t>(kTickTextBytes - 1));
}

// Every axis the menus can show, 300 to 2,000 pixels wide, measured with a
// fixed width per character (Wine's font is wider than the usual one): the
// drawn labels never overlap, never pass the view's edges, and the last one
// that would have been cut at the right edge is moved in whole.
TEST(AxesGeometry, PlacedLabelsNeverOverlapNorPassTheEdges) {
    const std::int32_t rates[] = {8000, 22050, 44100, 48000, 96000, 192000};
    const std::int32_t lengths[] = {1024, 2048, 4096, 8192, 16384, 32768};
    for (const std::int32_t charPx : {7, 9, 12}) {
        const TextWidthFn measure = [charPx](const char* text) {
            return static_cast<std::int32_t>(std::strlen(text)) * charPx;
        };
        for (const std::int32_t fs : rates) {
            for (const std::int32_t length : lengths) {
                for (std::int32_t width = 300; width <= 2000; width += 7) {
                    for (const int axis : {0, 1, 2, 3}) {
                        const bool logAxis = (axis & 1) != 0;
                        const bool quefrency = (axis & 2) != 0;
                        const AxisScale s = MakeAxisScale(fs, length / 2, width);
                        std::array<PlacedLabel, kMostPlacedLabels> placed{};
                        const int n = PlaceAxisLabels(s, fs, length / 2, logAxis, quefrency, width, measure, placed);
                        // Formatted only when an assertion fails.
                        const auto where = [&] {
                            return ::testing::Message() << charPx << " px/char, " << fs << " Hz, " << length
                                                        << " points, " << width << " px, axis " << axis;
                        };
                        ASSERT_GE(n, 2) << where();
                        for (int i = 0; i < n; ++i) {
                            const PlacedLabel& p = placed[i];
                            const std::int32_t wide = std::max(measure(p.rowA), measure(p.rowB));
                            ASSERT_EQ(p.right - p.left, wide) << where();
                            ASSERT_GE(p.left, 0) << p.rowA << ", " << where();
                            ASSERT_LE(p.right, width) << p.rowA << ", " << where();
                            if (i > 0) {
                                ASSERT_GE(p.left, placed[i - 1].right + kLabelGapPx) << p.rowA << ", " << where();
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(AxesGeometry, LabelsAtTheEdgesMoveInOrAreLeftOut) {
    const TextWidthFn measure = [](const char* text) { return static_cast<std::int32_t>(std::strlen(text)) * 9; };
    std::array<PlacedLabel, kMostPlacedLabels> placed{};
    // Linear axis: "22k" is centred on the right edge; it moves in whole.
    int n = PlaceAxisLabels(MakeAxisScale(kFs, kBins, 1000), kFs, kBins, false, false, 1000, measure, placed);
    ASSERT_EQ(n, 11);
    EXPECT_STREQ(placed[10].rowA, "22k");
    EXPECT_EQ(placed[10].right, 1000);
    EXPECT_EQ(placed[5].left, 500 - 13);  // "11k" keeps its place
    // Linear cepstrum axis at 16,384 points, 400 pixels: "18.6m" would run
    // into "0.0m" and is left out; the next one is drawn.
    n = PlaceAxisLabels(MakeAxisScale(kFs, 8192, 400), kFs, 8192, false, true, 400, measure, placed);
    ASSERT_GE(n, 2);
    EXPECT_STREQ(placed[0].rowA, "0.0m");
    EXPECT_EQ(placed[0].left, kFirstLabelLeftPx);
    EXPECT_STREQ(placed[1].rowA, "37.2m");
    // Logarithmic axis at 22,050 Hz: the bin-width text first, "10k" moved in.
    n = PlaceAxisLabels(MakeAxisScale(22050, kBins, 600), 22050, kBins, true, false, 600, measure, placed);
    ASSERT_GE(n, 2);
    EXPECT_STREQ(placed[0].rowA, "11");
    EXPECT_EQ(placed[0].left, 0);
    EXPECT_STREQ(placed[n - 1].rowA, "10k");
    EXPECT_EQ(placed[n - 1].right, 600);
}

// The level axis at every height from a bare view to a maximised one, in
// fonts of 13 to 19 pixels: the labels read the level of their own line,
// stay inside the view, never touch each other nor the frequency labels'
// rows, and a view as tall as the default window's shows at least three.
TEST(AxesGeometry, LevelLabelsReadTheirLinesAndKeepApart) {
    const TextWidthFn measure = [](const char* text) { return static_cast<std::int32_t>(std::strlen(text)) * 9; };
    const auto levelAt = [](std::int32_t row) { return 10.0 - row * 0.37; };
    for (const std::int32_t textHeight : {13, 16, 19}) {
        for (std::int32_t height = 20; height <= 1000; height += 3) {
            SCOPED_TRACE(testing::Message() << height << " px high, " << textHeight << " px text");
            std::array<LevelLabel, kHorizontalGridLines> placed{};
            const int n = PlaceLevelLabels(100, height, textHeight, levelAt, measure, placed);
            if (height >= 180) {
                ASSERT_GE(n, 3);
                EXPECT_NE(std::strstr(placed[0].text, " dBFS"), nullptr);
            }
            std::int32_t taken = 0;
            for (int i = 0; i < n; ++i) {
                const LevelLabel& l = placed[i];
                EXPECT_EQ(std::atoi(l.text), static_cast<int>(std::lround(levelAt(l.top - 1)))) << l.text;
                ASSERT_GE(l.top, taken);
                ASSERT_LE(l.top + textHeight, height);
                ASSERT_LE(l.right, 100);
                ASSERT_TRUE(l.top + textHeight <= RowAY(height) || l.top >= RowBY(height) + textHeight) << l.top;
                taken = l.top + textHeight;
            }
        }
    }
}

TEST(AxesGeometry, HorizontalLinesDivideTheHeightInEight) {
    const auto ys = HorizontalGridLines(700);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ys[i], 87 * i);
    EXPECT_EQ(RowAY(700), 330);
    EXPECT_EQ(RowBY(700), 346);
}

}  // namespace
