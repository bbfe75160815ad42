#include "display/surface.h"

#include <cassert>
#include <cstring>
#include <limits>

std::size_t SurfaceBytes(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    constexpr auto kMax = std::numeric_limits<std::size_t>::max();
    const auto w = static_cast<std::uint64_t>(width);
    const auto h = static_cast<std::uint64_t>(height);
    if (w > kMax / kSurfaceBytesPerPixel || h > kMax / (w * kSurfaceBytesPerPixel)) {
        return 0;
    }
    return static_cast<std::size_t>(w * h * kSurfaceBytesPerPixel);
}

std::uint8_t BarRampLevel(std::int32_t row, std::int32_t height) {
    assert(height > 0 && row >= 0 && row < height);
    return static_cast<std::uint8_t>(static_cast<double>(row) * (256.0 / static_cast<double>(height)));
}

void PaintBarPixels(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride) {
    if (bits == nullptr || width <= 0 || height <= 0) {
        return;
    }
    assert(stride >= static_cast<std::ptrdiff_t>(width) * kSurfaceBytesPerPixel);
    std::memset(bits, 0xFF, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    for (std::int32_t row = 0; row < height; ++row) {
        std::uint8_t* pixel = bits + row * stride;
        const std::uint8_t level = BarRampLevel(row, height);
        pixel[0] = level;
        pixel[1] = level;
        pixel[2] = level;
    }
}
