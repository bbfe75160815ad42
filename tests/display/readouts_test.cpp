#include "display/readouts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "display/level_colour.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ScaleLabelText, FormatsAndBounds) {
    struct Case {
        double hz;
        const char* text;
    };
    const Case cases[] = {
        {440, "440-"},      {999.4, "999-"},  {1234, "1.3k-"}, {22050, "22.1k-"},      {0, "0-"},
        {kInf, "inf-"},     {-kInf, "-inf-"}, {std::numeric_limits<double>::quiet_NaN(), "nan-"},
    };
    for (const Case& c : cases) EXPECT_STREQ(FormatScaleLabelText(c.hz).data(), c.text) << c.hz;
    // Three hundred digits do not fit: the text is cut, never overrun.
    for (double huge : {1e300, -1e300}) {
        const ScaleLabelText text = FormatScaleLabelText(huge);
        EXPECT_EQ(std::strlen(text.data()), kScaleLabelTextBytes - 1) << huge;
    }
}

TEST(ScaleLabels, SpectrumAndCepstrumOrders) {
    struct Case {
        const char* name;
        ScaleLabelInput in;
        std::vector<std::string> topToBottom;
    };
    const Case cases[] = {
        {"linear spectrum", {500, 0.1, 0.9, 44100, 2048, false, false},
         {"19.9k-", "15.5k-", "11.1k-", "6.7k-", "2.3k-"}},
        {"linear cepstrum", {500, 0.1, 0.9, 44100, 2048, false, true}, {"215-", "72-", "43-", "31-", "24-"}},
        {"selection drawn right to left", {500, 0.9, 0.1, 44100, 2048, false, false},
         {"19.9k-", "15.5k-", "11.1k-", "6.7k-", "2.3k-"}},
        {"full-width cepstrum", {500, 0.0, 1.0, 44100, 2048, false, true}, {"inf-", "86-", "43-", "29-", "22-"}},
        {"log spectrum", {500, 0.0, 1.0, 44100, 2048, true, false}, {"22.1k-", "3.3k-", "487-", "72-", "11-"}},
    };
    for (const Case& c : cases) {
        const ScaleLabelTexts texts = FormatScaleLabelTexts(c.in);
        for (int i = 0; i < kFrequencyLabelCount; ++i) EXPECT_EQ(texts[i].data(), c.topToBottom[i]) << c.name << " " << i;
    }
}

TEST(ScaleLabels, ValuesBeforeFormatting) {
    const std::array<double, kFrequencyLabelCount> hz = scaleLabelValues({500, 0.1, 0.9, 44100, 2048, false, false});
    const double expected[] = {2205, 6615, 11025, 15435, 19845};
    for (int k = 0; k < kFrequencyLabelCount; ++k) EXPECT_NEAR(hz[k], expected[k], 1e-9);
}

TEST(ColourKey, RowsFollowTheSelectionsLevelRange) {
    constexpr std::int32_t kWidth = 12, kHeight = 100;
    constexpr std::ptrdiff_t kStride = kWidth * 4;
    struct Case {
        double y0, y1;
        std::vector<std::pair<int, int>> rowIndex;  // memory row -> colour index
    };
    const Case cases[] = {
        // Edges at rows 10 (lower) and 90 (upper).
        {0.1, 0.9, {{0, 0}, {9, 0}, {10, 0}, {11, 3}, {50, 128}, {89, 252}, {90, 255}, {99, 255}}},
        {0.9, 0.1, {{10, 0}, {89, 252}, {90, 255}}},
        // Zero height: below the edge black, the edge itself and above it the top colour.
        {0.5, 0.5, {{49, 0}, {50, 255}, {51, 255}}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bits(kStride * kHeight, 0x5A);
        PaintColourKey(bits.data(), kWidth, kHeight, kStride, c.y0, c.y1);
        for (const auto& [row, index] : c.rowIndex) {
            const RgbBytes want = LevelColour(index);
            for (int x = 0; x < kWidth; ++x) {
                const std::uint8_t* p = &bits[row * kStride + x * 4];
                ASSERT_EQ((RgbBytes{p[2], p[1], p[0]}), want) << c.y0 << " row " << row << " x " << x;
                ASSERT_EQ(p[3], 0x5A);
            }
        }
    }
}

}  // namespace
