// The upper view's per-frame painters: the waveform, the spectrum (or
// cepstrum) with its peak-hold line, the selection outline and the view's
// border. Each turns its data into a short point list (display/trace_points.h)
// and hands it to one or two GDI calls on the view's memory DC.
//
// Threads: the frame-loop thread, with the draw lock held. The point buffers
// belong to the caller (the frame loop's TraceBuffers); `peaks` carries the
// peak hold from frame to frame.
#pragma once

#include "display/plot_view_win.h"
#include "display/trace_points.h"

struct SpectrumTraceInput {
    const double* values;     // binCount display values
    int binCount;
    const double* log10Table; // log10 of each bin index; used on the logarithmic axis
    bool logAxis;
    double span;              // value range of the full view height (> 0)
    double offset;            // row of value 0
    bool colour;              // filled with the view's colouring picture (display/area_fill.h)
};

// Samples (raw 16-bit values as doubles), `count` of them, of which at most
// `sampleCount` are drawn, over +-halfRange of the view's height.
void DrawWaveform(Bitmaplib::PlotView& view, const double* samples, int count, int sampleCount,
                  TracePoint* points, int capacity, double halfRange = kWaveformHalfRange);

void DrawSpectrum(Bitmaplib::PlotView& view, const SpectrumTraceInput& in, TracePoint* trace, TracePoint* peaks,
                  int capacity);

// The selection block's rectangle in the selection pen.
void DrawSelection(Bitmaplib::PlotView& view);

// A one-pixel border round the whole view in the frame pen.
void DrawFrameBorder(Bitmaplib::PlotView& view);
