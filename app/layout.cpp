#include "app/layout.h"

#include <algorithm>
#include <cmath>

double SaneSplitRatio(double splitRatio) {
    if (!std::isfinite(splitRatio) || splitRatio < 0.0 || splitRatio > 1.0) {
        return kDefaultSplitRatio;
    }
    return splitRatio;
}

WindowLayout ComputeLayout(std::int32_t cx, std::int32_t cy, double splitRatio, std::int32_t barThickness,
                           std::int32_t labelHeight) {
    WindowLayout l{};
    // The ratio is within [0, 1] and cy a 16-bit client height, so the
    // product always fits; the cast truncates toward zero.
    l.barTop = static_cast<std::int32_t>(static_cast<double>(cy) * SaneSplitRatio(splitRatio));
    l.buildViews = cx - kUpperViewLeftPx > 0;

    const std::int32_t upperHeight = std::max(kMinSidePx, l.barTop - kUpperTopPx);
    const std::int32_t lowerTop = l.barTop + barThickness;
    const std::int32_t lowerHeight = std::max(kMinSidePx, cy - l.barTop - barThickness);

    l.colorScale = {kColorScaleLeftPx, kUpperTopPx, kColorScaleWidthPx, upperHeight};
    l.upperView = {kUpperViewLeftPx, kUpperTopPx, std::max(kMinSidePx, cx - kUpperViewLeftPx), upperHeight};
    l.barBottom = lowerTop;
    l.barRight = cx;
    l.lowerView = {kLowerViewLeftPx, lowerTop, std::max(kMinSidePx, cx - kLowerViewLeftPx), lowerHeight};

    // Label 0 at the lower view's top, label 4 ending at its bottom edge.
    const std::int32_t labelStep = (lowerHeight - labelHeight) / (kScaleLabelCount - 1);
    l.labelX = kScaleLabelLeftPx;
    for (int i = 0; i < kScaleLabelCount; ++i) {
        l.labelY[i] = lowerTop + i * labelStep;
    }
    return l;
}
