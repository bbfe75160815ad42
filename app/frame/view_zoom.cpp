#include "app/frame/view_zoom.h"

#include <algorithm>
#include <cmath>

ViewZoom ApplyWheel(ViewZoom zoom, std::int32_t wheelDelta) {
    if (wheelDelta == 0) {
        return zoom;
    }
    const double old = zoom.span;
    double span = old + kSpanPerWheelUnit * wheelDelta;
    // A span of exactly 0 would divide by zero here and in the drawing, and
    // the offset would then stay NaN for good (and be saved).
    if (!(span > 0.0)) {
        span = kSpanAfterCollapse;
    } else if (span > kMaxSpan) {
        span = kMaxSpan;
    }
    return {span, zoom.offset * old / span};
}

ViewZoom ApplyDrag(ViewZoom zoom, std::int32_t dragPx) { return {zoom.span, zoom.offset + dragPx}; }

double ApplyWaveWheel(double halfRange, std::int32_t wheelDelta) {
    // Half a power of two per notch of 120 units.
    const double scaled = halfRange * std::exp2(wheelDelta / 240.0);
    return std::isfinite(scaled) ? std::clamp(scaled, kMinWaveHalfRange, kMaxWaveHalfRange) : halfRange;
}

double LevelAtFraction(ViewZoom zoom, std::int32_t height, double fraction) {
    return (zoom.offset - height * fraction) * zoom.span / height;
}

double FractionOfLevel(ViewZoom zoom, std::int32_t height, double level) {
    return (zoom.offset - level * height / zoom.span) / height;
}

void KeepSelectionLevels(SelectionBlock& block, ViewZoom before, ViewZoom after, std::int32_t height) {
    if (height <= 0 || (before.span == after.span && before.offset == after.offset)) {
        return;
    }
    for (double* edge : {&block.y0, &block.y1}) {
        const double moved = FractionOfLevel(after, height, LevelAtFraction(before, height, *edge));
        if (std::isfinite(moved)) {
            *edge = moved;
        }
    }
}

std::optional<double> DividerRatio(std::int32_t barTop, std::int32_t clientHeight) {
    if (clientHeight <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(barTop) / clientHeight;
}
