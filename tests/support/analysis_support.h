// Helpers shared by the analysis tests, native and under Wine.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/rdft.h"
#include "analysis/rdft_internal.h"
#include "analysis/spectrum_internal.h"
#include "base/settings.h"

namespace analysis_test {

inline AppSettings lengthSettings(std::int32_t n) {
    AppSettings s{};
    s.fftLength = n;
    s.halfLength = n / 2;
    return s;
}

inline std::unique_ptr<Analyzer> analyzerFor(std::int32_t n) {
    auto an = MakeAnalyzer();
    const AppSettings s = lengthSettings(n);
    SetupAnalyzer(*an, s);
    return an;
}

// Random 16-bit samples, as the capture delivers them, into sampleFrame.
inline void fillRandomSamples(Analyzer& an, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    for (std::int32_t i = 0; i < an.frameLength; i++) an.sampleFrame[i] = dist(gen);
}

// Switches one of the library's SIMD paths for a scope and restores the
// previous choice after it. Where the processor lacks the instructions the
// switch stays off and the portable path runs.
template <bool (*Get)(), void (*Set)(bool)>
class ScopedPath {
public:
    explicit ScopedPath(bool on) : previous_(Get()) { Set(on); }
    ~ScopedPath() { Set(previous_); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    bool previous_;
};

using UseRdftAvx2 = ScopedPath<rdft_detail::Avx2Enabled, rdft_detail::SetAvx2Enabled>;
using UseSpectrumAvx = ScopedPath<spectrum_detail::AvxEnabled, spectrum_detail::SetAvxEnabled>;

// Fresh (ip, w) tables for rdft: zero ip means nothing built yet.
struct RdftTables {
    std::vector<std::int32_t> ip = std::vector<std::int32_t>(kRdftIndexEntries, 0);
    std::vector<double> w = std::vector<double>(kRdftMaxLength / 2, 0.0);
};

// n values uniform in [-1, 1).
inline std::vector<double> randomFrame(std::int32_t n, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = dist(gen);
    return x;
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

inline std::int32_t phase(std::int32_t j, std::int32_t k, std::int32_t n) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(j) * k) % n);
}

// rdft's packed forward value at position `pos` computed directly.
inline long double directForward(const std::vector<double>& x, const UnitCircle& u, std::int32_t pos) {
    const std::int32_t n = static_cast<std::int32_t>(x.size());
    const std::int32_t k = pos == 1 ? n / 2 : pos / 2;
    const std::vector<long double>& kernel = pos > 1 && (pos & 1) ? u.s : u.c;
    long double sum = 0;
    for (std::int32_t j = 0; j < n; j++) sum += x[j] * kernel[phase(j, k, n)];
    return sum;
}

}  // namespace analysis_test
