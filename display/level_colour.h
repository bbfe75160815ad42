// The spectrogram's colour maps, chosen in the Settings menu: a colour index
// 0 ... 255 turns into a colour. The rainbow (the default) runs through seven
// linear ramps, black -> blue -> cyan -> green -> yellow -> red -> magenta ->
// (255, 246, 255); magma climbs from black through purple and orange to pale
// yellow with a brightness that rises evenly with the index (the published
// 256-entry table, rounded to 8 bits); grey runs from black to white. The
// same map paints the colour key strip, so a level has one colour in both
// places.
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

// Which map turns an index into a colour; the values are those kept in
// "tavrin.ini".
enum class ColourMap : std::uint8_t { kRainbow = 0, kMagma = 1, kGrey = 2 };
inline constexpr int kColourMapCount = 3;

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
// an integer, then coloured by `map` (a value outside the enumeration counts
// as the rainbow).
RgbBytes LevelColour(double index, ColourMap map = ColourMap::kRainbow);
