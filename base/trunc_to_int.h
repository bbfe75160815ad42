// truncToInt: the one conversion from a computed double to a 32-bit integer
// (pixel coordinates, the cepstrum's activity sum).
//
// Truncates toward zero. NaN, both infinities and every value whose truncation
// does not fit in 32 bits give INT32_MIN (-2,147,483,648), the same value the
// processor's truncating conversion yields, so callers can treat "no position"
// uniformly.
#pragma once

#include <cstdint>
#include <limits>

inline constexpr std::int32_t kTruncInvalid = std::numeric_limits<std::int32_t>::min();

constexpr std::int32_t truncToInt(double v) {
    // Written as "inside the open interval" so that NaN fails the test too.
    if (v > -2147483649.0 && v < 2147483648.0) return static_cast<std::int32_t>(v);
    return kTruncInvalid;
}
