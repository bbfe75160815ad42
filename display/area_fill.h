// The coloured area under the spectrum, filled by copying pixels.
//
// The area is the polygon through the trace points (display/trace_points.h:
// two per column, the first and last on the bottom row) closed along the
// bottom row. x never decreases along the trace, so in every pixel column the
// area runs from one top row down to the bottom of the view; each such column
// segment is copied from the colouring picture into the surface, which puts
// the same pixels there as a polygon filled with a pattern brush made from
// that picture. Between two trace columns more than one pixel apart the top
// follows the straight edge between them: the first row whose pixel centre
// lies on or below it. The outline is not drawn here (the caller draws it
// with the spectrum pen through the same points).
//
// Surfaces: display/surface.h (32-bit pixels, rows stored bottom-up). Both
// have the same size and stride. Threads: whoever draws into the surface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/pixel_coord.h"
#include "display/trace_points.h"

struct AreaFillTarget {
    std::uint8_t* surface;         // pixels written
    const std::uint8_t* pattern;   // the colouring picture, read
    std::int32_t width;
    std::int32_t height;
    std::ptrdiff_t stride;         // bytes per row of both
};

// Copies the pattern's pixels under the x-monotone trace of `count` points
// into the surface. Parts of the area outside the view are skipped.
void FillUnderTrace(const TracePoint* trace, int count, const AreaFillTarget& target);

// The spectrum's filled area as the painter draws it: filled only when the
// points are a polygon (colouring on and the frame not silent). Returns
// whether anything was filled.
bool FillSpectrumArea(const TracePoint* trace, const SpectrumPoints& points, const AreaFillTarget& target);
