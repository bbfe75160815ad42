#include "app/frame/view_zoom.h"

#include <gtest/gtest.h>

#include "analysis/overview.h"

#include <cmath>
#include <random>

namespace {

struct WheelCase {
    double span;
    double offset;
    int delta;
    double wantSpan;
    double wantOffset;
};

TEST(ViewZoom, WheelStepsClampTheSpanAndKeepTheTopEdge) {
    const WheelCase cases[] = {
        {400, 150, -120, 370, 150.0 * 400 / 370},  // one notch towards the user
        {10, 150, -120, 2, 750},                   // negative result
        {10, 150, -40, 2, 750},                    // exactly 0 from a fine wheel
        {2, 150, -8, 2, 150},                      // exactly 0 from the floor
        {2, 150, -4, 1, 300},                      // spans between 0 and 2 stay
        {990, 150, 120, 1000, 148.5},              // ceiling
        {400, 150, 0, 400, 150},                   // nothing gathered
        {400, 150, 360, 490, 150.0 * 400 / 490},   // several notches as one step
    };
    for (const WheelCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.span << " with " << c.delta);
        const ViewZoom z = ApplyWheel({c.span, c.offset}, c.delta);
        EXPECT_DOUBLE_EQ(z.span, c.wantSpan);
        EXPECT_DOUBLE_EQ(z.offset, c.wantOffset);
    }
}

TEST(ViewZoom, ThirteenNotchesReachTenAndTheFourteenthTwo) {
    ViewZoom z{400, 150};
    for (int i = 0; i < 13; ++i) z = ApplyWheel(z, -120);
    EXPECT_DOUBLE_EQ(z.span, 10);
    z = ApplyWheel(z, -120);
    EXPECT_DOUBLE_EQ(z.span, 2);
    EXPECT_NEAR(z.offset, 150.0 * 400 / 2, 1e-9);
}

TEST(ViewZoom, RandomFineStepsStayFiniteAndPositive) {
    std::mt19937 rng(1234);
    ViewZoom z{400, 150};
    for (int i = 0; i < 1000; ++i) {
        z = ApplyWheel(z, (rng() & 1) ? 8 : -8);
        z = ApplyDrag(z, static_cast<int>(rng() % 7) - 3);
        ASSERT_TRUE(std::isfinite(z.span) && std::isfinite(z.offset)) << "step " << i;
        ASSERT_GT(z.span, 0.0);
        ASSERT_LE(z.span, kMaxSpan);
    }
}

TEST(ViewZoom, DragMovesTheOffsetOnly) {
    const ViewZoom z = ApplyDrag({400, 150}, -25);
    EXPECT_EQ(z.span, 400);
    EXPECT_EQ(z.offset, 125);
}

// The levels on screen are those of the zoom, whatever the view's height:
// a resize scales the value-0 row with the height, and a wheel step or a
// drag moves the selection's edges to where their levels now lie.
TEST(ViewZoom, LevelsStayThroughHeightsZoomAndShift) {
    struct Case {
        std::int32_t height;
        int wheel;
        int dragPx;
    };
    const Case cases[] = {
        {196, 0, 0}, {196, -120, 0}, {196, 360, -40}, {441, 0, 0}, {441, -240, 25}, {903, 120, 300}, {903, 0, -900},
    };
    const ViewZoom stored{400.0, 150.0};
    const std::int32_t storedHeight = 196;
    const SelectionBlock start{0.1, 0.1, 0.9, 0.9};
    const double topLevel = LevelAtFraction(stored, storedHeight, start.y0);
    const double bottomLevel = LevelAtFraction(stored, storedHeight, start.y1);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " px, wheel " << c.wheel << ", drag " << c.dragPx);
        const ViewZoom resized{stored.span, stored.offset / storedHeight * c.height};
        EXPECT_NEAR(LevelAtFraction(resized, c.height, 0.5), LevelAtFraction(stored, storedHeight, 0.5), 1e-9);
        const ViewZoom moved = ApplyDrag(ApplyWheel(resized, c.wheel), c.dragPx);
        SelectionBlock sel = start;
        KeepSelectionLevels(sel, resized, moved, c.height);
        EXPECT_NEAR(LevelAtFraction(moved, c.height, sel.y0), topLevel, 1e-9);
        EXPECT_NEAR(LevelAtFraction(moved, c.height, sel.y1), bottomLevel, 1e-9);
        EXPECT_EQ(sel.x0, start.x0);
        EXPECT_EQ(sel.x1, start.x1);
    }
}

TEST(ViewZoom, WaveWheelHalvesInTwoNotchesWithinBounds) {
    EXPECT_DOUBLE_EQ(ApplyWaveWheel(10000, -240), 5000);
    EXPECT_DOUBLE_EQ(ApplyWaveWheel(10000, 0), 10000);
    EXPECT_DOUBLE_EQ(ApplyWaveWheel(30000, 240), kMaxWaveHalfRange);
    EXPECT_DOUBLE_EQ(ApplyWaveWheel(12, -1200), kMinWaveHalfRange);
}

TEST(DividerRatio, LaysTheBarOutOnTheRowItWasDroppedOnUnlessTheClientHasNoHeight) {
    for (std::int32_t height = 1; height <= 1200; ++height) {
        for (std::int32_t top = 0; top < height; ++top) {
            const double ratio = *DividerRatio(top, height);
            ASSERT_EQ(static_cast<std::int32_t>(height * ratio), top) << top << " of " << height;
        }
    }
    EXPECT_FALSE(DividerRatio(176, 0).has_value());
    EXPECT_FALSE(DividerRatio(176, -3).has_value());
}

// A ten-minute file's overview 1,200 columns wide: the wheel keeps the
// sample under the pointer where it is, narrows no further than one frame
// step per column and widens no further than the file; a drag moves the
// picture with the pointer and stops at the file's ends. The pointer's
// sample lies in the engine's column under it.
TEST(OverviewSpan, WheelZoomsAroundThePointerAndDragsStayInTheFile) {
    constexpr std::uint64_t kTotal = 26460000;
    constexpr std::int32_t kWidth = 1200;
    const std::uint64_t minCount = OverviewMinCount(kTotal, kWidth, 1024);
    ASSERT_EQ(minCount, 614400u);
    const struct {
        OverviewSpan span;
        std::int32_t x;
        int wheel;
        int dragPx;
        OverviewSpan want;
    } cases[] = {
        {{0, kTotal}, 900, 120, 0, {6615000, 17640000}},             // one notch in at 75 %
        {{0, kTotal}, 900, -120, 0, {0, kTotal}},                    // out: the whole file at most
        {{1000000, 700000}, 0, 240, 0, {1000000, 614400}},           // in: one frame step per column
        {{25000000, 1000000}, 1199, -360, 0, {22626979, 3375000}},  // out near the end
        {{1000000, 1200000}, 600, 0, 120, {880000, 1200000}},        // drag right: earlier
        {{100000, 1200000}, 600, 0, 2000, {0, 1200000}},             // stops at the start
        {{25000000, 1200000}, 600, 0, -2000, {25260000, 1200000}},   // and at the end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.span.first << "+" << c.span.count << " wheel " << c.wheel << " drag "
                                        << c.dragPx);
        OverviewSpan got = ZoomOverview(c.span, kTotal, minCount, kWidth, c.x, c.wheel);
        got = ScrollOverview(got, kTotal, kWidth, c.dragPx);
        EXPECT_EQ(got.first, c.want.first);
        EXPECT_EQ(got.count, c.want.count);
        const std::uint64_t under = OverviewSampleAtX(got, kWidth, c.x);
        if (c.wheel != 0 && got.count > minCount && got.count < kTotal) {
            const double before = static_cast<double>(OverviewSampleAtX(c.span, kWidth, c.x));
            EXPECT_NEAR(static_cast<double>(under), before, static_cast<double>(got.count) / kWidth);
        }
        OverviewRequest request;
        request.sourceSamples = kTotal;
        request.firstSample = got.first;
        request.sampleCount = got.count;
        request.columns = kWidth;
        EXPECT_EQ(OverviewColumnOf(request, under - got.first), c.x);
        EXPECT_NEAR(OverviewXOfSample(got, kWidth, under), c.x, 1.0);
    }
}

}  // namespace
