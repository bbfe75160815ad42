// Fractional-octave band levels from a spectrum's bin powers, with the
// frequency weightings of sound level meters.
//
// Bands: base-10 octaves, G = 10^(3/10). For the fraction 1/b the band
// centres are fm = 1000 G^(x/b) Hz for odd b and 1000 G^((2x+1)/(2b)) Hz for
// even b (x any integer), the edges fm G^(-1/(2b)) and fm G^(1/(2b)). A plan
// holds the bands from the first whose upper edge lies above kBandsFromHz
// up to the last whose centre lies below half the rate.
//
// Levels: bin k (power p_k = |X[k]|^2 of an N-point frame, frequency
// k rate / N) covers k +- 1/2 bins; a band sums w(f_k) p_k over the bins
// inside its edges, a bin that straddles an edge in proportion to the part
// inside. w is the weighting as a power factor. The sum is given in dB
// relative to a full-scale sine's power, dBFS: a sine of amplitude A whose
// whole power lies inside the band reads 20 log10(A / kFullScaleAmplitude).
// Noise reads its power in the band, so pink noise gives equal levels in
// every band and white noise 10 log10(G) / b dB more per band.
//
// Weightings: A and C as sound level meters define them, the analytic
// responses with their poles at 20.6, 107.7, 737.9 and 12194 Hz, normalised
// to 0 dB at 1 kHz; Z is none.
//
// Honest bands: a band narrower than kResolvedBandBins bins cannot be told
// from its neighbours (a window's main lobe spreads a tone over about four
// bins), and a band whose upper edge passes half the rate is cut short;
// both are marked as not resolved, and the drawing shows them as such.
//
// Threads: one owner (the frame analysis, frame-loop thread). Memory: the
// plan's vectors, rebuilt only when the rate, length, window or choice
// changes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

enum class BandWeighting : std::uint8_t { kZ = 0, kA = 1, kC = 2 };

// The fractions of an octave offered (b of 1/b), in the menu's order.
inline constexpr int kBandFractions[] = {1, 3, 6, 12, 24};
inline constexpr int kBandFractionCount = 5;
inline constexpr double kBandsFromHz = 20.0;
// A band at least this many bins wide is resolved.
inline constexpr double kResolvedBandBins = 4.0;

struct BandChoice {
    int fraction = 3;  // b: 1/b octave; one of kBandFractions
    BandWeighting weighting = BandWeighting::kZ;

    bool operator==(const BandChoice&) const = default;
};

struct Band {
    double centreHz;
    double lowerHz;
    double upperHz;
    bool resolved;  // wide enough for the data length, and whole below half the rate
    bool cutOff;    // its upper edge lies past half the rate
};

// The exact centre of band x of 1/b octave, and its edges.
double BandCentreHz(int fraction, int x);
double BandLowerEdgeHz(int fraction, double centreHz);
double BandUpperEdgeHz(int fraction, double centreHz);

// The weighting's response at `hz`, dB (0 at 1 kHz; -infinity at 0 Hz for
// A and C).
double WeightingDb(BandWeighting weighting, double hz);

class OctaveBands {
public:
    // Plans the bands for `choice` over the bins of a `frameLength`-point
    // frame at `sampleRate` Hz whose window has the power sum
    // `windowPowerSum` (sum of w[j]^2; frameLength for no window). Does
    // nothing when all four are those of the plan in force.
    void Plan(const BandChoice& choice, std::int32_t sampleRate, std::int32_t frameLength, double windowPowerSum);

    // The band levels of frameLength / 2 bin powers, dBFS, one per band
    // (-infinity for a band without power). Valid until the next call.
    std::span<const double> Measure(const double* binPower);

    std::span<const Band> Bands() const { return bands_; }
    const BandChoice& Choice() const { return choice_; }

private:
    // Bins [first, last] feed a band, each by weight[k - first] (the
    // weighting times the share of the bin inside the band).
    struct Feed {
        std::int32_t first;
        std::int32_t last;
        std::size_t weightAt;  // offset into weights_
    };

    BandChoice choice_;
    std::int32_t sampleRate_ = 0;
    std::int32_t frameLength_ = 0;
    double windowPowerSum_ = 0.0;
    double fullScalePower_ = 1.0;  // the power sum of a full-scale sine
    std::vector<Band> bands_;
    std::vector<Feed> feeds_;
    std::vector<double> weights_;
    std::vector<double> levels_;
};
