#include "display/trace_painters_win.h"

#include <algorithm>
#include <cstddef>

#include "display/area_fill.h"

namespace {

static_assert(sizeof(TracePoint) == sizeof(POINT) && offsetof(POINT, x) == offsetof(TracePoint, x) &&
              offsetof(POINT, y) == offsetof(TracePoint, y));

const POINT* AsPoints(const TracePoint* p) { return reinterpret_cast<const POINT*>(p); }

void PolylineWith(HDC dc, HPEN pen, const TracePoint* points, int count) {
    if (count < 2) {
        return;
    }
    gdi::Selected selectedPen(dc, pen);
    Polyline(dc, AsPoints(points), count);
}

}  // namespace

void DrawWaveform(Bitmaplib::PlotView& view, const double* samples, int count, int sampleCount,
                  TracePoint* points, int capacity, double halfRange) {
    if (view.Width() <= 0 || view.Height() <= 0) {
        return;
    }
    const int drawn = std::min(count, sampleCount);
    const int n = BuildWaveformPoints(samples, drawn, view.Width(), view.Height(), points, capacity, halfRange);
    PolylineWith(view.MemoryDc(), view.Pen(Bitmaplib::ViewPen::kWave), points, n);
}

void DrawSpectrum(Bitmaplib::PlotView& view, const SpectrumTraceInput& in, TracePoint* trace, TracePoint* peaks,
                  int capacity) {
    if (view.Width() <= 0 || view.Height() <= 0) {
        return;
    }
    const SpectrumView geometry{view.Width(), view.Height(), in.span, in.offset,
                                in.logAxis ? in.log10Table : nullptr, in.colour};
    const SpectrumPoints r = BuildSpectrumPoints(in.values, in.binCount, geometry, trace, peaks, capacity);
    HDC dc = view.MemoryDc();
    PolylineWith(dc, view.Pen(Bitmaplib::ViewPen::kEnvelope), peaks, r.peakCount);
    switch (r.shape) {
    case SpectrumShape::kPolyline:
        PolylineWith(dc, view.Pen(Bitmaplib::ViewPen::kSpectrum), trace, r.traceCount);
        break;
    case SpectrumShape::kPolygon: {
        // The colouring picture copied under the trace, then its outline: the
        // picture a polygon filled with the colouring brush would leave.
        const Bitmaplib::SurfacePixels surface = view.Surface();
        const Bitmaplib::SurfacePixels pattern = view.Pattern();
        if (surface.bits && pattern.bits) {
            GdiFlush();
            FillSpectrumArea(trace, r, {surface.bits, pattern.bits, surface.width, surface.height, surface.stride});
        }
        PolylineWith(dc, view.Pen(Bitmaplib::ViewPen::kSpectrum), trace, r.traceCount);
        break;
    }
    case SpectrumShape::kNothing:
        break;
    }
}

void DrawSelection(Bitmaplib::PlotView& view) {
    const SelectionBlock sel = view.Selection();
    const auto outline = SelectionOutline(sel.x0, sel.y0, sel.x1, sel.y1, view.Width(), view.Height());
    PolylineWith(view.MemoryDc(), view.Pen(Bitmaplib::ViewPen::kSelection), outline.data(),
                 static_cast<int>(outline.size()));
}

void DrawFrameBorder(Bitmaplib::PlotView& view) {
    const int w = view.Width();
    const int h = view.Height();
    const TracePoint border[] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
    PolylineWith(view.MemoryDc(), view.Pen(Bitmaplib::ViewPen::kFrame), border, 5);
}
