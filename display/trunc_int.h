// Double to pixel/bin index by truncation toward zero.
//
// NaN, the infinities and values outside the 32-bit signed range give
// INT32_MIN, so a garbage coordinate is recognisably far off rather than
// undefined behaviour.
#pragma once

#include <cstdint>
#include <limits>

namespace display_detail {

inline std::int32_t truncToInt(double x) {
    constexpr double kBelowMin = -2147483649.0;
    constexpr double kAboveMax = 2147483648.0;
    if (!(x > kBelowMin && x < kAboveMax)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(x);
}

}  // namespace display_detail
