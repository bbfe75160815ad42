#include "analysis/cepstrum.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "analysis/rdft.h"
#include "base/trunc_to_int.h"

namespace {

// log10 magnitudes are divided by 2,048 whatever N is, then multiplied by 10.
constexpr double kLogScale = 0.00048828125;
constexpr double kLogGain = 10.0;
constexpr double kSmoothPoints = 5.0;
constexpr double kCepstrumGain = 1000.0;

// Five-point moving sum of y around q; positions outside [0, n) count as 0.
inline double FivePointSum(const double* y, std::int32_t n, std::int32_t q) {
    auto at = [&](std::int32_t i) { return i >= 0 && i < n ? y[i] : 0.0; };
    return at(q - 2) + at(q - 1) + at(q) + at(q + 1) + at(q + 2);
}

}  // namespace

void CepstrumCalibration::Clear() {
    std::fill(std::begin(calReference), std::end(calReference), 0.0);
    calCountdown = 0;
    inUse.store(0, std::memory_order_release);
}

void ComputeCepstrum(Analyzer& an, CepstrumCalibration& cal, std::uint8_t calRequest) {
    const std::int32_t n = an.frameLength;
    double* a = an.sampleFrame;
    rdft(n, 1, a, an.fftIndex, an.fftTable);

    std::int32_t activity = 0;
    for (std::int32_t i = 0; i < n; i++) activity = truncToInt(activity + a[i]);

    double* y = an.cepWork;
    for (std::int32_t k = 0; k < n / 2; k++) {
        const double level = std::log10(std::sqrt(a[2 * k] * a[2 * k] + a[2 * k + 1] * a[2 * k + 1])) * kLogScale;
        an.imagInput[k] = level;
        y[2 * k] = kLogGain * level;
        y[2 * k + 1] = 0;
    }
    an.imagInputUsed = std::max(an.imagInputUsed, n / 2);
    rdft(n, -1, y, an.fftIndex, an.fftTable);

    bool finite = true;
    for (std::int32_t q = 0; q < n; q++) {
        const double smoothed = (q >= 2 && q < n - 2 ? y[q - 2] + y[q - 1] + y[q] + y[q + 1] + y[q + 2]
                                                     : FivePointSum(y, n, q)) /
                                kSmoothPoints * kCepstrumGain;
        an.outRe[q] = smoothed;
        finite = finite && std::isfinite(smoothed);
    }

    std::int32_t h;
    if (calRequest == 1) {
        cal.calCountdown = kCalibrationFrames;
        cal.inUse.store(1, std::memory_order_release);
        for (std::int32_t q = 0; q < kMaxFrameLength; q++) {
            cal.calAverage[q] = std::isfinite(an.outRe[q]) ? an.outRe[q] : 0.0;
        }
        h = kCalibrationWeight;
    } else {
        h = cal.calCountdown > 0 ? kCalibrationWeight : kRunningWeight;
    }
    const std::int32_t remaining = cal.calCountdown;
    cal.averageWeight = h;

    if (activity != 0 && finite) {
        const double keep = (h - 1.0) / h;
        for (std::int32_t q = 0; q < n; q++) {
            const double v = cal.calAverage[q] + an.outRe[q] / h;
            an.outRe[q] = v;
            cal.calAverage[q] = keep * v;
        }
    }

    if (remaining > 0) {
        std::copy(cal.calAverage, cal.calAverage + kMaxFrameLength, cal.calReference);
        cal.calCountdown = remaining - 1;
    }

    for (std::int32_t q = 0; q < n; q++) an.outRe[q] -= cal.calReference[q];
}
