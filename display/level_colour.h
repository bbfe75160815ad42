// The spectrogram's colour map: a colour index 0 ... 255 through seven
// linear ramps, black -> blue -> cyan -> green -> yellow -> red -> magenta ->
// (255, 246, 255). The same map paints the colour key strip, so a level has
// one colour in both places.
//
// Portable; pure; callable from any thread.
#pragma once

#include <cstdint>

// One colour as its three 8-bit components (the surface stores them in the
// order blue, green, red).
struct RgbBytes {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    friend bool operator==(const RgbBytes&, const RgbBytes&) = default;
};

// Highest colour index; an index is a double on the scale 0 ... 256 of the
// selection's level range.
inline constexpr int kLevelColourMaxIndex = 255;

// Colour steps across the selection's level range: the lower edge gets
// index 0, the upper edge 256 (shown as 255).
inline constexpr double kLevelColourSteps = 256.0;

// Stores a colour into one 32-bit surface pixel as blue, green, red; the
// fourth byte is left alone.
inline void StoreColour(std::uint8_t* pixel, RgbBytes colour) {
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
}

// Colour of `index`: clamped to 0 ... 255 (NaN counts as 255), truncated to
// an integer, then coloured by its ramp.
RgbBytes LevelColour(double index);
