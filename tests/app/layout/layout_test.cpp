#include "app/layout/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr std::int32_t kBar = 5;
constexpr std::int32_t kLabel = 14;

TEST(Layout, DefaultWindowAtDefaultSplit) {
    const WindowLayout l = ComputeLayout(584, 441, 0.4, kBar, kLabel);
    ASSERT_TRUE(l.buildViews);
    EXPECT_EQ(l.barTop, 176);
    EXPECT_EQ(l.barBottom, 181);
    EXPECT_EQ(l.barRight, 584);
    const LayoutRect upper{16, 20, 568, 156};
    const LayoutRect lower{38, 181, 546, 260};
    const LayoutRect strip{2, 20, 12, 156};
    for (auto [got, want] : {std::pair{l.upperView, upper}, {l.lowerView, lower}, {l.colourScale, strip}}) {
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
    }
    EXPECT_EQ(l.labelX, 2);
    const std::int32_t labels[kScaleLabelCount] = {181, 242, 303, 364, 425};
    for (int i = 0; i < kScaleLabelCount; ++i) {
        EXPECT_EQ(l.labelY[i], labels[i]) << "label " << i;
    }
    // Label 4 ends within the truncation of the spacing above the view's bottom.
    const std::int32_t gap = l.lowerView.y + l.lowerView.height - (l.labelY[4] + kLabel);
    EXPECT_GE(gap, 0);
    EXPECT_LT(gap, kScaleLabelCount - 1);
}

struct HeightCase {
    const char* what;
    std::int32_t cy;
    double ratio;
    std::int32_t upperHeight;
    std::int32_t lowerHeight;
    bool ratioKept;
};

// A stored or dragged ratio never hides a view or the divider: both views keep
// a few rows, and the ratio in force lays the bar out at the same place again.
TEST(Layout, BothViewsStayVisibleWhateverTheRatio) {
    const HeightCase cases[] = {
        {"bar at 20", 100, 0.2, 5, 70, false},
        {"bar above 20", 100, 0.1, 5, 70, false},
        {"bar at 0", 441, 0.0, 5, 411, false},
        {"bar 21", 210, 0.1, 5, 180, false},
        {"bar as high as it may be", 441, 25.0 / 441, 5, 411, true},
        {"no room below", 441, 1.0, 411, 5, false},
        {"bar fills the rest", 100, 0.95, 70, 5, false},
        {"exactly one row below", 106, 1.0, 76, 5, false},
        {"client too low for both", 30, 0.4, 5, 1, true},
        {"client of zero height", 0, 0.4, 5, 1, true},
    };
    for (const HeightCase& c : cases) {
        const WindowLayout l = ComputeLayout(584, c.cy, c.ratio, kBar, kLabel);
        EXPECT_EQ(l.upperView.height, c.upperHeight) << c.what;
        EXPECT_EQ(l.colourScale.height, c.upperHeight) << c.what;
        EXPECT_EQ(l.lowerView.height, c.lowerHeight) << c.what;
        if (c.ratioKept) {
            EXPECT_EQ(l.splitRatio, c.ratio) << c.what;
        } else {
            EXPECT_GT(l.splitRatio, 0.0) << c.what;
            EXPECT_LT(l.splitRatio, 1.0) << c.what;
            EXPECT_EQ(ComputeLayout(584, c.cy, l.splitRatio, kBar, kLabel).barTop, l.barTop) << c.what;
        }
    }
}

struct WidthCase {
    std::int32_t cx;
    bool buildViews;
    std::int32_t upperWidth;
    std::int32_t lowerWidth;
};

TEST(Layout, NarrowClientsKeepPositiveWidths) {
    const WidthCase cases[] = {
        {0, false, 1, 1},   {16, false, 1, 1},  {17, true, 1, 1},  {20, true, 4, 1},
        {38, true, 22, 1}, {39, true, 23, 1}, {584, true, 568, 546},
    };
    for (const WidthCase& c : cases) {
        const WindowLayout l = ComputeLayout(c.cx, 441, 0.4, kBar, kLabel);
        EXPECT_EQ(l.buildViews, c.buildViews) << "cx " << c.cx;
        EXPECT_EQ(l.upperView.width, c.upperWidth) << "cx " << c.cx;
        EXPECT_EQ(l.lowerView.width, c.lowerWidth) << "cx " << c.cx;
        EXPECT_EQ(l.colourScale.width, kColourScaleWidthPx) << "cx " << c.cx;
    }
}

TEST(Layout, UnusableRatiosFallBackToTheDefault) {
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[] = {std::nan(""), inf, -inf, -0.5, 1.5, 1.0000001};
    const WindowLayout want = ComputeLayout(584, 441, kDefaultSplitRatio, kBar, kLabel);
    for (double r : bad) {
        EXPECT_EQ(SaneSplitRatio(r), kDefaultSplitRatio) << r;
        const WindowLayout l = ComputeLayout(584, 441, r, kBar, kLabel);
        EXPECT_EQ(l.barTop, want.barTop) << r;
        EXPECT_EQ(l.upperView.height, want.upperView.height) << r;
        EXPECT_EQ(l.lowerView.height, want.lowerView.height) << r;
    }
    for (double r : {0.0, -0.0, 0.25, 1.0}) {
        EXPECT_EQ(SaneSplitRatio(r), r);
    }
}

// At the smallest window the split in force gives the upper view room for
// its readouts and the lower one for its five labels apart; a split near an
// end asks for no more than a bounded height.
TEST(Layout, SmallestClientKeepsEveryPartReadable) {
    for (const double ratio : {0.1, 0.25, 0.4, 0.5, 0.75, 0.9}) {
        const ClientSize least = MinimumClientSize(kLabel, kBar, ratio);
        const WindowLayout l = ComputeLayout(least.width, least.height, ratio, kBar, kLabel);
        EXPECT_LE(least.height, kMostMinClientHeightPx) << ratio;
        if (least.height < kMostMinClientHeightPx) {
            EXPECT_GE(l.upperView.height, kMinReadableUpperPx) << ratio;
            EXPECT_GE(l.lowerView.height, kScaleLabelCount * kLabel) << ratio;
        }
    }
}

TEST(Layout, BarTopTruncatesTowardZero) {
    // 441 x 0.5 = 220.5 -> 220; 99 x 0.505 = 49.995 -> 49.
    EXPECT_EQ(ComputeLayout(584, 441, 0.5, kBar, kLabel).barTop, 220);
    EXPECT_EQ(ComputeLayout(584, 99, 0.505, kBar, kLabel).barTop, 49);
}

// The value-0 row follows a new view height, but never runs off to where no
// drag brings it back (a stored height of 1 beside a huge offset).
TEST(Layout, OffsetFollowsTheViewHeightWithinBounds) {
    struct Case { double offset; std::int32_t oldHeight, newHeight; double want; };
    const Case cases[] = {
        {150.0, 300, 600, 300.0},  {150.0, 0, 600, 150.0},   {150.0, -4, 600, 150.0},
        {1e300, 1, 400, kMaxOffsetPx}, {-1e300, 1, 400, -kMaxOffsetPx}, {90000.0, 1, 400, kMaxOffsetPx},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RescaledOffset(c.offset, c.oldHeight, c.newHeight), c.want) << c.offset << " " << c.oldHeight;
    }
}

}  // namespace
