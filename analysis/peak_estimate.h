// Reading numbers off a frame: the strongest peak of the spectrum between two
// bins, its frequency between bins and its level corrected for where the tone
// fell, the level scale relative to a full-scale sine, and the strongest peak
// of the cepstrum between two lags.
//
// Units: spectrum values are the display levels, 20 x ln|X| of the
// unnormalised transform of the windowed frame (see spectrum.h); bins and
// lags are fractional indices; a full-scale sine has an amplitude of
// kFullScaleAmplitude sample units.
//
// Pure functions of their arguments; callable from any thread.
#pragma once

#include <cstdint>
#include <numbers>

#include "base/settings.h"

// Amplitude of a full-scale sine, in 16-bit sample units (0 dBFS).
inline constexpr double kFullScaleAmplitude = 32768.0;

// Mean of the window table of `kind` over `length` points (sum / length),
// the factor by which the window scales a tone's peak. Unknown kinds count
// as no window (1).
double WindowCoherentGain(std::int32_t kind, std::int32_t length);

// Display level (20 x ln|X|) of a full-scale sine lying exactly on a bin of a
// `length`-point frame windowed by `kind`: 20 ln(A x length x gain / 2).
double FullScaleLevel(std::int32_t kind, std::int32_t length);

// A display level in dB relative to a full-scale sine (dBFS). -inf for a bin
// of zero magnitude.
double LevelDbfs(double level, std::int32_t kind, std::int32_t length);

// The window's amplitude response `offsetBins` away from a tone, relative to
// its response at the tone (1 at 0): how much of a tone's level a bin that
// far away shows.
double WindowKernelGain(std::int32_t kind, double offsetBins);

// Where a lone tone lies relative to the bin of the local maximum `peak`,
// from the levels of that bin and its two neighbours: in [-0.5, 0.5] bins.
// The estimator fits the window: the two-bin magnitude ratio solved in
// closed form for no window and Hann, and inverted against the window's
// own response for Hamming and Blackman.
double PeakBinOffset(std::int32_t kind, double left, double peak, double right);

struct SpectrumPeak {
    bool found;
    std::int32_t index;  // the bin of the local maximum
    double bin;          // interpolated, fractional bin of the tone
    double level;        // the tone's level (display units), corrected for the offset
};

// The strongest local maximum of values[first ... last] (a bin higher than
// its left neighbour and not lower than its right one; the ends of the
// array have no such neighbours and do not count), interpolated for the
// window `kind`. `count` values exist; the range is clipped to them.
// Non-finite values never make a peak.
SpectrumPeak FindSpectrumPeak(const double* values, std::int32_t count, std::int32_t first, std::int32_t last,
                              std::int32_t kind);

struct CepstrumPeak {
    bool found;
    std::int32_t index;  // lag of the local maximum, samples
    double lag;          // interpolated by a parabola through it and its neighbours
};

// The strongest local maximum of the cepstrum values[first ... last], as
// above, once past the slope that falls from the range's low end (the
// spectrum's envelope at the lowest lags is no period), with the lag
// interpolated by a parabola through three points.
CepstrumPeak FindCepstrumPeak(const double* values, std::int32_t count, std::int32_t first, std::int32_t last);

// The cepstrum path leaves L = log10|X| / 2048 per bin in the Analyzer's
// imagInput (cepstrum.h), which a frame hands on as its log magnitudes
// (FrameData); 20 x ln|X| is this many times L.
inline constexpr double kCepstrumLogToLevel = 20.0 * std::numbers::ln10 * 2048.0;

// Harmonics the pitch refinement looks at, at most.
inline constexpr int kPitchHarmonics = 8;

// A pitch refined against the spectrum: the cepstrum's lag says roughly
// where the fundamental lies (length / periodLag bins); each of the first
// kPitchHarmonics harmonics is looked for as the highest local maximum
// within a quarter of the fundamental of its multiple, placed between bins
// for the window `kind`, and the fundamental fitted to them (least squares
// weighted by their magnitudes). `logSpectrum` holds `bins` log magnitudes,
// `toLevel` times which is 20 x ln|X|. Returns the fundamental in bins, or
// length / periodLag when no harmonic is found.
double RefineFundamentalBins(const double* logSpectrum, std::int32_t bins, double toLevel, std::int32_t length,
                             double periodLag, std::int32_t kind);
