#include "display/readouts.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

#include "base/trunc_to_int.h"
#include "display/level_colour.h"
#include "display/surface.h"

namespace {

// Labels switch to kilohertz from here on.
constexpr double kKilohertzFromHz = 1000.0;
// Added before the division into kilohertz, as the labels have always shown it.
constexpr double kKilohertzBiasHz = 50.0;
// The labels split the selection's width into quarters.
constexpr double kLabelSpacingOfWidth = 0.25;

}  // namespace

void PaintColourKey(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::ptrdiff_t stride,
                    double selY0, double selY1, ColourMap map) {
    if (bits == nullptr || width <= 0 || height <= 0) {
        return;
    }
    assert(stride >= static_cast<std::ptrdiff_t>(width) * kSurfaceBytesPerPixel);
    const double ra = height - height * selY0;
    const double rb = height - height * selY1;
    const double low = std::min(ra, rb);
    const double high = std::max(ra, rb);
    const double stepsPerRow = kLevelColourSteps / (high - low);
    for (std::int32_t i = 0; i < height; ++i) {
        const RgbBytes colour = LevelColour((i - low) * stepsPerRow, map);
        std::uint8_t* pixel = bits + i * stride;
        for (std::int32_t j = 0; j < width; ++j, pixel += kSurfaceBytesPerPixel) {
            StoreColour(pixel, colour);
        }
    }
}

ScaleLabelText FormatScaleLabelText(double hz) {
    ScaleLabelText text{};
    if (std::isnan(hz)) {
        std::snprintf(text.data(), text.size(), "nan-");
    } else if (std::isinf(hz)) {
        std::snprintf(text.data(), text.size(), hz > 0 ? "inf-" : "-inf-");
    } else if (hz < kKilohertzFromHz) {
        std::snprintf(text.data(), text.size(), "%.0f-", hz);
    } else {
        std::snprintf(text.data(), text.size(), "%.1fk-", (hz + kKilohertzBiasHz) / kKilohertzFromHz);
    }
    return text;
}

ScaleLabelText WidestScaleLabelText() {
    constexpr double kWidestKilohertz = 888.8;
    return FormatScaleLabelText(kWidestKilohertz * kKilohertzFromHz - kKilohertzBiasHz);
}

std::array<double, kFrequencyLabelCount> scaleLabelValues(const ScaleLabelInput& in) {
    const double w = in.upperWidth;
    const std::int64_t xa = truncToInt(w * in.selX0);
    const std::int64_t xb = truncToInt(w * in.selX1);
    const std::int64_t left = std::min(xa, xb);
    const std::int64_t width = std::max(xa, xb) - left;
    // Whole hertz: the integer division drops the half of an odd rate.
    const double nyquistHz = in.sampleRate / 2;
    const double bins = in.halfLength;

    std::array<double, kFrequencyLabelCount> values{};
    for (int k = 0; k < kFrequencyLabelCount; ++k) {
        const double x = left + k * (width * kLabelSpacingOfWidth);
        const double hz = in.logAxis ? std::pow(10.0, x / (w / std::log10(bins))) * (nyquistHz / bins)
                                     : x * (nyquistHz / w);
        if (in.cepstrum) {
            // The point is a lag: show the frequency whose period it is.
            const double lagSamples = hz * (2.0 * bins / in.sampleRate);
            values[k] = 1.0 / (lagSamples * (1.0 / in.sampleRate));
        } else {
            values[k] = hz;
        }
    }
    return values;
}

ScaleLabelTexts FormatScaleLabelTexts(const ScaleLabelInput& in) {
    const std::array<double, kFrequencyLabelCount> values = scaleLabelValues(in);
    ScaleLabelTexts texts{};
    for (int k = 0; k < kFrequencyLabelCount; ++k) {
        const int label = in.cepstrum ? k : kFrequencyLabelCount - 1 - k;
        texts[label] = FormatScaleLabelText(values[k]);
    }
    return texts;
}
