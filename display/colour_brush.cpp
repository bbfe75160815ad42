#include "display/colour_brush.h"

#include <cassert>
#include <cstring>

namespace {

constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;
constexpr int kBytesPerPixel = 4;

std::uint8_t ClampByte(int v) {
    if (v <= 0) return 0;
    if (v > 255) return 255;
    return static_cast<std::uint8_t>(v);
}

// Sum of the weighted (and per byte truncated) neighbours of (row, col), per
// channel; neighbours outside the picture contribute nothing.
struct ChannelSums {
    int blue = 0;
    int green = 0;
    int red = 0;
};

ChannelSums WeightedNeighbours(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                               std::ptrdiff_t stride, std::int32_t row, std::int32_t col) {
    static constexpr double kWeights[3][3] = {
        {kSmoothCornerWeight, kSmoothEdgeWeight, kSmoothCornerWeight},
        {kSmoothEdgeWeight, kSmoothCentreWeight, kSmoothEdgeWeight},
        {kSmoothCornerWeight, kSmoothEdgeWeight, kSmoothCornerWeight},
    };
    ChannelSums sums;
    for (int dj = -1; dj <= 1; ++dj) {
        const std::int32_t j = row + dj;
        if (j < 0 || j >= height) continue;
        for (int di = -1; di <= 1; ++di) {
            const std::int32_t i = col + di;
            if (i < 0 || i >= width) continue;
            std::uint32_t pixel;
            std::memcpy(&pixel, src + j * stride + i * kBytesPerPixel, sizeof pixel);
            const std::uint32_t scaled = ScalePixelBytes(pixel, kWeights[dj + 1][di + 1]);
            sums.blue += static_cast<int>(scaled & 0xFF);
            sums.green += static_cast<int>((scaled >> 8) & 0xFF);
            sums.red += static_cast<int>((scaled >> 16) & 0xFF);
        }
    }
    return sums;
}

}  // namespace

std::uint32_t ScalePixelBytes(std::uint32_t pixel, double factor) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double byte = static_cast<double>((pixel >> shift) & 0xFF);
        out |= (static_cast<std::uint32_t>(byte * factor) & 0xFF) << shift;
    }
    return out;
}

std::uint8_t GradientGreen(std::uint8_t green, std::int32_t row, std::int32_t height) {
    const std::uint8_t doubled = static_cast<std::uint8_t>(2 * green);  // wraps
    const int rise = static_cast<int>(row * (1.0 / height) * doubled);
    return static_cast<std::uint8_t>(rise + kGradientGreenBase);  // wraps
}

void ApplyGreenGradient(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride) {
    assert(stride >= static_cast<std::ptrdiff_t>(width) * kBytesPerPixel);
    for (std::int32_t j = 0; j < height; ++j) {
        std::uint8_t* row = bits + j * stride;
        for (std::int32_t i = 0; i < width; ++i) {
            std::uint8_t& green = row[i * kBytesPerPixel + kGreen];
            green = GradientGreen(green, j, height);
        }
    }
}

void SmoothPass(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width, std::int32_t height,
                std::ptrdiff_t stride) {
    assert(src != dst);
    for (std::int32_t j = 0; j < height; ++j) {
        for (std::int32_t i = 0; i < width; ++i) {
            const ChannelSums sums = WeightedNeighbours(src, width, height, stride, j, i);
            std::uint8_t* out = dst + j * stride + i * kBytesPerPixel;
            out[kBlue] = ClampByte(sums.blue);
            out[kGreen] = ClampByte(kSmoothGreenLift + static_cast<int>(kSmoothGreenGain * sums.green));
            out[kRed] = ClampByte(sums.red);
        }
    }
}

void MakeColouringPicture(std::uint8_t* bits, std::uint8_t* scratch, std::int32_t width, std::int32_t height,
                          std::ptrdiff_t stride) {
    const std::size_t bytes = static_cast<std::size_t>(height) * static_cast<std::size_t>(stride);
    ApplyGreenGradient(bits, width, height, stride);
    for (int pass = 0; pass < 2; ++pass) {
        SmoothPass(bits, scratch, width, height, stride);
        std::memcpy(bits, scratch, bytes);
    }
}
