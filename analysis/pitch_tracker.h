// The pitch of a voice or an instrument: whether a stretch of samples is
// periodic at all (voiced) and, when it is, its fundamental frequency; and
// the track of a whole recording, one estimate every few milliseconds.
//
// Method: the autocorrelation of the Hann-windowed samples (through the real
// FFT, zero-padded so that it is not circular), divided by the window's own
// autocorrelation, so that a periodic signal reads close to 1 at its period
// and at every multiple of it. Its peaks between the search range's shortest
// and longest periods are the candidates; each scores its height plus
// kPitchOctaveBonus per octave up. The bonus settles the octave by the
// evidence of the harmonics: a period's multiples are no higher than the
// period itself and lose to it, while half the period (where the even
// harmonics add and the odd ones, the fundamental among them, subtract) wins
// only when the odd harmonics are all but absent. The winner is placed
// between samples on the band-limited autocorrelation (the inverse
// transform's sum of cosines, evaluated at fractional lags).
//
// Voicing: a stretch is voiced when the winner's height reaches
// kPitchVoicingThreshold, the autocorrelation has dipped below zero before
// it (a periodic signal swings through its half period; noise with most of
// its power at low frequencies only decays) and its peak amplitude is no
// silence beside a reference: the loudest sample of a recording, or what the
// live input reached lately. Below kPitchSilenceRatio of the reference the
// threshold rises steeply, as in the usual autocorrelation trackers.
//
// Units: samples are doubles of any scale, rates and pitches in Hz, lags in
// samples. Memory: a tracker holds work arrays for the longest window
// (kPitchMaxWindowSamples); estimating allocates nothing. Threads: a tracker
// belongs to one thread at a time; the free functions are pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/rdft.h"

// The search range without a band: the lowest voices to the highest sung
// fundamentals.
inline constexpr double kPitchFloorHz = 50.0;
inline constexpr double kPitchCeilingHz = 1000.0;
// The window holds this many periods of the range's lowest pitch.
inline constexpr double kPitchPeriodsPerWindow = 3.0;
// The padded transform is at most kRdftMaxLength long and twice the window.
inline constexpr std::int32_t kPitchMaxWindowSamples = kRdftMaxLength / 2;
inline constexpr double kPitchVoicingThreshold = 0.45;
inline constexpr double kPitchSilenceRatio = 0.03;
inline constexpr double kPitchOctaveBonus = 0.02;
// The step of a recording's track, seconds.
inline constexpr double kPitchTrackStepSeconds = 0.01;

struct PitchRange {
    double lowHz = kPitchFloorHz;
    double highHz = kPitchCeilingHz;
};

struct PitchEstimate {
    bool voiced = false;
    double hz = 0.0;        // the fundamental when voiced, else 0
    double strength = 0.0;  // the winning peak's height, about 0 ... 1
};

// Samples the window needs at `rateHz` for a range whose lowest pitch is
// `lowHz`: kPitchPeriodsPerWindow periods, at most kPitchMaxWindowSamples.
std::int32_t PitchWindowSamples(double rateHz, double lowHz);

class PitchTracker {
public:
    PitchTracker();

    // The pitch of samples[0 ... count): the window is all of them (at most
    // kPitchMaxWindowSamples are used, the newest). `referencePeak` is the
    // amplitude beside which silence is judged; 0 judges none. Periods
    // longer than half the window are not searched.
    PitchEstimate Estimate(const double* samples, std::int32_t count, double rateHz, PitchRange range,
                           double referencePeak);

private:
    void PrepareWindow(std::int32_t windowSamples, std::int32_t transformLength);
    // The normalised autocorrelation at a fractional lag.
    double CorrelationAt(double lag) const;

    std::int32_t windowSamples_ = 0;
    std::int32_t transformLength_ = 0;
    std::vector<double> window_;         // the Hann window
    std::vector<double> windowPower_;    // its power spectrum, transformLength / 2 + 1 bins
    std::vector<double> windowLagNorm_;  // its autocorrelation / the value at lag 0
    std::vector<double> signalPower_;    // the frame's power spectrum
    std::vector<double> work_;           // the transform, then the autocorrelation
    double signalZero_ = 0.0;            // the frame's autocorrelation at lag 0
    double windowZero_ = 0.0;
    std::vector<std::int32_t> ip_;
    std::vector<double> w_;
};

// The track of a recording: row i at i x kPitchTrackStepSeconds seconds
// (while that time lies inside the recording), each the estimate of the
// window centred there (samples beyond the ends count as silence), judged
// beside the recording's loudest sample. A row whose pitch lies far from
// the pitch of the voiced rows around it (an octave slip, a hiss read as a
// high voice) is searched again near theirs, and has no pitch when it shows
// no periodicity there; a voiced row with hardly a voiced row around it (a
// blip of 20 ms or less) has none either.
std::vector<PitchEstimate> TrackPitch(const double* samples, std::size_t count, double rateHz, PitchRange range);
