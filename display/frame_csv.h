// The current frame's values as CSV text, for saving to a file.
//
// Lines starting with '#' come first: the sampling rate (Hz), the data
// length N (points) and the window, each as a name and a value. Then one
// header row naming every column with its unit, then the data rows:
//   spectrum views: frequency_hz, level_20ln_magnitude (the view's value,
//     20 x the natural log of the bin's magnitude), level_dbfs; N / 2 rows;
//   cepstrum views: quefrency_ms, frequency_hz (the frequency whose period
//     the lag is; empty at lag 0), cepstrum (the view's value); N / 2 rows;
//   WAVE view: time_ms (into the frame), sample_value (16-bit units), one row
//     per sample the view draws.
//   band view: two more '#' lines, bands_per_octave (b of 1/b octave) and
//     weighting (Z, A or C); then centre_hz, lower_edge_hz, upper_edge_hz,
//     level_dbfs and, with a level calibration, level_db_spl; one row per
//     band. A band the data length does not resolve has "too narrow" in
//     place of its levels, one cut off at half the rate "past the top".
// Every line, the '#' ones included, has the same number of fields, so the
// file reads as one table even in readers that do not skip comments. A value
// without digits (a silent bin's level) leaves its cell empty; numbers print
// with a point as decimal separator; lines end in "\r\n".
//
// Pure; callable from any thread.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "analysis/octave_bands.h"

// A copy of one frame's values and what they were made with.
struct FrameSnapshot {
    // The first N / 2 display values, or in the WAVE view the samples drawn.
    std::vector<double> values;
    std::int32_t sampleRate = 0;  // Hz
    std::int32_t length = 0;      // data length N
    std::int32_t windowKind = 0;  // WindowKind
    bool cepstrum = false;
    bool wave = false;  // the WAVE view: `values` are samples
    // The band view: its bands and their levels, dBFS (then `values` are
    // not written); empty in the other views.
    std::vector<Band> bands{};
    std::vector<double> bandLevels{};
    BandChoice bandChoice{};
    double splOffsetDb = std::numeric_limits<double>::quiet_NaN();  // dB SPL - dBFS; NaN: not calibrated
};

// "none", "Hanning", "Hamming" or "Blackman" (unknown kinds: "none").
const char* WindowName(std::int32_t kind);

std::string FrameCsv(const FrameSnapshot& frame);
