// Pixel coordinates of the traces and the axes, and the limits the graphics
// layer is given.
//
// Coordinates are view pixels: x to the right, y downwards, (0, 0) at the
// view's top-left corner. A `TracePoint` has the same size and field order as
// the platform's POINT (two 32-bit signed integers, x then y), so a buffer of
// them is handed to the polyline and polygon calls as it is.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

struct TracePoint {
    std::int32_t x;
    std::int32_t y;
};
static_assert(sizeof(TracePoint) == 8);

// The coordinate that NaN, the infinities and out-of-range values become.
inline constexpr std::int32_t kNoPixel = std::numeric_limits<std::int32_t>::min();

// Double to pixel by truncation toward zero; NaN, +-infinity and values
// outside the 32-bit range give kNoPixel.
// (The analysis library carries the same conversion as `truncToInt`; this
// copy keeps the display arithmetic independent of it until they are merged.)
inline std::int32_t truncToPixel(double v) {
    // The upper bound is exclusive: 2^31 itself is out of range.
    constexpr double kUpperExclusive = 2147483648.0;
    constexpr double kLowerInclusive = -2147483648.0;
    if (!(v > kLowerInclusive - 1.0 && v < kUpperExclusive)) {
        return kNoPixel;
    }
    return static_cast<std::int32_t>(v);
}

// Largest coordinate magnitude handed to the graphics layer. Its line and
// polygon code works in fixed point internally and misdraws (or drops) shapes
// whose coordinates come near the 32-bit limits; 2^27 - 1 is far outside any
// view and still safe there.
inline constexpr std::int32_t kGdiCoordLimitPx = 134217727;

inline std::int32_t clampForGdi(std::int32_t v) {
    if (v > kGdiCoordLimitPx) return kGdiCoordLimitPx;
    if (v < -kGdiCoordLimitPx) return -kGdiCoordLimitPx;
    return v;
}

inline void clampForGdi(TracePoint* points, int count) {
    for (int i = 0; i < count; ++i) {
        points[i].x = clampForGdi(points[i].x);
        points[i].y = clampForGdi(points[i].y);
    }
}
