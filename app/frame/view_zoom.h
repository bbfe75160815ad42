// The vertical zoom and position of the spectrum (or cepstrum) display, as
// the mouse wheel and the right-button drag change them, and the split ratio
// a dragged divider asks for.
//
// A value v of the displayed curve lies at pixel row offset - v x (view
// height / span): the span is the value range the full view height covers,
// the offset the row of value 0. Both are doubles.
//
// Threads: called by the frame loop only; the wheel and drag amounts it
// passes were taken from the view's accumulators with an atomic exchange.
#pragma once

#include <cstdint>
#include <optional>

struct ViewZoom {
    double span;
    double offset;
};

// Span change per unit of raw wheel delta (a standard notch is 120 units and
// changes the span by 30).
inline constexpr double kSpanPerWheelUnit = 0.25;
// A step that leaves no positive span gives this one.
inline constexpr double kSpanAfterCollapse = 2.0;
inline constexpr double kMaxSpan = 1000.0;

// One wheel step of `wheelDelta` raw units: span + 0.25 x delta, a result of 0
// or less (or not a number) becomes 2 and one above 1,000 becomes 1,000; the
// offset is rescaled by old span / new span, which keeps the value at the
// top edge where it was. A delta of 0 changes nothing.
ViewZoom ApplyWheel(ViewZoom zoom, std::int32_t wheelDelta);

// A right-button drag of `dragPx` pixels (downwards positive) moves the
// curve with the pointer.
ViewZoom ApplyDrag(ViewZoom zoom, std::int32_t dragPx);

// The divider's top edge as a fraction of the client height, or nothing when
// the client has no height (a minimised window): the ratio is then kept.
std::optional<double> DividerRatio(std::int32_t barTop, std::int32_t clientHeight);
