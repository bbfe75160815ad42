#include "display/trace_points.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace {

// Folds (x, y) values into columns of two points each (largest y, then
// smallest y), one column per run of equal x.
class ColumnReducer {
public:
    ColumnReducer(TracePoint* points, int capacity) : points_(points), capacity_(capacity) {}

    // Index of the column that now holds (x, y), or -1 when a new column
    // would not fit.
    int Add(std::int32_t x, std::int32_t y) {
        if (count_ > 0 && points_[count_ - 2].x == x) {
            TracePoint& lowest = points_[count_ - 2];
            TracePoint& highest = points_[count_ - 1];
            lowest.y = std::max(lowest.y, y);
            highest.y = std::min(highest.y, y);
            return count_ / 2 - 1;
        }
        if (count_ + 2 > capacity_) {
            return -1;
        }
        points_[count_] = {x, y};
        points_[count_ + 1] = {x, y};
        count_ += 2;
        return count_ / 2 - 1;
    }

    int count() const { return count_; }

private:
    TracePoint* points_;
    int capacity_;
    int count_ = 0;
};

}  // namespace

int BuildWaveformPoints(const double* samples, int count, int width, int height, TracePoint* points,
                        int capacity, double halfRange) {
    assert(width > 0 && height > 0);
    if (count <= 0) {
        return 0;
    }
    // Single precision on purpose: it decides the rows of full-scale samples
    // (0.01 in single precision is slightly below 0.01).
    const float kx = static_cast<float>(width) / static_cast<float>(count);
    const float ky = static_cast<float>(height / (2.0 * halfRange));
    const std::int64_t mid = height / 2;
    ColumnReducer columns(points, capacity);
    for (int i = 0; i < count; ++i) {
        const std::int32_t x = truncToInt(static_cast<double>(i) * kx);
        const std::int64_t dy = truncToInt(static_cast<double>(truncToInt(samples[i])) * ky);
        const std::int64_t y = std::clamp<std::int64_t>(mid - dy, -kGdiCoordLimitPx, kGdiCoordLimitPx);
        if (columns.Add(x, static_cast<std::int32_t>(y)) < 0) {
            break;
        }
    }
    ClampForGdi(points, columns.count());
    return columns.count();
}

SpectrumPoints BuildSpectrumPoints(const double* values, int binCount, const SpectrumView& view,
                                   TracePoint* trace, TracePoint* peaks, int capacity) {
    assert(view.width > 0 && view.height > 0);
    if (binCount <= 0) {
        return {0, 0, SpectrumShape::kNothing};
    }
    const bool logAxis = view.log10Table != nullptr;
    const double ky = view.height / view.span;
    const double kx = view.width / static_cast<double>(binCount);
    const double kl = view.width / std::log10(static_cast<double>(binCount));

    ColumnReducer columns(trace, capacity);
    for (int i = 0; i < binCount; ++i) {
        std::int32_t y = truncToInt(view.offset - values[i] * ky);
        if (y > view.height) {
            y = view.height;
        }
        const std::int32_t x = logAxis ? truncToInt(view.log10Table[i] * kl) : truncToInt(i * kx);
        const int k = columns.Add(x, y);
        if (k < 0) {
            break;
        }
        peaks[k].x = x;
        peaks[k].y = std::min(peaks[k].y, y);
    }

    const int traceCount = columns.count();
    const int columnCount = traceCount / 2;
    if (logAxis && columnCount >= 2) {
        // Bin 0 (log 0) has no place on the axis and is the whole of column 0:
        // both its points become copies of the first drawn column's first point.
        trace[0] = trace[2];
        trace[1] = trace[2];
        peaks[0] = peaks[1];
    }

    SpectrumShape shape = SpectrumShape::kPolyline;
    if (view.colour) {
        trace[0].y = view.height;
        trace[traceCount - 1].y = view.height;
        // The test looks at column 1: a silent frame has every row at
        // kTruncInvalid there, and a single column has no area to fill.
        const bool audible = columnCount >= 2 && trace[2].y > kSilentFrameRowPx;
        shape = audible ? SpectrumShape::kPolygon : SpectrumShape::kNothing;
    }
    ClampForGdi(trace, traceCount);
    ClampForGdi(peaks, columnCount);
    return {traceCount, columnCount, shape};
}

void RestartPeakHold(TracePoint* peaks, int count) {
    if (count > 0) {
        std::memset(peaks, kPeakResetByte, sizeof(TracePoint) * static_cast<std::size_t>(count));
    }
}

std::array<TracePoint, 5> SelectionOutline(double selX0, double selY0, double selX1, double selY1,
                                           std::int32_t width, std::int32_t height) {
    const std::int32_t x0 = ClampForGdi(truncToInt(width * selX0));
    const std::int32_t y0 = ClampForGdi(truncToInt(height * selY0));
    const std::int32_t x1 = ClampForGdi(truncToInt(width * selX1));
    const std::int32_t y1 = ClampForGdi(truncToInt(height * selY1));
    return {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}};
}
