#include "analysis/pitch_tracker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Fewer samples than this hold no period worth searching.
constexpr std::int32_t kMinWindowSamples = 32;
// The two rounds that place the winner between samples: three points this
// far apart (in samples) around the last estimate, then a parabola.
constexpr double kRefineSteps[] = {0.25, 0.05};
// A recording's row whose pitch is more than kTrackJumpRatio away from the
// median of the voiced rows within kTrackNeighbourRows around it (when at
// least kTrackNeighboursNeeded of them are voiced) is searched again near it.
constexpr std::size_t kTrackNeighbourRows = 5;
constexpr std::size_t kTrackNeighboursNeeded = 3;
// A voiced row with fewer voiced rows than this around it is a blip, no voice.
constexpr std::size_t kTrackCompanionsNeeded = 2;
constexpr double kTrackJumpRatio = 1.2;
// Peaks this far (a ratio) beyond either end of the range still count, so a
// pitch right at an end is found whichever side of it the estimate falls.
constexpr double kRangeMargin = 1.03;

std::int32_t PowerOfTwoAtLeast(std::int32_t n) {
    std::int32_t m = 4;
    while (m < n) m *= 2;
    return m;
}

// The power spectrum of the packed forward transform in `a` (rdft.h), bins
// 0 ... n / 2.
void PowerSpectrum(const double* a, std::int32_t n, double* power) {
    power[0] = a[0] * a[0];
    power[n / 2] = a[1] * a[1];
    for (std::int32_t k = 1; k < n / 2; ++k) {
        power[k] = a[2 * k] * a[2 * k] + a[2 * k + 1] * a[2 * k + 1];
    }
}

// Loads the power spectrum for the backward transform, whose result is then
// the autocorrelation (times a constant): sum of c_k P_k cos(2 pi k j / n)
// with c 1/2 at both ends, 1 between.
void LoadForBackward(const double* power, std::int32_t n, double* a) {
    a[0] = power[0];
    a[1] = power[n / 2];
    for (std::int32_t k = 1; k < n / 2; ++k) {
        a[2 * k] = power[k];
        a[2 * k + 1] = 0.0;
    }
}

// The vertex of the parabola through (-h, a), (0, b), (h, c): its offset
// from the middle point, within [-h, h], and its height.
struct Vertex {
    double offset;
    double height;
};
Vertex ParabolaVertex(double a, double b, double c, double h) {
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) {
        return {0.0, b};
    }
    const double d = std::clamp(0.5 * (a - c) / curvature, -1.0, 1.0);
    return {d * h, b - 0.25 * (a - c) * d};
}

}  // namespace

std::int32_t PitchWindowSamples(double rateHz, double lowHz) {
    if (!(rateHz > 0.0) || !(lowHz > 0.0)) {
        return kPitchMaxWindowSamples;
    }
    const double samples = std::ceil(kPitchPeriodsPerWindow * rateHz / lowHz);
    return static_cast<std::int32_t>(std::min(samples, static_cast<double>(kPitchMaxWindowSamples)));
}

PitchTracker::PitchTracker()
    : window_(kPitchMaxWindowSamples),
      windowPower_(kRdftMaxLength / 2 + 1),
      windowLagNorm_(kRdftMaxLength),
      signalPower_(kRdftMaxLength / 2 + 1),
      work_(kRdftMaxLength),
      ip_(kRdftIndexEntries, 0),
      w_(kRdftMaxLength / 2) {}

void PitchTracker::PrepareWindow(std::int32_t windowSamples, std::int32_t transformLength) {
    if (windowSamples == windowSamples_ && transformLength == transformLength_) {
        return;
    }
    windowSamples_ = windowSamples;
    transformLength_ = transformLength;
    const std::int32_t n = transformLength;
    for (std::int32_t i = 0; i < windowSamples; ++i) {
        window_[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (i + 0.5) / windowSamples);
    }
    std::copy_n(window_.begin(), windowSamples, work_.begin());
    std::fill(work_.begin() + windowSamples, work_.begin() + n, 0.0);
    rdft(n, 1, work_.data(), ip_.data(), w_.data());
    PowerSpectrum(work_.data(), n, windowPower_.data());
    LoadForBackward(windowPower_.data(), n, work_.data());
    rdft(n, -1, work_.data(), ip_.data(), w_.data());
    windowZero_ = work_[0];
    for (std::int32_t lag = 0; lag < n; ++lag) {
        windowLagNorm_[lag] = work_[lag] / windowZero_;
    }
}

double PitchTracker::CorrelationAt(double lag) const {
    const std::int32_t n = transformLength_;
    const double step = 2.0 * std::numbers::pi * lag / n;
    const double stepCos = std::cos(step);
    const double stepSin = std::sin(step);
    // cos(k step) by rotation, k = 0 ... n / 2.
    double c = 1.0;
    double s = 0.0;
    double signal = 0.5 * signalPower_[0];
    double window = 0.5 * windowPower_[0];
    for (std::int32_t k = 1; k < n / 2; ++k) {
        const double next = c * stepCos - s * stepSin;
        s = s * stepCos + c * stepSin;
        c = next;
        signal += signalPower_[k] * c;
        window += windowPower_[k] * c;
    }
    const double last = std::cos(std::numbers::pi * lag);
    signal += 0.5 * signalPower_[n / 2] * last;
    window += 0.5 * windowPower_[n / 2] * last;
    return (signal / signalZero_) / (window / windowZero_);
}

PitchEstimate PitchTracker::Estimate(const double* samples, std::int32_t count, double rateHz, PitchRange range,
                                     double referencePeak) {
    const PitchEstimate none{};
    if (samples != nullptr && count > kPitchMaxWindowSamples) {
        samples += count - kPitchMaxWindowSamples;
        count = kPitchMaxWindowSamples;
    }
    if (samples == nullptr || count < kMinWindowSamples || !(rateHz > 0.0) || !(range.lowHz > 0.0) ||
        !(range.highHz > range.lowHz)) {
        return none;
    }
    const std::int32_t n = PowerOfTwoAtLeast(2 * count);
    PrepareWindow(count, n);

    double mean = 0.0;
    for (std::int32_t i = 0; i < count; ++i) mean += samples[i];
    mean /= count;
    double peak = 0.0;
    for (std::int32_t i = 0; i < count; ++i) {
        const double v = samples[i] - mean;
        peak = std::max(peak, std::fabs(v));
        work_[i] = v * window_[i];
    }
    if (!(peak > 0.0) || !std::isfinite(peak)) {
        return none;
    }
    std::fill(work_.begin() + count, work_.begin() + n, 0.0);
    rdft(n, 1, work_.data(), ip_.data(), w_.data());
    PowerSpectrum(work_.data(), n, signalPower_.data());
    LoadForBackward(signalPower_.data(), n, work_.data());
    rdft(n, -1, work_.data(), ip_.data(), w_.data());
    signalZero_ = work_[0];
    if (!(signalZero_ > 0.0)) {
        return none;
    }
    const auto normalised = [&](std::int32_t lag) { return work_[lag] / signalZero_ / windowLagNorm_[lag]; };

    const double lowHz = range.lowHz / kRangeMargin;
    const double highHz = range.highHz * kRangeMargin;
    const std::int32_t shortest = std::max(2, static_cast<std::int32_t>(std::floor(rateHz / highHz)));
    const std::int32_t longest = std::min(static_cast<std::int32_t>(std::ceil(rateHz / lowHz)), count / 2);
    bool dipped = false;
    double bestScore = -1.0;
    double bestHeight = 0.0;
    double bestLag = 0.0;
    for (std::int32_t lag = 1; lag <= longest; ++lag) {
        const double here = normalised(lag);
        if (lag >= shortest && dipped) {
            const double before = normalised(lag - 1);
            const double after = normalised(lag + 1);
            if (here > 0.0 && here > before && here >= after) {
                const Vertex v = ParabolaVertex(before, here, after, 1.0);
                const double hz = rateHz / (lag + v.offset);
                if (hz >= lowHz && hz <= highHz) {
                    const double score = v.height + kPitchOctaveBonus * std::log2(hz / lowHz);
                    if (score > bestScore) {
                        bestScore = score;
                        bestHeight = v.height;
                        bestLag = lag + v.offset;
                    }
                }
            }
        }
        dipped = dipped || here < 0.0;
    }
    if (bestScore < 0.0) {
        return none;
    }
    for (const double h : kRefineSteps) {
        const Vertex v = ParabolaVertex(CorrelationAt(bestLag - h), CorrelationAt(bestLag), CorrelationAt(bestLag + h), h);
        bestLag += v.offset;
        bestHeight = v.height;
    }
    const double reference = referencePeak > 0.0 ? referencePeak : peak;
    // Against a loud reference a faint frame must be all the more periodic.
    const double threshold =
        kPitchVoicingThreshold +
        std::max(0.0, 2.0 - (peak / reference) / (kPitchSilenceRatio / (1.0 + kPitchVoicingThreshold)));
    PitchEstimate estimate;
    estimate.strength = bestHeight;
    estimate.voiced = bestHeight >= threshold;
    estimate.hz = estimate.voiced ? rateHz / bestLag : 0.0;
    return estimate;
}

namespace {

// The samples of the window centred on `centre`, zero beyond the ends.
void CopyWindow(const double* samples, std::size_t count, std::int64_t centre, std::vector<double>& window) {
    const auto size = static_cast<std::int64_t>(window.size());
    const std::int64_t first = centre - size / 2;
    for (std::int64_t i = 0; i < size; ++i) {
        const std::int64_t at = first + i;
        window[static_cast<std::size_t>(i)] =
            at >= 0 && at < static_cast<std::int64_t>(count) ? samples[static_cast<std::size_t>(at)] : 0.0;
    }
}

// The median of the voiced rows within kTrackNeighbourRows of `row`, itself
// left out; 0 when fewer than kTrackNeighboursNeeded of them are voiced, -1
// when fewer than kTrackCompanionsNeeded are.
double NeighbourMedian(const std::vector<PitchEstimate>& track, std::size_t row) {
    double hz[2 * kTrackNeighbourRows];
    std::size_t n = 0;
    const std::size_t first = row >= kTrackNeighbourRows ? row - kTrackNeighbourRows : 0;
    const std::size_t last = std::min(track.size() - 1, row + kTrackNeighbourRows);
    for (std::size_t i = first; i <= last; ++i) {
        if (i != row && track[i].voiced) hz[n++] = track[i].hz;
    }
    if (n < kTrackCompanionsNeeded) {
        return -1.0;
    }
    if (n < kTrackNeighboursNeeded) {
        return 0.0;
    }
    std::nth_element(hz, hz + n / 2, hz + n);
    return hz[n / 2];
}

}  // namespace

std::vector<PitchEstimate> TrackPitch(const double* samples, std::size_t count, double rateHz, PitchRange range) {
    std::vector<PitchEstimate> track;
    if (samples == nullptr || count == 0 || !(rateHz > 0.0)) {
        return track;
    }
    double loudest = 0.0;
    for (std::size_t i = 0; i < count; ++i) loudest = std::max(loudest, std::fabs(samples[i]));
    const std::int32_t windowSamples = PitchWindowSamples(rateHz, range.lowHz);
    std::vector<double> window(static_cast<std::size_t>(windowSamples));
    PitchTracker tracker;
    const double seconds = count / rateHz;
    const auto centreOf = [&](std::size_t row) {
        return static_cast<std::int64_t>(std::llround(row * kPitchTrackStepSeconds * rateHz));
    };
    for (std::size_t row = 0; row * kPitchTrackStepSeconds < seconds; ++row) {
        CopyWindow(samples, count, centreOf(row), window);
        track.push_back(tracker.Estimate(window.data(), windowSamples, rateHz, range, loudest));
    }
    // A row far from the pitch of the rows around it (an octave slip, or a
    // hiss taken for a high voice) is searched again near their pitch; with
    // no periodicity there it has no pitch.
    const std::vector<PitchEstimate> first = track;
    for (std::size_t row = 0; row < track.size(); ++row) {
        if (!first[row].voiced) {
            continue;
        }
        const double around = NeighbourMedian(first, row);
        if (around < 0.0) {
            track[row] = PitchEstimate{};
            continue;
        }
        if (around == 0.0 || (first[row].hz < around * kTrackJumpRatio && first[row].hz > around / kTrackJumpRatio)) {
            continue;
        }
        const PitchRange near{std::max(range.lowHz, around / kTrackJumpRatio), std::min(range.highHz, around * kTrackJumpRatio)};
        CopyWindow(samples, count, centreOf(row), window);
        track[row] = tracker.Estimate(window.data(), windowSamples, rateHz, near, loudest);
    }
    return track;
}
