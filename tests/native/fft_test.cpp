#include "analysis/rdft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace {

// Fresh (ip, w) tables: zero ip means nothing built yet.
struct Tables {
    std::vector<std::int32_t> ip = std::vector<std::int32_t>(kRdftIndexEntries, 0);
    std::vector<double> w = std::vector<double>(kRdftMaxLength / 2, 0.0);
};

std::vector<double> randomFrame(std::int32_t n, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = dist(gen);
    return x;
}

double norm2(const std::vector<double>& x) {
    double s = 0;
    for (double v : x) s += v * v;
    return std::sqrt(s);
}

// cos and sin of 2 pi i / n in long double, i < n: direct sums index them
// by the exactly reduced phase j k mod n.
struct UnitCircle {
    std::vector<long double> c, s;
    explicit UnitCircle(std::int32_t n) : c(n), s(n) {
        for (std::int32_t i = 0; i < n; i++) {
            const long double angle = 2.0L * std::numbers::pi_v<long double> * i / n;
            c[i] = std::cos(angle);
            s[i] = std::sin(angle);
        }
    }
};

std::int32_t phase(std::int32_t j, std::int32_t k, std::int32_t n) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(j) * k) % n);
}

// Packed forward value at position `pos` computed directly.
long double directForward(const std::vector<double>& x, const UnitCircle& u, std::int32_t pos) {
    const std::int32_t n = static_cast<std::int32_t>(x.size());
    const std::int32_t k = pos == 1 ? n / 2 : pos / 2;
    const std::vector<long double>& kernel = pos > 1 && (pos & 1) ? u.s : u.c;
    long double sum = 0;
    for (std::int32_t j = 0; j < n; j++) sum += x[j] * kernel[phase(j, k, n)];
    return sum;
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

class RdftLength : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(RdftLength, ForwardMatchesDirectSums) {
    Tables t;
    expectForwardMatchesDirect(GetParam(), t, 1000 + GetParam());
}

TEST_P(RdftLength, BackwardMatchesDirectSums) {
    const std::int32_t n = GetParam();
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
    const std::int32_t n = GetParam();
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
    expectForwardMatchesDirect(GetParam(), t, 4000 + GetParam());
}

INSTANTIATE_TEST_SUITE_P(EveryPowerOfTwo, RdftLength, ::testing::ValuesIn(allLengths()));

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
