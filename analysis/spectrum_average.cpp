#include "analysis/spectrum_average.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A level is 20 ln|X|: the power |X|^2 is e^(level / 10) and back.
constexpr double kLevelPerLnPower = 10.0;

// The two conversions run for every bin of every frame; the platform's exp
// and log cost a tenth of a frame under some C runtimes. These stay within
// about 1e-13 of them (relative for the power, absolute for the level) and
// keep infinities and NaN.
constexpr double kLn2 = 0.69314718055994530942;
constexpr int kExponentBias = 1023;
constexpr int kMantissaBits = 52;

// 1 / k for k = 0 ... 19 (index 0 unused), so that the series below multiply.
constexpr double kReciprocals[20] = {0.0,      1.0,      1.0 / 2,  1.0 / 3,  1.0 / 4,  1.0 / 5,  1.0 / 6,
                                     1.0 / 7,  1.0 / 8,  1.0 / 9,  1.0 / 10, 1.0 / 11, 1.0 / 12, 1.0 / 13,
                                     1.0 / 14, 1.0 / 15, 1.0 / 16, 1.0 / 17, 1.0 / 18, 1.0 / 19};

// e^(level / 10).
double PowerOfLevel(double level) {
    const double x = level / kLevelPerLnPower;
    if (!(x > -708.0)) return std::isnan(x) ? x : 0.0;
    if (x > 709.0) return std::numeric_limits<double>::infinity();
    // e^x = 2^n e^r, n = round(x / ln 2), |r| <= ln 2 / 2; e^r by its series.
    // Rounded by a truncating conversion: the library's rounding functions
    // are calls, and slow ones, under some C runtimes.
    const double t = x / kLn2;
    const int whole = static_cast<int>(t + (t >= 0.0 ? 0.5 : -0.5));
    const double r = x - whole * kLn2;
    double sum = 1.0;
    for (int k = 13; k >= 1; --k) sum = 1.0 + sum * r * kReciprocals[k];
    // 2^n as two factors of about half the exponent each, so that n from
    // -1021 to 1023 never leaves the range of a normal number.
    const auto powerOfTwo = [](int e) {
        return std::bit_cast<double>(static_cast<std::uint64_t>(e + kExponentBias) << kMantissaBits);
    };
    return sum * powerOfTwo(whole / 2) * powerOfTwo(whole - whole / 2);
}

// 10 ln(power).
double LevelOfPower(double power) {
    if (!(power > 0.0) || !std::isfinite(power) || power < std::numeric_limits<double>::min()) {
        if (power == 0.0) return -std::numeric_limits<double>::infinity();
        return kLevelPerLnPower * std::log(power);
    }
    // power = m 2^e with m in [sqrt(1/2), sqrt(2)); ln m = 2 atanh(s), s = (m - 1) / (m + 1).
    const auto bits = std::bit_cast<std::uint64_t>(power);
    int e = static_cast<int>(bits >> kMantissaBits) - kExponentBias;
    double m = std::bit_cast<double>((bits & ((std::uint64_t{1} << kMantissaBits) - 1)) |
                                     (static_cast<std::uint64_t>(kExponentBias) << kMantissaBits));
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++e;
    }
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double series = 0.0;
    for (int k = 19; k >= 1; k -= 2) series = kReciprocals[k] + s2 * series;
    return kLevelPerLnPower * (e * kLn2 + 2.0 * s * series);
}

}  // namespace

void SpectrumAverage::Choose(const AverageChoice& choice) {
    if (choice == choice_) return;
    choice_ = choice;
    choice_.seconds = std::clamp(choice_.seconds, kAverageMinSeconds, kAverageMaxSeconds);
    choice_.frames = std::clamp(choice_.frames, 1, kAverageMaxFrames);
    Reset();
}

void SpectrumAverage::Reset() {
    binCount_ = 0;
    historyNext_ = 0;
    historyFilled_ = 0;
}

void SpectrumAverage::Start(const double* power, int binCount) {
    const auto n = static_cast<std::size_t>(binCount);
    binCount_ = binCount;
    power_.assign(power, power + n);
    levels_.resize(n);
    if (choice_.mode == AverageMode::kLinear) {
        history_.resize(n * static_cast<std::size_t>(choice_.frames));
        std::copy(power, power + n, history_.begin());
        historyNext_ = 1 % choice_.frames;
        historyFilled_ = 1;
    }
}

void SpectrumAverage::ToLevels(int binCount) {
    for (int k = 0; k < binCount; ++k) {
        levels_[k] = LevelOfPower(power_[k]);
    }
}

const double* SpectrumAverage::Apply(const double* levels, int binCount, double elapsedSeconds) {
    if (choice_.mode == AverageMode::kOff || levels == nullptr || binCount <= 0) return levels;
    const auto n = static_cast<std::size_t>(binCount);
    if (choice_.mode == AverageMode::kMaxHold) {
        // The largest power is the largest level: no conversion needed.
        if (binCount != binCount_) {
            binCount_ = binCount;
            levels_.assign(levels, levels + n);
        } else {
            for (std::size_t k = 0; k < n; ++k) levels_[k] = std::max(levels_[k], levels[k]);
        }
        return levels_.data();
    }
    frame_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        frame_[k] = PowerOfLevel(levels[k]);
    }
    if (binCount != binCount_) {
        Start(frame_.data(), binCount);
        ToLevels(binCount);
        return levels_.data();
    }
    switch (choice_.mode) {
        case AverageMode::kExponential: {
            const double weight = 1.0 - std::exp(-std::max(elapsedSeconds, 0.0) / choice_.seconds);
            for (std::size_t k = 0; k < n; ++k) power_[k] += weight * (frame_[k] - power_[k]);
            break;
        }
        case AverageMode::kLinear: {
            // The mean is summed afresh from the kept frames each time: a
            // running sum would lose quiet bins to the rounding left behind
            // by loud frames that have since gone.
            std::copy(frame_.begin(), frame_.end(), history_.begin() + static_cast<std::ptrdiff_t>(historyNext_ * n));
            historyNext_ = (historyNext_ + 1) % choice_.frames;
            historyFilled_ = std::min(historyFilled_ + 1, choice_.frames);
            std::fill(power_.begin(), power_.end(), 0.0);
            for (int f = 0; f < historyFilled_; ++f) {
                const double* past = history_.data() + static_cast<std::size_t>(f) * n;
                for (std::size_t k = 0; k < n; ++k) power_[k] += past[k];
            }
            const double scale = 1.0 / historyFilled_;
            for (double& p : power_) p *= scale;
            break;
        }
        case AverageMode::kMaxHold:
        case AverageMode::kOff:
            break;
    }
    ToLevels(binCount);
    return levels_.data();
}

const double* SpectrumAverage::Current(const double* levels, int binCount) const {
    if (choice_.mode == AverageMode::kOff || binCount != binCount_) return levels;
    return levels_.data();
}
