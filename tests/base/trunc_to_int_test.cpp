#include "base/trunc_to_int.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TruncToInt, TruncatesTowardZeroAndMarksWhatDoesNotFit) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in;
        std::int32_t out;
    } cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {-0.5, 0},
        {2147483647.0, 2147483647},
        {2147483647.9, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.9, -2147483647 - 1},
        {2147483648.0, kTruncInvalid},
        {-2147483649.0, kTruncInvalid},
        {1e300, kTruncInvalid},
        {-1e300, kTruncInvalid},
        {inf, kTruncInvalid},
        {-inf, kTruncInvalid},
        {std::nan(""), kTruncInvalid},
    };
    for (const auto& c : cases) EXPECT_EQ(truncToInt(c.in), c.out) << c.in;
    EXPECT_EQ(kTruncInvalid, -2147483647 - 1);
}

}  // namespace
