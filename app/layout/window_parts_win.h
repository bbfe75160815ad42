// The display objects of the main window's client area: the status line, the
// two plot views, the five frequency labels, the divider and the colour key
// strip. Made once by the creation handler (the strip by every layout pass)
// and released with the App record.
//
// Threads: made, placed and released on the user-interface thread; the plot
// views and the strip are replaced only with the draw lock held.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/layout/layout.h"
#include "display/label_win.h"
#include "display/plot_view_win.h"
#include "display/readouts_win.h"
#include "display/split_bar_win.h"

// Sizes and colours at creation (COLORREF 0x00BBGGRR), pixels. A label whose
// widest text is wider in the font it gets is widened to fit it.
inline constexpr int kStatusLabelWidthPx = 400;
inline constexpr int kLabelHeightPx = 14;
inline constexpr COLORREF kStatusLabelBack = 0x323228;
inline constexpr COLORREF kStatusLabelText = 0xFFFF80;
inline constexpr COLORREF kScaleLabelBack = 0x000000;
inline constexpr COLORREF kScaleLabelText = 0xC8C8C8;
inline constexpr char kInitialLabelText[] = "label";
// The divider's thickness is the height of its bitmap.
inline constexpr int kDividerThicknessPx = 5;
// The placeholder views shown until the first layout.
inline constexpr int kPlaceholderViewLeftPx = 10;
inline constexpr int kPlaceholderViewSidePx = 100;
inline constexpr int kUpperPlaceholderTopPx = 40;
inline constexpr int kLowerPlaceholderTopPx = 60;

struct WindowParts {
    PlotViewPtr upperView;
    PlotViewPtr lowerView;
    std::unique_ptr<Mylib::Label> statusLabel;
    std::array<std::unique_ptr<Mylib::Label>, kScaleLabelCount> scaleLabels;
    std::unique_ptr<SplitBar> divider;
    std::unique_ptr<SplitBar> colourScaleBar;  // null until the first layout
};

// Makes the placeholder views, the status line, the frequency labels and the
// divider as children of `mainWindow`; `drawLock` guards the views. The status
// line is made as wide as `widestStatus`, the widest text it can show.
void CreateWindowParts(WindowParts& parts, HWND mainWindow, std::mutex* drawLock, const char* widestStatus);

// The colour key strip, the upper view and the five labels, as the keys
// painters take them, with the colour map the key shows.
ScaleReadouts ReadoutsOf(const WindowParts& parts, ColourMap map = ColourMap::kRainbow);
