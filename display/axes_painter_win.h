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
#include "display/value_readout.h"

// Text colour of the tick labels, COLORREF.
inline constexpr COLORREF kTickTextColour = 0xC8C8C8;

// The level axis of the spectrum views (display/axes_geometry.h), drawn on
// the frame over the restored background, as the zoom may change with every
// frame: `levels` is the view's vertical scale, `windowKind` and `length` turn
// its values into dBFS. The frame loop's thread, with the draw lock held;
// selects the axis font and sets the text colour and transparent background.
// `splOffsetDb`: the calibration's dB SPL minus dBFS, NaN for none.
void DrawLevelAxis(Bitmaplib::PlotView& view, const ViewLevels& levels, std::int32_t windowKind,
                   std::int32_t length, double splOffsetDb);

// The frequency tick labels alone, drawn again over what a frame painted
// (the band view's bars would hide the background's). Same thread and lock
// as DrawLevelAxis; selects the axis font and sets the text colour.
void DrawFrequencyLabels(Bitmaplib::PlotView& view, std::int32_t fs, std::int32_t bins, bool logAxis);

void DrawAxes(Bitmaplib::PlotView& view, std::int32_t fs, std::int32_t bins, bool logAxis, bool colour,
              bool freqAxis, bool quefrency);
