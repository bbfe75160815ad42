// The vertical zoom and position of the spectrum (or cepstrum) display, as
// the mouse wheel and the right-button drag change them, and the split ratio
// a dragged divider asks for.
//
// A value v of the displayed curve lies at pixel row offset - v x (view
// height / span): the span is the value range the full view height covers,
// the offset the row of value 0. Both are doubles. A new view height scales
// the offset with it (the layout does that), so the same levels stay at the
// same places of the view; the selection's vertical edges are levels too,
// kept where they are when the wheel or a drag changes the zoom.
//
// The time range a file's overview shows (OverviewSpan), as the wheel
// zooms it around the pointer and a left drag or a key moves it: samples
// of the file, its columns those of the overview engine (analysis/overview.h).
//
// Threads: called by the frame loop only (the keys' steps also on the
// user-interface thread, on a copy); the wheel and drag amounts it
// passes were taken from the view's accumulators with an atomic exchange.
#pragma once

#include <cstdint>
#include <optional>

#include "display/selection.h"

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

// The waveform's half range after a wheel step of `wheelDelta` raw units:
// each notch (120 units) towards the user narrows it by a factor of the
// square root of 2, each away from the user widens it as much, within
// kMinWaveHalfRange ... kMaxWaveHalfRange (sample values).
inline constexpr double kMinWaveHalfRange = 10.0;
inline constexpr double kMaxWaveHalfRange = 40000.0;
double ApplyWaveWheel(double halfRange, std::int32_t wheelDelta);

// The level at `fraction` of a view `height` pixels high (0 is the top row,
// 1 the bottom), and the fraction at which a level lies.
double LevelAtFraction(ViewZoom zoom, std::int32_t height, double fraction);
double FractionOfLevel(ViewZoom zoom, std::int32_t height, double level);

// Moves the selection's top and bottom edges from where their levels lay
// under `before` to where they lie under `after`, so that the spectrogram's
// colours stay; the edges may then lie outside the view. A view without
// height leaves the block as it is.
void KeepSelectionLevels(SelectionBlock& block, ViewZoom before, ViewZoom after, std::int32_t height);

// The divider's top edge as a fraction of the client height (half a pixel
// into its row, so that the layout puts it back on that row), or nothing
// when the client has no height (a minimised window): the ratio is then kept.
std::optional<double> DividerRatio(std::int32_t barTop, std::int32_t clientHeight);

// The samples [first, first + count) of a file of `total` samples.
struct OverviewSpan {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
};

// Each wheel notch (120 units) towards the screen narrows the span by this
// factor, each towards the user widens it as much.
inline constexpr double kOverviewZoomPerNotch = 1.5;

// The narrowest span over `columns` columns: one frame step (frameLength / 2
// samples) per column, or the whole file when that is shorter.
std::uint64_t OverviewMinCount(std::uint64_t total, std::int32_t columns, std::int32_t frameLength);

// `span` made valid: count within minCount ... total, first so that the
// span lies inside the file.
OverviewSpan ClampOverviewSpan(OverviewSpan span, std::uint64_t total, std::uint64_t minCount);

// The sample at view pixel x of a view `width` columns wide (the first
// sample of that column, as OverviewColumnStart), and the pixel of a sample
// (fractional; outside 0 ... width when the sample is not shown).
std::uint64_t OverviewSampleAtX(OverviewSpan span, std::int32_t width, std::int32_t x);
double OverviewXOfSample(OverviewSpan span, std::int32_t width, std::uint64_t sample);

// One wheel step of `wheelDelta` raw units at view pixel x: the sample under
// x stays under x while the span narrows or widens, clamped as above.
OverviewSpan ZoomOverview(OverviewSpan span, std::uint64_t total, std::uint64_t minCount, std::int32_t width,
                          std::int32_t x, std::int32_t wheelDelta);

// A drag of `dragPx` pixels (right positive) moves the picture with the
// pointer: the span moves dragPx columns' worth of samples earlier.
OverviewSpan ScrollOverview(OverviewSpan span, std::uint64_t total, std::int32_t width, std::int32_t dragPx);

// The span moved as little as keeps `sample` inside it, with a tenth of its
// width to spare at the edge it was beyond.
OverviewSpan ShowInOverview(OverviewSpan span, std::uint64_t total, std::uint64_t sample);
