// The current frame's values as CSV text, for saving to a file.
//
// First row: the column names, then the rate, the data length and the
// window as name=value fields. Then one row per bin (per lag in the
// cepstrum views), N / 2 of them:
//   spectrum: frequency in Hz, the view's value (20 x ln|X|), dBFS;
//   cepstrum: quefrency in ms, the frequency whose period it is (Hz; "inf"
//   at lag 0), the view's value.
// Numbers print with a point as decimal separator and "inf"/"-inf"/"nan" for
// values without digits; rows end in "\r\n".
//
// Pure; callable from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A copy of one frame's display values and what they were made with.
struct FrameSnapshot {
    std::vector<double> values;  // the first N / 2 display values
    std::int32_t sampleRate = 0;  // Hz
    std::int32_t length = 0;      // data length N
    std::int32_t windowKind = 0;  // WindowKind
    bool cepstrum = false;
};

// "none", "Hanning", "Hamming" or "Blackman" (unknown kinds: "none").
const char* WindowName(std::int32_t kind);

std::string FrameCsv(const FrameSnapshot& frame);
