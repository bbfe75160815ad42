// The 32-bit off-screen surface shared by the plot views and the bars.
//
// Pixel format: 4 bytes per pixel in memory order blue, green, red and a
// fourth byte without meaning; rows stored bottom-up, so memory row 0 is the
// bottom line of the picture while drawing coordinates have y = 0 at the top.
// The pixel in column i of memory row j is at byte j x stride + i x 4.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kSurfaceBytesPerPixel = 4;
inline constexpr int kSurfaceBitsPerPixel = 32;
// Channel masks of the 32-bit pixel as a little-endian word.
inline constexpr std::uint32_t kSurfaceRedMask = 0x00FF0000;
inline constexpr std::uint32_t kSurfaceGreenMask = 0x0000FF00;
inline constexpr std::uint32_t kSurfaceBlueMask = 0x000000FF;
inline constexpr std::uint32_t kSurfaceAlphaMask = 0xFF000000;

// Byte size of a width x height surface, or 0 when a side is not positive or
// the size does not fit in memory's size type (the caller then has no
// surface).
std::size_t SurfaceBytes(std::int64_t width, std::int64_t height);

// Grey level of the bar's ramp at memory row `row` (0 = bottom) of a bar
// `height` rows high: trunc(row x 256 / height), rising toward the top.
std::uint8_t BarRampLevel(std::int32_t row, std::int32_t height);

// Paints a fresh bar: every byte white, then the grey ramp down the first
// pixel column. `stride` is the row length in bytes. Null pixels are left
// alone.
void PaintBarPixels(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride);
