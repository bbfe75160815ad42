// Pixel coordinates of the traces and the axes, and the limits the graphics
// layer is given.
//
// Coordinates are view pixels: x to the right, y downwards, (0, 0) at the
// view's top-left corner. A `TracePoint` has the same size and field order as
// the platform's POINT (two 32-bit signed integers, x then y), so a buffer of
// them is handed to the polyline and polygon calls as it is.
#pragma once

#include <cstdint>

#include "base/trunc_to_int.h"

struct TracePoint {
    std::int32_t x;
    std::int32_t y;
};
static_assert(sizeof(TracePoint) == 8);

// Largest coordinate magnitude handed to the graphics layer. Its line and
// polygon code works in fixed point internally and misdraws (or drops) shapes
// whose coordinates come near the 32-bit limits; 2^27 - 1 is far outside any
// view and still safe there.
inline constexpr std::int32_t kGdiCoordLimitPx = 134217727;

inline std::int32_t ClampForGdi(std::int32_t v) {
    if (v > kGdiCoordLimitPx) return kGdiCoordLimitPx;
    if (v < -kGdiCoordLimitPx) return -kGdiCoordLimitPx;
    return v;
}

inline void ClampForGdi(TracePoint* points, int count) {
    for (int i = 0; i < count; ++i) {
        points[i].x = ClampForGdi(points[i].x);
        points[i].y = ClampForGdi(points[i].y);
    }
}
