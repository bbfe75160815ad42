// The band view's painter: one bar per fractional-octave band
// (display/band_bars.h) written into the upper view's surface
// (display/band_fill.h), solid for a band the data length resolves, hatched
// and dim for one it does not, so that no false level reads as a true one.
//
// Threads: the frame loop's thread, with the draw lock held. The frame loop
// owns the fill and keeps it from frame to frame.
#pragma once

#include <span>

#include "analysis/octave_bands.h"
#include "display/band_bars.h"
#include "display/band_fill.h"
#include "display/plot_view_win.h"

// The fill with the band view's two colours.
BandFill MakeBandFill();

// `levelsDbfs` has one level per band.
void DrawBandBars(Bitmaplib::PlotView& view, BandFill& fill, const BandScale& scale, std::span<const Band> bands,
                  std::span<const double> levelsDbfs);
