// The lower plot view's scrolling spectrogram: one call per frame moves the
// picture one pixel to the left and paints the newest column at the right
// edge from the frame's display values (display/spectrogram.h has the band,
// the level scale, the row schemes and the orientation).
//
// Per column: one block copy of the surface onto itself for the scroll,
// then the column's pixels written straight into the surface memory. The
// cepstrum views' upside-down column is written in that order, so no second
// graphics call is needed.
//
// Threads: the frame-loop thread with the draw lock held. The lower view's
// selection block is the frame loop's copy of the upper view's; the settings
// are the pass's copy.
#pragma once

#include <cstdint>

#include "base/settings.h"
#include "display/plot_view_win.h"
#include "display/spectrogram.h"
#include "display/value_readout.h"

// `upper`: the upper view's height and the span and value-0 row it was drawn
// with. `values`: `binCount` display values of the frame. `work`: the
// spectrogram's work arrays, kept by the frame loop's spectrogram step.
// `hasPitch`: false leaves the pitch view's column empty. `map`: the colours
// of the column. An empty view is left alone.
void DrawSpectrogramColumn(Bitmaplib::PlotView& lowerView, const AppSettings& settings, const ViewLevels& upper,
                           const double* values, std::int32_t binCount, SpectrogramWork& work, bool hasPitch = true,
                           ColourMap map = ColourMap::kRainbow);
