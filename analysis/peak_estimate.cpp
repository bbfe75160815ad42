#include "analysis/peak_estimate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

double Sinc(double x) {
    if (std::fabs(x) < 1e-12) {
        return 1.0;
    }
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

// Bisection steps of the ratio inversion: 2^-40 of half a bin is far below
// any other error of the estimate.
constexpr int kInversionSteps = 40;

// The offset d in [0, 0.5] at which the response one bin further, over the
// response at the peak bin, equals `ratio` (0 ... 1).
double InvertRatio(std::int32_t kind, double ratio) {
    double lo = 0.0;
    double hi = 0.5;
    for (int i = 0; i < kInversionSteps; ++i) {
        const double mid = 0.5 * (lo + hi);
        const double r = WindowKernelGain(kind, 1.0 - mid) / WindowKernelGain(kind, mid);
        if (r < ratio) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

// A bin that is a local maximum: above its left neighbour, not below its right one.
bool IsLocalMaximum(const double* v, std::int32_t k) {
    return std::isfinite(v[k]) && v[k] > v[k - 1] && v[k] >= v[k + 1];
}

// The strongest local maximum in [first, last], clipped to 1 ... count - 2; -1 when none.
std::int32_t StrongestMaximum(const double* values, std::int32_t count, std::int32_t first, std::int32_t last) {
    if (values == nullptr || count < 3) {
        return -1;
    }
    if (first > last) {
        std::swap(first, last);
    }
    first = std::max(first, 1);
    last = std::min(last, count - 2);
    // The largest value is the answer whenever it is a local maximum itself
    // (any other maximum is lower); only a band whose highest point is on
    // the slope at its edge needs the full search.
    std::int32_t highest = first;
    double top = first <= last ? values[first] : 0.0;
    for (std::int32_t k = first + 1; k <= last; ++k) {
        const double v = values[k];
        highest = v > top ? k : highest;
        top = v > top ? v : top;
    }
    if (first <= last && IsLocalMaximum(values, highest)) {
        return highest;
    }
    std::int32_t best = -1;
    for (std::int32_t k = first; k <= last; ++k) {
        if (IsLocalMaximum(values, k) && (best < 0 || values[k] > values[best])) {
            best = k;
        }
    }
    return best;
}

}  // namespace

double WindowCoherentGain(std::int32_t kind, std::int32_t length) {
    const WindowCosineSum c = WindowCosineSumOf(kind);
    // Over i = 0 ... N - 1 each cosine term sums to 1: the full periods of
    // i = 0 ... N - 2 cancel and i = N - 1 adds cos(2 pi k) = 1.
    return c.a0 - c.a1 / length + c.a2 / length;
}

double FullScaleLevel(std::int32_t kind, std::int32_t length) {
    return 20.0 * std::log(kFullScaleAmplitude * length * WindowCoherentGain(kind, length) / 2.0);
}

double LevelDbfs(double level, std::int32_t kind, std::int32_t length) {
    // 20 ln x is 20 log10 x times ln 10.
    return (level - FullScaleLevel(kind, length)) / std::numbers::ln10;
}

double WindowKernelGain(std::int32_t kind, double offsetBins) {
    // Each cosine term shifts the rectangle's sinc response by its harmonic;
    // the alternating phases of the shifted responses turn their signs.
    const WindowCosineSum c = WindowCosineSumOf(kind);
    const double d = offsetBins;
    const double sum = c.a0 * Sinc(d) + c.a1 / 2.0 * (Sinc(d - 1.0) + Sinc(d + 1.0)) +
                       c.a2 / 2.0 * (Sinc(d - 2.0) + Sinc(d + 2.0));
    return std::fabs(sum) / c.a0;
}

double PeakBinOffset(std::int32_t kind, double left, double peak, double right) {
    const bool towardsRight = right >= left;
    const double neighbour = towardsRight ? right : left;
    // Levels are 20 ln|X|: the magnitude ratio is exp of a twentieth of the difference.
    double ratio = std::exp((neighbour - peak) / 20.0);
    if (!std::isfinite(ratio) || ratio < 0.0) {
        ratio = 0.0;
    }
    ratio = std::min(ratio, 1.0);
    double d = 0.0;
    switch (kind) {
    case kWindowHanning:
        // |W(1 - d)| / |W(d)| = (1 + d) / (2 - d) for Hann.
        d = (2.0 * ratio - 1.0) / (ratio + 1.0);
        break;
    case kWindowHamming:
    case kWindowBlackman:
        d = InvertRatio(kind, ratio);
        break;
    default:
        // sinc(1 - d) / sinc(d) = d / (1 - d) with no window.
        d = ratio / (1.0 + ratio);
        break;
    }
    d = std::clamp(d, 0.0, 0.5);
    return towardsRight ? d : -d;
}

SpectrumPeak FindSpectrumPeak(const double* values, std::int32_t count, std::int32_t first, std::int32_t last,
                              std::int32_t kind) {
    const std::int32_t k = StrongestMaximum(values, count, first, last);
    if (k < 0) {
        return {false, 0, 0.0, -std::numeric_limits<double>::infinity()};
    }
    const double d = PeakBinOffset(kind, values[k - 1], values[k], values[k + 1]);
    const double level = values[k] - 20.0 * std::log(WindowKernelGain(kind, d));
    return {true, k, k + d, level};
}

WindowCosineSum WindowCosineSumOf(std::int32_t kind) {
    switch (kind) {
    case kWindowHanning:
        return {0.5, 0.5, 0.0};
    case kWindowHamming:
        return {0.54, 0.46, 0.0};
    case kWindowBlackman:
        return {0.42, 0.5, 0.08};
    default:
        return {1.0, 0.0, 0.0};
    }
}
