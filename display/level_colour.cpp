#include "display/level_colour.h"

#include <cassert>
#include <cmath>

#include "base/trunc_to_int.h"

namespace {

// Width of one of the seven ramps in colour indices (256 / 7, as the ramps
// were first laid out); the ramp of index i is trunc(i / width).
constexpr double kRampWidthIndices = 36.571;
// Every ramp but the last climbs by 7 per index; the last by 6 so that it
// ends inside a byte at index 255.
constexpr int kRampSlope = 7;
constexpr int kLastRampSlope = 6;
constexpr int kFull = 255;

std::uint8_t component(int value) {
    assert(value >= 0 && value <= kFull);
    return static_cast<std::uint8_t>(value);
}

}  // namespace

RgbBytes LevelColour(double index) {
    if (std::isnan(index) || index > kLevelColourMaxIndex) {
        index = kLevelColourMaxIndex;
    } else if (index < 0) {
        index = 0;
    }
    const int i = static_cast<int>(index);
    switch (truncToInt(i / kRampWidthIndices)) {
        case 0:  // black -> blue
            return {0, 0, component(kRampSlope * i)};
        case 1:  // blue -> cyan
            return {0, component(kRampSlope * (i - 37)), kFull};
        case 2:  // cyan -> green
            return {0, kFull, component(773 - kRampSlope * i)};
        case 3:  // green -> yellow
            return {component(kRampSlope * (i - 110)), kFull, 0};
        case 4:  // yellow -> red
            return {kFull, component(1277 - kRampSlope * i), 0};
        case 5:  // red -> magenta
            return {kFull, 0, component(kRampSlope * (i - 183))};
        default:  // magenta -> almost white
            return {kFull, component(kLastRampSlope * (i - 214)), kFull};
    }
}
