#include "app/layout/layout.h"

#include <algorithm>
#include <cmath>

double SaneSplitRatio(double splitRatio) {
    if (!std::isfinite(splitRatio) || splitRatio < 0.0 || splitRatio > 1.0) {
        return kDefaultSplitRatio;
    }
    return splitRatio;
}

WindowLayout ComputeLayout(std::int32_t cx, std::int32_t cy, double splitRatio, std::int32_t barThickness,
                           std::int32_t labelHeight, std::int32_t labelWidth) {
    WindowLayout l{};
    // The ratio is within [0, 1] and cy a 16-bit client height, so the
    // product always fits; the cast truncates toward zero.
    const double ratio = SaneSplitRatio(splitRatio);
    const std::int32_t asked = static_cast<std::int32_t>(static_cast<double>(cy) * ratio);
    const std::int32_t lowest = kUpperTopPx + kMinViewHeightPx;
    const std::int32_t highest = cy - barThickness - kMinViewHeightPx;
    // On a client too low for both views the upper one wins, and the ratio
    // is kept for when the window grows again.
    l.barTop = std::max(lowest, std::min(highest, asked));
    // Half a pixel into the row, so that the next layout truncates to it again.
    l.splitRatio = l.barTop == asked || highest < lowest ? ratio : (l.barTop + 0.5) / cy;
    l.buildViews = cx - kUpperViewLeftPx > 0;

    const std::int32_t upperHeight = std::max(kMinSidePx, l.barTop - kUpperTopPx);
    const std::int32_t lowerTop = l.barTop + barThickness;
    const std::int32_t lowerHeight = std::max(kMinSidePx, cy - l.barTop - barThickness);

    l.colourScale = {kColourScaleLeftPx, kUpperTopPx, kColourScaleWidthPx, upperHeight};
    l.upperView = {kUpperViewLeftPx, kUpperTopPx, std::max(kMinSidePx, cx - kUpperViewLeftPx), upperHeight};
    l.barBottom = lowerTop;
    l.barRight = cx;
    // The default geometry leaves one column between the labels and the view.
    const std::int32_t lowerLeft = std::max(kLowerViewLeftPx, kScaleLabelLeftPx + labelWidth + 1);
    l.lowerView = {lowerLeft, lowerTop, std::max(kMinSidePx, cx - lowerLeft), lowerHeight};

    // Label 0 at the lower view's top, label 4 ending at its bottom edge.
    const std::int32_t labelStep = (lowerHeight - labelHeight) / (kScaleLabelCount - 1);
    l.labelX = kScaleLabelLeftPx;
    for (int i = 0; i < kScaleLabelCount; ++i) {
        l.labelY[i] = lowerTop + i * labelStep;
    }
    return l;
}

ClientSize MinimumClientSize(std::int32_t labelHeight, std::int32_t barThickness, double splitRatio) {
    const std::int32_t upper = kUpperTopPx + kMinReadableUpperPx;
    const std::int32_t lower = barThickness + kScaleLabelCount * labelHeight;
    const double ratio = SaneSplitRatio(splitRatio);
    // The bar lies at ratio x height: each view gets its share of it.
    const double forUpper = ratio > 0.0 ? upper / ratio : kMostMinClientHeightPx;
    const double forLower = ratio < 1.0 ? lower / (1.0 - ratio) : kMostMinClientHeightPx;
    const double asked = std::min<double>(kMostMinClientHeightPx, std::ceil(std::max(forUpper, forLower)));
    return {kMinClientWidthPx, std::max(upper + lower, static_cast<std::int32_t>(asked))};
}

double RescaledOffset(double offset, std::int32_t oldHeight, std::int32_t newHeight) {
    if (oldHeight <= 0) {
        return offset;
    }
    const double rescaled = offset / oldHeight * newHeight;
    if (std::isnan(rescaled)) {
        return offset;
    }
    return std::clamp(rescaled, -kMaxOffsetPx, kMaxOffsetPx);
}
