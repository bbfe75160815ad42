// Geometry of the main window's client area: the status margin at the top,
// the upper plot view with the colour key strip at its left, the divider bar,
// and the lower plot view with the five frequency labels at its left.
//
// Pure arithmetic on client pixels (x right, y down, origin at the client's
// top-left corner); no window is touched here. The Win32 layer applies the
// result under the draw lock.
#pragma once

#include <cstdint>

// Split of the client height used when the stored ratio is unusable: the
// divider's top edge as a fraction of the client height.
inline constexpr double kDefaultSplitRatio = 0.4;

// Top of both upper-area elements: the status line lives above it.
inline constexpr std::int32_t kUpperTopPx = 20;
inline constexpr std::int32_t kColourScaleLeftPx = 2;
inline constexpr std::int32_t kColourScaleWidthPx = 12;
inline constexpr std::int32_t kUpperViewLeftPx = 16;
inline constexpr std::int32_t kLowerViewLeftPx = 38;
inline constexpr std::int32_t kScaleLabelLeftPx = 2;
// Width of a frequency label where its widest text fits in it; a font that
// needs more widens the label column and moves the lower view right by as much.
inline constexpr std::int32_t kScaleLabelWidthPx = 35;
inline constexpr int kScaleLabelCount = 5;
// No view, strip or bar is ever made smaller than this on either side.
inline constexpr std::int32_t kMinSidePx = 1;
// The divider stays where it can be grabbed again: both views keep at least
// this height wherever the stored ratio puts it (the drag stops the bar at
// the same distance below the status margin).
inline constexpr std::int32_t kMinViewHeightPx = 5;
// Pixel row of value 0 (the stored offsets) beyond which no trace can be
// brought back into view in reasonable time; such a value is not kept.
inline constexpr double kMaxOffsetPx = 100000.0;

struct LayoutRect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

struct WindowLayout {
    // False when the client is too narrow for the upper view (width 16 or
    // less): nothing is rebuilt or moved, the window is only repainted.
    bool buildViews;
    std::int32_t barTop;  // the divider's top edge, client height x ratio
    // The ratio in force: the one asked for, or, where the divider had to be
    // moved to keep both views visible, the ratio of its corrected place.
    double splitRatio;
    LayoutRect colourScale;
    LayoutRect upperView;
    // The divider keeps its own left edge; this is its top, bottom and right.
    std::int32_t barBottom;
    std::int32_t barRight;
    LayoutRect lowerView;
    // Labels keep their own size; only their top-left corners are laid out.
    std::int32_t labelX;
    std::int32_t labelY[kScaleLabelCount];
};

// The ratio itself when it is a finite number in [0, 1], otherwise the default.
double SaneSplitRatio(double splitRatio);

// Lays out a client area of cx x cy pixels at the given split. `barThickness`
// is the divider's height and `labelHeight` a frequency label's height,
// pixels, `labelWidth` the frequency labels' width. Every view and the strip
// come out at least 1 x 1; where the client is high enough, both views are at
// least kMinViewHeightPx high. The lower view starts right of the labels.
WindowLayout ComputeLayout(std::int32_t cx, std::int32_t cy, double splitRatio, std::int32_t barThickness,
                           std::int32_t labelHeight, std::int32_t labelWidth = kScaleLabelWidthPx);

// The smallest client area at which every part stays readable: as wide as
// the status line's usual text (the state, rate, length, window, axis, pause
// and frame rate), and high enough that, at the split in force, the upper
// view holds its readout box, frequency labels and a few level labels
// (kMinReadableUpperPx) and the lower view its five labels stacked, so that
// they stay apart. A split near either end would ask for a huge window: the
// height asked for is then held to kMostMinClientHeightPx, never below the
// two views' least heights and the divider together. Pixels.
inline constexpr std::int32_t kMinClientWidthPx = 400;
inline constexpr std::int32_t kMinReadableUpperPx = 110;
inline constexpr std::int32_t kMostMinClientHeightPx = 480;
struct ClientSize {
    std::int32_t width;
    std::int32_t height;
};
ClientSize MinimumClientSize(std::int32_t labelHeight, std::int32_t barThickness, double splitRatio);

// The row of value 0 for a view `newHeight` pixels high, keeping its place
// relative to the height `oldHeight` it was set for. An unknown old height
// (0 or less) or a result that is not a number keeps `offset`; the result is
// held within +-kMaxOffsetPx.
double RescaledOffset(double offset, std::int32_t oldHeight, std::int32_t newHeight);
