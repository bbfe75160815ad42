#include "analysis/spectrum_average.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// A level is 20 ln|X|: the power |X|^2 is e^(level / 10) and back.
constexpr double kLevelPerLnPower = 10.0;

// The conversion runs for every bin of every frame; the platform's log
// costs a tenth of a frame under some C runtimes. This one stays within
// about 1e-13 of it and keeps infinities and NaN.
constexpr double kLn2 = 0.69314718055994530942;
constexpr int kExponentBias = 1023;
constexpr int kMantissaBits = 52;

// 1 / k for odd k up to 19 (the others unused), so that the series below multiplies.
constexpr double kReciprocals[20] = {0.0,      1.0,      1.0 / 2,  1.0 / 3,  1.0 / 4,  1.0 / 5,  1.0 / 6,
                                     1.0 / 7,  1.0 / 8,  1.0 / 9,  1.0 / 10, 1.0 / 11, 1.0 / 12, 1.0 / 13,
                                     1.0 / 14, 1.0 / 15, 1.0 / 16, 1.0 / 17, 1.0 / 18, 1.0 / 19};

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

AveragedSpectrum SpectrumAverage::Apply(const double* levels, const double* power, int binCount,
                                        double elapsedSeconds) {
    const AveragedSpectrum frame{levels, power};
    if (choice_.mode == AverageMode::kOff || levels == nullptr || power == nullptr || binCount <= 0) return frame;
    const auto n = static_cast<std::size_t>(binCount);
    if (binCount != binCount_) {
        Start(power, binCount);
        std::copy(levels, levels + n, levels_.begin());
        return {levels_.data(), power_.data()};
    }
    switch (choice_.mode) {
        case AverageMode::kMaxHold:
            // The largest power is the largest level: no conversion needed.
            for (std::size_t k = 0; k < n; ++k) {
                power_[k] = std::max(power_[k], power[k]);
                levels_[k] = std::max(levels_[k], levels[k]);
            }
            return {levels_.data(), power_.data()};
        case AverageMode::kExponential: {
            const double weight = 1.0 - std::exp(-std::max(elapsedSeconds, 0.0) / choice_.seconds);
            for (std::size_t k = 0; k < n; ++k) power_[k] += weight * (power[k] - power_[k]);
            break;
        }
        case AverageMode::kLinear: {
            // The mean is summed afresh from the kept frames each time: a
            // running sum would lose quiet bins to the rounding left behind
            // by loud frames that have since gone.
            std::copy(power, power + n, history_.begin() + static_cast<std::ptrdiff_t>(historyNext_ * n));
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
        case AverageMode::kOff:
            break;
    }
    ToLevels(binCount);
    return {levels_.data(), power_.data()};
}

AveragedSpectrum SpectrumAverage::Current(const double* levels, const double* power, int binCount) const {
    if (choice_.mode == AverageMode::kOff || binCount != binCount_) return {levels, power};
    return {levels_.data(), power_.data()};
}
