// rdft's SSE2 and AVX2+FMA paths in the Windows build. mingw gives the stack
// and the heap no 32-byte alignment, so the AVX2 code must get by with
// unaligned moves only, its spills included: both paths run here from the
// main thread and from a fresh one, on data at two alignments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "analysis/rdft.h"
#include "analysis/rdft_internal.h"
#include "analysis_support.h"

namespace {

using analysis_test::randomFrame;
using analysis_test::UnitCircle;
using analysis_test::UseRdftAvx2;

// rdft of a copy of x placed `offset` doubles into its buffer, on one path.
std::vector<double> transform(const std::vector<double>& x, std::int32_t isgn, bool avx2, std::int32_t offset) {
    const UseRdftAvx2 path(avx2);
    const auto n = static_cast<std::int32_t>(x.size());
    analysis_test::RdftTables t;
    std::vector<double> buffer(n + offset);
    std::copy(x.begin(), x.end(), buffer.begin() + offset);
    rdft(n, isgn, buffer.data() + offset, t.ip.data(), t.w.data());
    return std::vector<double>(buffer.begin() + offset, buffer.end());
}

// Every length on both paths: forward against direct sums at a few bins, the
// round trip, and the two paths within 1e-13 of the largest value of each other.
void checkBothPaths(std::int32_t offset) {
    constexpr double kRelativeTolerance = 1e-13;
    for (std::int32_t n = 4; n <= kRdftMaxLength; n *= 2) {
        const std::vector<double> x = randomFrame(n, 7000 + n);
        const UnitCircle u(n);
        double energy = 0;
        for (double v : x) energy += v * v;
        const double bound = 4.0 * std::numeric_limits<double>::epsilon() * std::log2(n) * std::sqrt(energy);
        std::vector<double> forward[2];
        for (bool avx2 : {false, true}) {
            std::vector<double>& f = forward[avx2];
            f = transform(x, 1, avx2, offset);
            for (std::int32_t pos : {2, 3, n / 2, n / 2 + 1, n - 2, n - 1}) {
                if (pos < 2 || pos >= n) continue;
                ASSERT_NEAR(f[pos], static_cast<double>(analysis_test::directForward(x, u, pos)), bound) << "avx2=" << avx2 << " n=" << n << " pos=" << pos;
            }
            const std::vector<double> back = transform(f, -1, avx2, offset);
            for (std::int32_t i = 0; i < n; i++) {
                ASSERT_NEAR(back[i], x[i] * (n / 2), bound * n) << "avx2=" << avx2 << " n=" << n << " i=" << i;
            }
        }
        double largest = 0;
        for (double v : forward[0]) largest = std::max(largest, std::abs(v));
        for (std::int32_t i = 0; i < n; i++) {
            ASSERT_NEAR(forward[1][i], forward[0][i], kRelativeTolerance * largest) << "n=" << n << " i=" << i;
        }
    }
}

class RdftPaths : public ::testing::Test {
protected:
    void SetUp() override {
        if (!rdft_detail::Avx2Supported()) GTEST_SKIP() << "this processor has no AVX2 and FMA";
    }
};

TEST_F(RdftPaths, AgreeAndAreRightOnTheMainThread) {
    for (std::int32_t offset : {0, 1}) {
        SCOPED_TRACE(offset);
        checkBothPaths(offset);
    }
}

TEST_F(RdftPaths, AgreeAndAreRightOnAFreshThread) {
    std::thread worker([] { checkBothPaths(1); });
    worker.join();
}

TEST(RdftPathChoice, AvxRunsByDefaultWhereSupported) {
    EXPECT_EQ(rdft_detail::Avx2Enabled(), rdft_detail::Avx2Supported());
}

}  // namespace
