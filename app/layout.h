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
inline constexpr std::int32_t kColorScaleLeftPx = 2;
inline constexpr std::int32_t kColorScaleWidthPx = 12;
inline constexpr std::int32_t kUpperViewLeftPx = 16;
inline constexpr std::int32_t kLowerViewLeftPx = 38;
inline constexpr std::int32_t kScaleLabelLeftPx = 2;
inline constexpr int kScaleLabelCount = 5;
// No view, strip or bar is ever made smaller than this on either side.
inline constexpr std::int32_t kMinSidePx = 1;

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
    LayoutRect colorScale;
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
// pixels. Every view and the strip come out at least 1 x 1.
WindowLayout ComputeLayout(std::int32_t cx, std::int32_t cy, double splitRatio, std::int32_t barThickness,
                           std::int32_t labelHeight);
