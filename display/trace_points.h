// The point lists of the upper view's traces: waveform, spectrum (or
// cepstrum) with its peak-hold line, and the selection outline.
//
// Every list is reduced to at most two points per pixel column, so what the
// graphics layer receives is bounded by the view's width, not by the frame
// length. Coordinates are view pixels (x right, y down, origin top-left); the
// returned lists are already clamped to +-kGdiCoordLimitPx.
//
// Column reduction: values are visited in index order, and consecutive values
// with the same x form one column. Column k gets two points: entry 2k holds
// the column's largest y, entry 2k + 1 its smallest, so the polyline runs
// down and up through every column before it moves on.
//
// Threads: called by the frame loop inside the draw lock. The point buffers
// (TraceBuffers) belong to the frame loop and only its thread touches them:
// it restarts the peak line (every byte 0x55) when the view changes and when
// the status loop asks for the two-second restart.
#pragma once

#include <array>
#include <cstdint>

#include "base/pixel_coord.h"

// Capacity of each point buffer: two points per column of a view up to
// 32,767 pixels wide.
inline constexpr std::int32_t kPointCapacity = 65536;

// The point buffers of the upper view's traces, kept from frame to frame
// (the peak line carries the hold). About 1.5 MiB: keep it on the heap.
struct TraceBuffers {
    TracePoint wave[kPointCapacity];
    TracePoint trace[kPointCapacity];
    TracePoint peak[kPointCapacity];
};

// The sample value at the top edge of the waveform view (its negative lies
// at the bottom edge) until the wheel zooms it.
inline constexpr double kWaveformHalfRange = 10000.0;
// A trace whose first point after the left edge lies this far above the view
// is a silent frame: the coloured area is not drawn.
inline constexpr std::int32_t kSilentFrameRowPx = -1000000;

// Waveform of `count` samples (raw 16-bit values as doubles) on a
// width x height view spanning +-halfRange: sample i at
// x = trunc(i x width / count), row height / 2 - trunc(trunc(sample) x height
// / (2 halfRange)); positive samples lie above the centre line. Both factors
// are held in single precision, as the display has always drawn them. Writes
// at most `capacity` points and returns how many (two per column).
int BuildWaveformPoints(const double* samples, int count, int width, int height, TracePoint* points,
                        int capacity, double halfRange = kWaveformHalfRange);

// How the spectrum's points are to be drawn.
enum class SpectrumShape {
    kPolyline,  // an outline through the trace points
    kPolygon,   // a filled area; the first and last points lie on the bottom row
    kNothing,   // coloured, but a silent frame: only the peak line is drawn
};

struct SpectrumView {
    std::int32_t width;
    std::int32_t height;
    double span;    // value range of the full view height (> 0)
    double offset;  // row of value 0
    // log10 of each bin index (entry 0 is -infinity) for the logarithmic
    // axis, or null for the linear one.
    const double* log10Table;
    bool colour;  // filled, coloured area instead of an outline
};

struct SpectrumPoints {
    int traceCount;  // points in the trace list (two per column)
    int peakCount;   // points in the peak list (one per column)
    SpectrumShape shape;
};

// Spectrum of `binCount` display values (levels, or the cepstrum): bin k at
// x = trunc(k x width / binCount), or trunc(log10 k x width / log10 binCount)
// on the logarithmic axis, where bin 0 has no place and takes the position and
// levels of the first drawn column; value v at row trunc(offset - v x height /
// span), no lower than the bottom row `height` (nothing limits it upwards).
// `peaks` keeps, per column, the smallest row seen since its last reset and is
// updated here. Buffers hold `capacity` points each.
SpectrumPoints BuildSpectrumPoints(const double* values, int binCount, const SpectrumView& view,
                                   TracePoint* trace, TracePoint* peaks, int capacity);

// Byte written over the peak buffer to restart the hold:
// every coordinate becomes 0x55555555, far below any view.
inline constexpr unsigned char kPeakResetByte = 0x55;

// Restarts the peak-hold line in `peaks[0 .. count)`: the next frame's values
// replace it.
void RestartPeakHold(TracePoint* peaks, int count);

// The selection rectangle's outline, closed, for selection fractions of a
// width x height view: (x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0) with
// x = trunc(width x fraction) and y = trunc(height x fraction).
std::array<TracePoint, 5> SelectionOutline(double selX0, double selY0, double selX1, double selY1,
                                           std::int32_t width, std::int32_t height);
