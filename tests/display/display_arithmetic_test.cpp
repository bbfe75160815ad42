#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "base/live_view.h"
#include "base/settings.h"
#include "display/label_text.h"
#include "display/selection.h"
#include "display/surface.h"

namespace {

TEST(SurfaceBytes, SizesAndRefusals) {
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    struct Case {
        std::int64_t width, height;
        std::size_t bytes;
    };
    const Case cases[] = {
        {1, 1, 4},          {568, 156, 354432}, {100, 100, 40000}, {0, 10, 0},  {10, 0, 0},
        {-1, 10, 0},        {10, -5, 0},        {kHuge, 1, 0},     {1, kHuge, 0}, {kHuge / 8, kHuge / 8, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SurfaceBytes(c.width, c.height), c.bytes) << c.width << " x " << c.height;
    }
    // 32-bit sides whose product overflows 32 bits still come out exact in a 64-bit size.
    if constexpr (sizeof(std::size_t) >= 8) {
        EXPECT_EQ(SurfaceBytes(65536, 65536), std::size_t{1} << 34);
    }
}

// Reads the grey ramp of the first column, bottom row first.
std::vector<int> RampColumn(const std::vector<std::uint8_t>& bits, int height, int stride) {
    std::vector<int> out;
    for (int row = 0; row < height; ++row) {
        out.push_back(bits[row * stride]);
    }
    return out;
}

TEST(BarPixels, DividerRampReadsBottomToTop) {
    std::vector<std::uint8_t> bits(5 * 4, 0);
    PaintBarPixels(bits.data(), 1, 5, 4);
    EXPECT_EQ(RampColumn(bits, 5, 4), (std::vector<int>{0, 51, 102, 153, 204}));
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(bits[row * 4 + 1], bits[row * 4]);  // grey: green = blue
        EXPECT_EQ(bits[row * 4 + 2], bits[row * 4]);  // red = blue
    }
}

TEST(BarPixels, TallStripIsWhiteBesideItsRamp) {
    constexpr int kW = 12, kH = 100, kStride = kW * 4;
    std::vector<std::uint8_t> bits(kStride * kH, 0);
    PaintBarPixels(bits.data(), kW, kH, kStride);
    const std::vector<int> ramp = RampColumn(bits, kH, kStride);
    EXPECT_EQ(ramp.front(), 0);
    EXPECT_EQ(ramp.back(), 253);  // trunc(99 x 2.56)
    for (int row = 1; row < kH; ++row) {
        EXPECT_GE(ramp[row], ramp[row - 1]);
    }
    for (int row = 0; row < kH; ++row) {
        for (int byte = 4; byte < kStride; ++byte) {
            ASSERT_EQ(bits[row * kStride + byte], 0xFF) << "row " << row << " byte " << byte;
        }
        EXPECT_EQ(bits[row * kStride + 3], 0xFF);  // fourth byte of the ramp pixel stays white
    }
}

TEST(BarPixels, NullPixelsAreLeftAlone) { PaintBarPixels(nullptr, 12, 100, 48); }

struct DragCase {
    const char* what;
    int x0, y0, x1, y1, width, height;
    bool changed;
    SelectionBlock want;
};

TEST(Selection, DragFractionsAndClamps) {
    const SelectionBlock keep = kDefaultSelection;
    const DragCase cases[] = {
        {"inside", 10, 20, 50, 40, 101, 201, true, {0.1, 0.1, 0.5, 0.2}},
        {"past right and bottom", 0, 0, 500, 900, 101, 201, true, {0.0, 0.0, 1.0, 1.0}},
        {"past left and top", 100, 200, -30, -1, 101, 201, true, {1.0, 1.0, 0.0, 0.0}},
        {"a click", 100, 200, 100, 200, 101, 201, false, keep},
        {"two pixels across", 10, 20, 12, 40, 101, 201, false, keep},
        {"two pixels down", 10, 20, 50, 18, 101, 201, false, keep},
        {"three pixels both ways", 10, 20, 7, 23, 101, 201, true, {0.1, 0.1, 0.07, 0.115}},
        {"two pixels after clamping", 99, 5, 500, 50, 101, 201, false, keep},
        {"one pixel wide view", 0, 5, 0, 9, 1, 100, false, keep},
        {"one pixel high view", 5, 0, 9, 0, 100, 1, false, keep},
    };
    for (const DragCase& c : cases) {
        SelectionBlock b = keep;
        EXPECT_EQ(DragSelection(b, c.x0, c.y0, c.x1, c.y1, c.width, c.height), c.changed) << c.what;
        // Exact: the edges must give exactly 0.0 and 1.0.
        EXPECT_EQ(b.y0, c.want.y0) << c.what;
        EXPECT_EQ(b.x0, c.want.x0) << c.what;
        EXPECT_EQ(b.x1, c.want.x1) << c.what;
        EXPECT_EQ(b.y1, c.want.y1) << c.what;
    }
}

TEST(Selection, SettingsCopyKeepsTheBlockOrder) {
    LiveViewState live;
    SaveSelection(live, {0.25, 0.5, 0.75, 1.0});
    AppSettings s{};
    live.SaveTo(s);
    EXPECT_EQ(s.selY0, 0.25);
    EXPECT_EQ(s.selX0, 0.5);
    EXPECT_EQ(s.selX1, 0.75);
    EXPECT_EQ(s.selY1, 1.0);
    live.LoadFrom(AppSettings{});
    live.LoadFrom(s);
    const SelectionBlock back = SavedSelection(live);
    EXPECT_EQ(back.y0, 0.25);
    EXPECT_EQ(back.y1, 1.0);
}

std::string Read(const LabelText& t) {
    LabelText::Buffer out;
    const std::size_t n = t.CopyTo(out);
    EXPECT_EQ(n, std::string(out).size());
    return out;
}

TEST(LabelText, SetCutsAndCopies) {
    LabelText t;
    EXPECT_EQ(Read(t), "");
    t.Set("label");
    EXPECT_EQ(Read(t), "label");
    t.Set(std::string(300, 'x').c_str());
    EXPECT_EQ(Read(t), std::string(255, 'x'));
    t.Set(std::string(255, 'y').c_str());
    EXPECT_EQ(Read(t), std::string(255, 'y'));
    t.Set("short");  // nothing of the longer text survives
    EXPECT_EQ(Read(t), "short");
    t.Set(nullptr);
    EXPECT_EQ(Read(t), "");
}

// Two writers alternate between two texts of different lengths while a reader
// copies: every copy must be one of the two whole texts.
TEST(LabelText, ConcurrentReadersSeeWholeTexts) {
    LabelText t;
    const std::string a(200, 'a');
    const std::string b = "b";
    t.Set(a.c_str());
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            t.Set((i % 2 ? a : b).c_str());
        }
    });
    int torn = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string got = Read(t);
        torn += got != a && got != b;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
