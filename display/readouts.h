// The spectrogram's two keys, computed on plain memory: the colour key strip
// beside the upper view and the texts of the five frequency labels beside
// the lower view.
//
// Strip surface: 32-bit pixels, bytes blue, green, red and a fourth byte
// left alone; rows bottom-up (memory row 0 is the strip's bottom line);
// pixel (x, memory row r) at byte r * stride + x * 4.
//
// Labels: index 0 is the top label beside the lower view, 4 the bottom one.
// A text is at most kScaleLabelTextBytes - 1 characters and always
// terminated, whatever the value (infinities and NaN included).
//
// Pure; callable from any thread on memory the caller owns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "display/level_colour.h"

inline constexpr int kFrequencyLabelCount = 5;
inline constexpr std::size_t kScaleLabelTextBytes = 256;

using ScaleLabelText = std::array<char, kScaleLabelTextBytes>;
using ScaleLabelTexts = std::array<ScaleLabelText, kFrequencyLabelCount>;

// Paints the colour key: memory row i gets LevelColour((i - low) * 256 /
// (high - low)), low and high being the selection's vertical edges as strip
// rows counted from the bottom (height - height * selY). Every pixel of a
// row has the row's colour, from `map`. Null bits or a non-positive size
// paint nothing.
void PaintColourKey(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride,
                    double selY0, double selY1, ColourMap map = ColourMap::kRainbow);

// The label text of a frequency in hertz: "%.0f-" below 1,000, else
// "%.1fk-" of (hz + 50) / 1,000; "inf-", "-inf-" and "nan-" for the values
// without digits. The trailing "-" points at the spectrogram.
ScaleLabelText FormatScaleLabelText(double hz);

// What the labels are read from: the upper view's width (pixels) and its
// selection block's horizontal edges, and the analysis settings.
struct ScaleLabelInput {
    std::int32_t upperWidth;
    double selX0;
    double selX1;
    std::int32_t sampleRate;  // Hz
    std::int32_t halfLength;  // bins of the spectrum, frame length / 2
    bool logAxis;
    bool cepstrum;
};

// The widest text a label shows in practice, to size the labels by: three
// digits of kilohertz with one decimal ("888.8k-"). Readings beyond 999.9 kHz
// only come from the cepstrum's shortest lags on very wide views.
ScaleLabelText WidestScaleLabelText();

// The frequency (or, in the cepstrum views, 1 / period of the lag) at five
// evenly spaced points across the selection's width, k = 0 at its left
// edge, before formatting.
std::array<double, kFrequencyLabelCount> scaleLabelValues(const ScaleLabelInput& in);

// The five texts in label order: the spectrum views put the selection's
// left edge (the lowest frequency) on the bottom label, the cepstrum views,
// whose spectrogram is upside down, on the top one.
ScaleLabelTexts FormatScaleLabelTexts(const ScaleLabelInput& in);
