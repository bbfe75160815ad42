#include "app/frame/view_zoom.h"

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

std::optional<double> DividerRatio(std::int32_t barTop, std::int32_t clientHeight) {
    if (clientHeight <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(barTop) / clientHeight;
}
