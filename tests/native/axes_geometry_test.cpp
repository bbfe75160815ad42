#include "display/axes_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(AxesGeometry, HorizontalLinesDivideTheHeightInEight) {
    const auto ys = HorizontalGridLines(700);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ys[i], 87 * i);
    EXPECT_EQ(RowAY(700), 330);
    EXPECT_EQ(RowBY(700), 346);
}

}  // namespace
