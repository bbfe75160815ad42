#include "analysis/rdft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/rdft_internal.h"
#include "analysis_support.h"

namespace {

using analysis_test::directForward;
using analysis_test::phase;
using analysis_test::randomFrame;
using analysis_test::UnitCircle;
using analysis_test::UseRdftAvx2;
using Tables = analysis_test::RdftTables;

// The two code paths of rdft: SSE2 everywhere, AVX2+FMA where the processor
// has it. A test that names a path runs it, or is skipped where it cannot.
enum class Path { Sse2, Avx2 };

const char* pathName(Path p) { return p == Path::Avx2 ? "Avx2" : "Sse2"; }

bool runnable(Path p) { return p == Path::Sse2 || rdft_detail::Avx2Supported(); }

double norm2(const std::vector<double>& x) {
    double s = 0;
    for (double v : x) s += v * v;
    return std::sqrt(s);
}

// Backward formula of the packed layout, computed directly.
long double directBackward(const std::vector<double>& a, const UnitCircle& u, std::int32_t j) {
    const std::int32_t n = static_cast<std::int32_t>(a.size());
    long double sum = (a[0] + ((j & 1) ? -a[1] : a[1])) / 2.0L;
    for (std::int32_t k = 1; k < n / 2; k++) {
        const std::int32_t p = phase(j, k, n);
        sum += a[2 * k] * u.c[p] + a[2 * k + 1] * u.s[p];
    }
    return sum;
}

// Positions checked against the direct sums: all of them up to 4,096 points,
// a fixed sample (both ends and a stride) beyond.
std::vector<std::int32_t> checkedPositions(std::int32_t n) {
    std::vector<std::int32_t> pos;
    if (n <= 4096) {
        for (std::int32_t i = 0; i < n; i++) pos.push_back(i);
    } else {
        for (std::int32_t i = 0; i < 8; i++) pos.push_back(i);
        for (std::int32_t i = n - 8; i < n; i++) pos.push_back(i);
        for (std::int32_t i = 8; i < n - 8; i += n / 61 + 1) pos.push_back(i);
    }
    return pos;
}

// Rounding bound of an O(n log n) transform: a few ulps per stage on the
// signal's energy. A wrong twiddle or permutation misses it by many orders.
double errorBound(std::int32_t n, double energy) {
    return 4.0 * std::numeric_limits<double>::epsilon() * std::log2(n) * energy;
}

std::vector<std::int32_t> allLengths() {
    std::vector<std::int32_t> ns;
    for (std::int32_t n = 4; n <= kRdftMaxLength; n *= 2) ns.push_back(n);
    return ns;
}

void expectForwardMatchesDirect(std::int32_t n, Tables& t, std::uint32_t seed) {
    const std::vector<double> x = randomFrame(n, seed);
    std::vector<double> a = x;
    rdft(n, 1, a.data(), t.ip.data(), t.w.data());
    const double bound = errorBound(n, norm2(x));
    const UnitCircle u(n);
    for (std::int32_t p : checkedPositions(n)) {
        ASSERT_NEAR(a[p], static_cast<double>(directForward(x, u, p)), bound) << "n=" << n << " position " << p;
    }
}

// Every length on every path, with the same bounds on both.
class RdftLength : public ::testing::TestWithParam<std::tuple<std::int32_t, Path>> {
protected:
    void SetUp() override {
        if (!runnable(std::get<1>(GetParam()))) GTEST_SKIP() << "this processor has no AVX2 and FMA";
        usePath_.emplace(std::get<1>(GetParam()) == Path::Avx2);
    }
    std::int32_t length() const { return std::get<0>(GetParam()); }

private:
    std::optional<UseRdftAvx2> usePath_;
};

TEST_P(RdftLength, ForwardMatchesDirectSums) {
    Tables t;
    expectForwardMatchesDirect(length(), t, 1000 + length());
}

TEST_P(RdftLength, BackwardMatchesDirectSums) {
    const std::int32_t n = length();
    Tables t;
    const std::vector<double> spectrum = randomFrame(n, 2000 + n);
    std::vector<double> a = spectrum;
    rdft(n, -1, a.data(), t.ip.data(), t.w.data());
    const double bound = errorBound(n, norm2(spectrum));
    const UnitCircle u(n);
    for (std::int32_t p : checkedPositions(n)) {
        ASSERT_NEAR(a[p], static_cast<double>(directBackward(spectrum, u, p)), bound) << "n=" << n << " position " << p;
    }
}

TEST_P(RdftLength, BackwardAfterForwardGivesHalfNTimesInput) {
    const std::int32_t n = length();
    Tables t;
    const std::vector<double> x = randomFrame(n, 3000 + n);
    std::vector<double> a = x;
    rdft(n, 1, a.data(), t.ip.data(), t.w.data());
    rdft(n, -1, a.data(), t.ip.data(), t.w.data());
    const double bound = errorBound(n, norm2(x)) * n;
    for (std::int32_t i = 0; i < n; i++) ASSERT_NEAR(a[i], x[i] * (n / 2), bound) << "n=" << n << " i=" << i;
}

// Tables built for the longest frame serve every shorter one: each length
// then reads levels of the table that a fresh build would not have made.
TEST_P(RdftLength, TablesOfTheLongestLengthServeShorterOnes) {
    Tables t;
    std::vector<double> big(kRdftMaxLength, 0.0);
    rdft(kRdftMaxLength, 1, big.data(), t.ip.data(), t.w.data());
    expectForwardMatchesDirect(length(), t, 4000 + length());
}

INSTANTIATE_TEST_SUITE_P(EveryPowerOfTwo, RdftLength,
                         ::testing::Combine(::testing::ValuesIn(allLengths()), ::testing::Values(Path::Sse2, Path::Avx2)),
                         [](const ::testing::TestParamInfo<RdftLength::ParamType>& info) {
                             return std::to_string(std::get<0>(info.param)) + pathName(std::get<1>(info.param));
                         });

// The two paths round differently, but only by a few ulps of the largest
// value, whichever tables they read and wherever the data lies.
TEST(RdftPaths, AgreeOnEveryLength) {
    if (!runnable(Path::Avx2)) GTEST_SKIP() << "this processor has no AVX2 and FMA";
    constexpr double kRelativeTolerance = 1e-13;
    struct Case {
        const char* name;
        std::int32_t isgn;
        bool longestTables;   // tables built for kRdftMaxLength first
        std::int32_t offset;  // doubles between an allocation's start and the data
    };
    const Case cases[] = {
        {"forward", 1, false, 0},
        {"backward", -1, false, 0},
        {"forward, longest tables", 1, true, 0},
        {"backward, longest tables", -1, true, 0},
        {"forward, data off by one double", 1, false, 1},
        {"backward, longest tables, data off by one double", -1, true, 1},
    };
    for (const Case& c : cases) {
        for (std::int32_t n : allLengths()) {
            const std::vector<double> x = randomFrame(n, 5000 + n);
            std::vector<double> result[2];
            for (Path p : {Path::Sse2, Path::Avx2}) {
                const UseRdftAvx2 use(p == Path::Avx2);
                Tables t;
                if (c.longestTables) {
                    std::vector<double> big(kRdftMaxLength, 0.0);
                    rdft(kRdftMaxLength, 1, big.data(), t.ip.data(), t.w.data());
                }
                std::vector<double> buffer(n + c.offset);
                std::copy(x.begin(), x.end(), buffer.begin() + c.offset);
                rdft(n, c.isgn, buffer.data() + c.offset, t.ip.data(), t.w.data());
                result[static_cast<int>(p)].assign(buffer.begin() + c.offset, buffer.end());
            }
            double largest = 0;
            for (double v : result[0]) largest = std::max(largest, std::abs(v));
            for (std::int32_t i = 0; i < n; i++) {
                ASSERT_NEAR(result[1][i], result[0][i], kRelativeTolerance * largest) << c.name << ", n=" << n << " i=" << i;
            }
        }
    }
}

TEST(RdftPaths, SwitchingNeverEnablesWhatTheProcessorLacks) {
    const UseRdftAvx2 restore(false);
    EXPECT_FALSE(rdft_detail::Avx2Enabled());
    rdft_detail::SetAvx2Enabled(true);
    EXPECT_EQ(rdft_detail::Avx2Enabled(), rdft_detail::Avx2Supported());
}

TEST(Rdft, FourPointFormula) {
    Tables t;
    std::vector<double> a = {3.0, -1.5, 0.25, 7.0};
    rdft(4, 1, a.data(), t.ip.data(), t.w.data());
    EXPECT_EQ(a, (std::vector<double>{3.0 - 1.5 + 0.25 + 7.0, 3.0 + 1.5 + 0.25 - 7.0, 3.0 - 0.25, -1.5 - 7.0}));
}

// Known frames at n = 1,024: what lands where, and zero elsewhere.
TEST(Rdft, KnownFrames) {
    constexpr std::int32_t n = 1024;
    constexpr std::int32_t bin = 37;
    constexpr double amp = 2.5;
    struct Case {
        const char* name;
        double (*sample)(std::int32_t j);
        std::int32_t position;
        double value;
    };
    const Case cases[] = {
        {"zeros", [](std::int32_t) { return 0.0; }, 0, 0.0},
        {"constant", [](std::int32_t) { return amp; }, 0, amp * n},
        {"cosine", [](std::int32_t j) { return amp * std::cos(2 * std::numbers::pi * j * bin / n); }, 2 * bin, amp * n / 2},
        {"sine", [](std::int32_t j) { return amp * std::sin(2 * std::numbers::pi * j * bin / n); }, 2 * bin + 1, amp * n / 2},
        {"alternating", [](std::int32_t j) { return (j & 1) ? -amp : amp; }, 1, amp * n},
    };
    for (const Case& c : cases) {
        Tables t;
        std::vector<double> a(n);
        for (std::int32_t j = 0; j < n; j++) a[j] = c.sample(j);
        rdft(n, 1, a.data(), t.ip.data(), t.w.data());
        for (std::int32_t p = 0; p < n; p++) {
            const double expected = p == c.position ? c.value : 0.0;
            ASSERT_NEAR(a[p], expected, 1e-10) << c.name << " position " << p;
        }
    }
}

TEST(Rdft, TablesGrowOnlyWithTheLength) {
    Tables t;
    std::vector<double> a(kRdftMaxLength, 1.0);
    rdft(kRdftMaxLength, 1, a.data(), t.ip.data(), t.w.data());
    EXPECT_EQ(t.ip[0], kRdftMaxLength / 4);
    EXPECT_EQ(t.ip[1], kRdftMaxLength / 4);
    rdft(1024, 1, a.data(), t.ip.data(), t.w.data());
    EXPECT_EQ(t.ip[0], 8192);
    EXPECT_EQ(t.ip[1], 8192);

    Tables fresh;
    rdft(1024, -1, a.data(), fresh.ip.data(), fresh.w.data());
    EXPECT_EQ(fresh.ip[0], 256);
    rdft(4096, 1, a.data(), fresh.ip.data(), fresh.w.data());
    EXPECT_EQ(fresh.ip[0], 1024);
    EXPECT_EQ(fresh.ip[1], 1024);
}

}  // namespace
