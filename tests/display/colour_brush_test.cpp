#include "display/colour_brush.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kBpp = 4;

struct Picture {
    int width;
    int height;
    std::ptrdiff_t stride;
    std::vector<std::uint8_t> bits;
    Picture(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r)
        : width(w), height(h), stride(static_cast<std::ptrdiff_t>(w) * kBpp), bits(stride * h) {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                std::uint8_t* p = At(j, i);
                p[0] = b, p[1] = g, p[2] = r;
            }
    }
    std::uint8_t* At(int row, int col) { return bits.data() + row * stride + col * kBpp; }
};

TEST(ColourBrush, GradientGreen) {
    struct Case {
        int green;
        int row;
        int height;
        int want;
    };
    const Case cases[] = {
        {50, 0, 200, 20},     // bottom memory row: just the base
        {50, 199, 200, 119},  // top row: trunc(199 / 200 x 100) + 20
        {200, 199, 200, 163}, // doubling wraps: 400 -> 144, trunc(143.28) + 20
        {77, 99, 100, 172},   // the texture's brightest green does not wrap
        {255, 99, 100, 15},   // both wrap: 510 -> 254, trunc(0.99 x 254) + 20 = 271 -> 15
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.green << " at row " << c.row << " of " << c.height);
        EXPECT_EQ(GradientGreen(static_cast<std::uint8_t>(c.green), c.row, c.height), c.want);
    }
}

TEST(ColourBrush, SmoothingInsideAUniformArea) {
    Picture p(7, 7, 10, 100, 0);
    std::vector<std::uint8_t> scratch(p.bits.size());
    SmoothPass(p.bits.data(), scratch.data(), p.width, p.height, p.stride);
    const std::uint8_t* first = scratch.data() + 3 * p.stride + 3 * kBpp;
    EXPECT_EQ(first[0], 8);
    EXPECT_EQ(first[1], 135);
    EXPECT_EQ(first[2], 0);
    std::vector<std::uint8_t> second(p.bits.size());
    SmoothPass(scratch.data(), second.data(), p.width, p.height, p.stride);
    const std::uint8_t* out = second.data() + 3 * p.stride + 3 * kBpp;
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 175);
}

TEST(ColourBrush, SmoothingTreatsOutsideAsBlackAndClamps) {
    Picture p(3, 3, 255, 255, 255);
    std::vector<std::uint8_t> scratch(p.bits.size());
    SmoothPass(p.bits.data(), scratch.data(), 3, 3, p.stride);
    // Corner: itself, two edge neighbours and one diagonal inside.
    const std::uint8_t* corner = scratch.data();
    const int sum = 112 + 2 * 28 + 7;  // trunc(255 x .44), trunc(255 x .11), trunc(255 x .03)
    EXPECT_EQ(corner[0], sum);
    EXPECT_EQ(corner[1], 232);  // 5 + trunc(1.3 x 175)
    // Centre: every neighbour inside.
    const std::uint8_t* centre = scratch.data() + p.stride + kBpp;
    EXPECT_EQ(centre[0], 112 + 4 * 28 + 4 * 7);
    EXPECT_EQ(centre[1], 255);  // 5 + 1.3 x 252 clamps
}

TEST(ColourBrush, ScalePixelBytesTruncatesEachByte) {
    EXPECT_EQ(ScalePixelBytes(0x64646464u, 0.03), 0x03030303u);  // 100 x 0.03 counts as 3
    EXPECT_EQ(ScalePixelBytes(0xFF0A6400u, 0.44), 0x70042C00u);
}

TEST(ColourBrush, WholePictureRunsGradientThenTwoPasses) {
    Picture p(16, 10, 0, 40, 0);
    Picture expected = p;
    std::vector<std::uint8_t> a(p.bits.size()), b(p.bits.size());
    ApplyGreenGradient(expected.bits.data(), 16, 10, expected.stride);
    SmoothPass(expected.bits.data(), a.data(), 16, 10, expected.stride);
    SmoothPass(a.data(), b.data(), 16, 10, expected.stride);
    std::vector<std::uint8_t> scratch(p.bits.size());
    MakeColouringPicture(p.bits.data(), scratch.data(), 16, 10, p.stride);
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 16; ++i)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(p.At(j, i)[c], b[j * p.stride + i * kBpp + c]) << j << "," << i << "," << c;
    // Green rises towards the top (memory row 9) in the middle of the picture.
    EXPECT_GT(p.At(8, 8)[1], p.At(1, 8)[1]);
}

}  // namespace
