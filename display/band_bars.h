// The band view's geometry and readout: where each fractional-octave band's
// bar lies on the upper view, and what the pointer over a bar reads.
//
// A band's bar spans the x of its lower edge to that of its upper edge on
// the upper view's frequency axis (display/value_readout.h: bin k at its
// place on the linear or logarithmic axis, frequency k x binHz), and rises
// from the bottom to the row of its level. Band levels are dBFS
// (analysis/octave_bands.h); the view's vertical scale is in display levels,
// 20 ln|X|, where a full-scale sine on a bin reads `fullScaleLevel`
// (analysis/peak_estimate.h), so that the level axis and the zoom serve the
// bands as they serve the spectrum.
//
// Pure functions of their arguments; the frame loop's thread calls them.
#pragma once

#include <cstdint>
#include <span>

#include "analysis/octave_bands.h"
#include "display/value_readout.h"

struct BandScale {
    ViewAxis axis;
    double binHz;  // rate / data length
    ViewLevels levels;
    double fullScaleLevel;  // display level of 0 dBFS
};

// The pixel columns of a band's bar, left to right.
struct BandColumns {
    int left;    // first column
    int right;   // last column (>= left)
    bool shown;  // false: the band lies off the view
};

// The display level of `dbfs`.
double DisplayLevelOfDbfs(const BandScale& scale, double dbfs);

// A band's bar spans the columns of its edges, each bar ending a column
// short of the next one's left edge.
BandColumns BandColumnsOf(const BandScale& scale, const Band& band);

// The row a bar at `levelDbfs` reaches up to (-1 above the view); the
// view's height for no bar (below the view, or no level).
int BandTopRow(const BandScale& scale, double levelDbfs);

// The band whose bar holds column x, or -1.
int BandAtX(const BandScale& scale, std::span<const Band> bands, int x);

// The band view's corner: "Bands 1/3 octave", "Weighting A".
ReadoutText BandViewTitle(int fraction, BandWeighting weighting);

// "1/3 oct Z  1000.0 Hz" (the band's centre), "band -6.0 dBFS", and with a
// calibration (splOffsetDb finite: dB SPL = dBFS + offset) "band 94.0 dB
// SPL"; a band that is not resolved reads "band - (too narrow)" or, cut off
// at half the rate, "band - (past the top)".
ReadoutText BandCursorReadout(int fraction, BandWeighting weighting, const Band& band, double levelDbfs,
                              double splOffsetDb);
