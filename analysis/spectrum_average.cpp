#include "analysis/spectrum_average.h"

#include <algorithm>
#include <cmath>

namespace {

// A level is 20 ln|X|: the power |X|^2 is e^(level / 10) and back.
constexpr double kLevelPerLnPower = 10.0;

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
        levels_[k] = kLevelPerLnPower * std::log(power_[k]);
    }
}

const double* SpectrumAverage::Apply(const double* levels, int binCount, double elapsedSeconds) {
    if (choice_.mode == AverageMode::kOff || levels == nullptr || binCount <= 0) return levels;
    const auto n = static_cast<std::size_t>(binCount);
    frame_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        frame_[k] = std::exp(levels[k] / kLevelPerLnPower);
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
            for (std::size_t k = 0; k < n; ++k) power_[k] = std::max(power_[k], frame_[k]);
            break;
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
