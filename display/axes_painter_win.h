// DrawAxes: the upper view's static background (tiled texture, grid, tick
// labels), saved as the background that every frame restores, and, when the
// spectrum is coloured, the colouring brush made from it.
//
// fs: sampling rate, Hz; bins: half the data length. `freqAxis` draws the
// tick labels (a frequency view is shown), `quefrency` labels the axis in
// milliseconds and pitch (the cepstrum views), `logAxis` the logarithmic grid,
// `colour` builds the brush.
//
// Threads: the user-interface thread, during the layout, with the draw lock
// held. Leaves the grid pen and the texture brush (or the colouring brush)
// selected in the view's memory DC.
#pragma once

#include <cstdint>

#include "display/plot_view_win.h"

// Text colour of the tick labels, COLORREF.
inline constexpr COLORREF kTickTextColour = 0xC8C8C8;

void DrawAxes(Bitmaplib::PlotView& view, std::int32_t fs, std::int32_t bins, bool logAxis, bool colour,
              bool freqAxis, bool quefrency);
