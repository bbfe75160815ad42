// The band view's painter: one bar per fractional-octave band
// (display/band_bars.h) into the upper view's memory DC, solid for a band
// the data length resolves, hatched and dim for one it does not, so that no
// false level reads as a true one.
//
// Threads: the frame loop's thread, with the draw lock held. The two brushes
// are made and freed within the call.
#pragma once

#include <span>

#include "analysis/octave_bands.h"
#include "display/band_bars.h"
#include "display/plot_view_win.h"

// `levelsDbfs` has one level per band.
void DrawBandBars(Bitmaplib::PlotView& view, const BandScale& scale, std::span<const Band> bands,
                  std::span<const double> levelsDbfs);
