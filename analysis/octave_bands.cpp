#include "analysis/octave_bands.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/peak_estimate.h"

namespace {

// The octave ratio of base-10 bands.
const double kOctaveRatio = std::pow(10.0, 0.3);
constexpr double kReferenceHz = 1000.0;

// The poles of the A and C weightings, Hz.
constexpr double kPole1Hz = 20.598997;
constexpr double kPole2Hz = 107.65265;
constexpr double kPole3Hz = 737.86223;
constexpr double kPole4Hz = 12194.217;

// The responses before their normalisation at 1 kHz, dB.
double RawWeightingDb(BandWeighting weighting, double hz) {
    const double f2 = hz * hz;
    const double p1 = kPole1Hz * kPole1Hz;
    const double p4 = kPole4Hz * kPole4Hz;
    switch (weighting) {
        case BandWeighting::kA:
            return 20.0 * std::log10(p4 * f2 * f2 /
                                     ((f2 + p1) * std::sqrt((f2 + kPole2Hz * kPole2Hz) * (f2 + kPole3Hz * kPole3Hz)) *
                                      (f2 + p4)));
        case BandWeighting::kC:
            return 20.0 * std::log10(p4 * f2 / ((f2 + p1) * (f2 + p4)));
        case BandWeighting::kZ:
            break;
    }
    return 0.0;
}

// The exponent e of G in a centre 1000 G^e.
double CentreExponent(int fraction, int x) {
    if (fraction % 2 == 1) return static_cast<double>(x) / fraction;
    return (2.0 * x + 1.0) / (2.0 * fraction);
}

}  // namespace

double BandCentreHz(int fraction, int x) { return kReferenceHz * std::pow(kOctaveRatio, CentreExponent(fraction, x)); }

double BandLowerEdgeHz(int fraction, double centreHz) {
    return centreHz * std::pow(kOctaveRatio, -1.0 / (2.0 * fraction));
}

double BandUpperEdgeHz(int fraction, double centreHz) {
    return centreHz * std::pow(kOctaveRatio, 1.0 / (2.0 * fraction));
}

double WeightingDb(BandWeighting weighting, double hz) {
    if (weighting == BandWeighting::kZ) return 0.0;
    if (!(hz > 0.0)) return -std::numeric_limits<double>::infinity();
    return RawWeightingDb(weighting, hz) - RawWeightingDb(weighting, kReferenceHz);
}

void OctaveBands::Plan(const BandChoice& choice, std::int32_t sampleRate, std::int32_t frameLength,
                       double windowPowerSum) {
    if (choice == choice_ && sampleRate == sampleRate_ && frameLength == frameLength_ &&
        windowPowerSum == windowPowerSum_) {
        return;
    }
    choice_ = choice;
    sampleRate_ = sampleRate;
    frameLength_ = frameLength;
    windowPowerSum_ = windowPowerSum;
    bands_.clear();
    feeds_.clear();
    weights_.clear();
    if (sampleRate <= 0 || frameLength < 2 || !(windowPowerSum > 0.0)) return;
    const int b = std::max(choice.fraction, 1);
    const std::int32_t binCount = frameLength / 2;
    const double binHz = static_cast<double>(sampleRate) / frameLength;
    const double nyquistHz = sampleRate / 2.0;
    fullScalePower_ = frameLength * kFullScaleAmplitude * kFullScaleAmplitude * windowPowerSum / 4.0;
    // The first x whose band reaches above kBandsFromHz, counted up from
    // below it.
    int x = static_cast<int>(std::floor(b * std::log(kBandsFromHz / kReferenceHz) / std::log(kOctaveRatio))) - 2;
    while (BandUpperEdgeHz(b, BandCentreHz(b, x)) <= kBandsFromHz) ++x;
    for (;; ++x) {
        const double centre = BandCentreHz(b, x);
        if (centre >= nyquistHz) break;
        Band band{centre, BandLowerEdgeHz(b, centre), BandUpperEdgeHz(b, centre), false, false};
        // The band in bins; bin k covers k - 1/2 ... k + 1/2.
        const double low = band.lowerHz / binHz;
        const double high = std::min(band.upperHz, nyquistHz) / binHz;
        band.cutOff = band.upperHz > nyquistHz;
        band.resolved = high - low >= kResolvedBandBins && !band.cutOff;
        Feed feed{std::clamp(static_cast<std::int32_t>(std::floor(low + 0.5)), 0, binCount - 1),
                  std::clamp(static_cast<std::int32_t>(std::floor(high + 0.5)), 0, binCount - 1), weights_.size()};
        for (std::int32_t k = feed.first; k <= feed.last; ++k) {
            const double share = std::max(0.0, std::min(high, k + 0.5) - std::max(low, k - 0.5));
            weights_.push_back(share * std::pow(10.0, WeightingDb(choice.weighting, k * binHz) / 10.0));
        }
        bands_.push_back(band);
        feeds_.push_back(feed);
    }
    levels_.assign(bands_.size(), 0.0);
}

std::span<const double> OctaveBands::Measure(const double* binPower) {
    for (std::size_t i = 0; i < feeds_.size(); ++i) {
        const Feed& feed = feeds_[i];
        const double* weight = weights_.data() + feed.weightAt;
        double sum = 0.0;
        for (std::int32_t k = feed.first; k <= feed.last; ++k) sum += weight[k - feed.first] * binPower[k];
        levels_[i] = 10.0 * std::log10(sum / fullScalePower_);
    }
    return levels_;
}
