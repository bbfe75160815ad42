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
    // Half a pixel into the row: the layout truncates height x ratio, and
    // top / height x height can fall just short of top.
    return (barTop + 0.5) / clientHeight;
}

std::uint64_t OverviewMinCount(std::uint64_t total, std::int32_t columns, std::int32_t frameLength) {
    const std::uint64_t hop = static_cast<std::uint64_t>(std::max(frameLength / 2, 1));
    return std::min(total, hop * static_cast<std::uint64_t>(std::max(columns, 1)));
}

OverviewSpan ClampOverviewSpan(OverviewSpan span, std::uint64_t total, std::uint64_t minCount) {
    span.count = std::clamp(span.count, std::min(std::max<std::uint64_t>(minCount, 1), total), total);
    span.first = std::min(span.first, total - span.count);
    return span;
}

std::uint64_t OverviewSampleAtX(OverviewSpan span, std::int32_t width, std::int32_t x) {
    if (width <= 0) return span.first;
    const auto column = static_cast<std::uint64_t>(std::clamp(x, 0, width));
    // The first sample whose column is x: ceil(x count / width), as the
    // engine's columns are cut. count x column stays in 64 bits for any
    // file of up to 2^48 samples.
    const auto w = static_cast<std::uint64_t>(width);
    return span.first + (span.count * column + w - 1) / w;
}

double OverviewXOfSample(OverviewSpan span, std::int32_t width, std::uint64_t sample) {
    if (span.count == 0) return 0.0;
    return (static_cast<double>(sample) - static_cast<double>(span.first)) * width / static_cast<double>(span.count);
}

OverviewSpan ZoomOverview(OverviewSpan span, std::uint64_t total, std::uint64_t minCount, std::int32_t width,
                          std::int32_t x, std::int32_t wheelDelta) {
    if (width <= 0 || wheelDelta == 0 || total == 0) return ClampOverviewSpan(span, total, minCount);
    const double anchor = static_cast<double>(span.first) + static_cast<double>(span.count) * x / width;
    const double factor = std::pow(kOverviewZoomPerNotch, -static_cast<double>(wheelDelta) / 120.0);
    const double count = std::clamp(static_cast<double>(span.count) * factor, 1.0, static_cast<double>(total));
    OverviewSpan zoomed;
    zoomed.count = static_cast<std::uint64_t>(std::llround(count));
    zoomed = ClampOverviewSpan(zoomed, total, minCount);
    const double first = anchor - static_cast<double>(zoomed.count) * x / width;
    zoomed.first = first > 0.0 ? static_cast<std::uint64_t>(std::llround(first)) : 0;
    return ClampOverviewSpan(zoomed, total, minCount);
}

OverviewSpan ScrollOverview(OverviewSpan span, std::uint64_t total, std::int32_t width, std::int32_t dragPx) {
    if (width <= 0 || dragPx == 0 || span.count > total) return span;
    const double shift = static_cast<double>(span.count) * dragPx / width;
    const double first = static_cast<double>(span.first) - shift;
    span.first = first > 0.0 ? static_cast<std::uint64_t>(std::llround(first)) : 0;
    span.first = std::min(span.first, total - span.count);
    return span;
}

OverviewSpan ShowInOverview(OverviewSpan span, std::uint64_t total, std::uint64_t sample) {
    if (span.count > total) return span;
    const std::uint64_t margin = span.count / 10;
    if (sample < span.first) {
        span.first = sample > margin ? sample - margin : 0;
    } else if (sample >= span.first + span.count) {
        span.first = sample + margin - span.count + 1;
    }
    span.first = std::min(span.first, total - span.count);
    return span;
}
