// What the upper view's peak-hold line is drawn against. The line keeps, per
// pixel column, the highest row a trace reached; it means something only as
// long as the values and the way they are drawn stay the same. The frame loop
// compares the scope of every frame with the previous one and restarts the
// line when it differs, so the frame that shows a new view mode, axis, data
// length, rate, window, zoom, shift or view size also starts the new line
// (exactly as the two-second restart does).
//
// The analysis half is read from the settings before the frame is analysed:
// a change that lands during the analysis then shows in the next frame's
// scope, whose values are all of the new kind. The drawing half is filled in
// where the frame is drawn, from the frame itself and the view.
//
// Threads: the frame loop only.
#pragma once

#include <cstdint>

#include "base/settings.h"

struct PeakHoldScope {
    // Analysis: what the values are.
    std::uint8_t showWave = 0;
    std::uint8_t showSpectrum = 0;
    std::uint8_t cepstrumMode = 0;
    std::uint8_t pitchOn = 0;
    std::int32_t windowKind = 0;
    std::int32_t sampleRate = 0;
    // Drawing: how many values there are (half the data length the frame was
    // really analysed with) and where they go, view pixels.
    std::int32_t binCount = 0;
    std::uint8_t logAxis = 0;
    double span = 0.0;    // value range of the view's height
    double offset = 0.0;  // row of value 0
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const PeakHoldScope&) const = default;
};

// The analysis half of the scope, from the settings the frame is analysed with.
PeakHoldScope AnalysedScope(const AppSettings& s);
