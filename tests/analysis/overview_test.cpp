#include "analysis/overview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A steady quiet tone with one click of `clickSamples` full-scale samples at `clickAt`.
std::vector<double> ToneWithClick(std::size_t length, std::size_t clickAt, std::size_t clickSamples) {
    std::vector<double> x(length);
    for (std::size_t i = 0; i < length; ++i) x[i] = 300.0 * std::sin(0.05 * static_cast<double>(i));
    for (std::size_t i = clickAt; i < std::min(length, clickAt + clickSamples); ++i) x[i] = (i % 2 ? 30000.0 : -30000.0);
    return x;
}

// Where a short click lands and how strong it stays: the column that holds
// its time shows it at the level of the strongest frame of the whole range
// (a one-column overview), however many frames the column spans, whichever
// thread computes it, and in a zoomed range as well; its neighbours far off
// do not. The Welch spectrum counts every frame once, whatever the split.
TEST(Overview, ColumnKeepsTheClickAtItsTime) {
    const struct {
        std::size_t length;
        std::uint64_t first;  // the range shown
        std::uint64_t count;
        std::size_t clickAt;
        std::int32_t columns;
        std::int32_t frameLength;
        int threads;
    } cases[] = {
        {441000, 0, 441000, 123457, 100, 1024, 1},
        {441000, 0, 441000, 123457, 100, 1024, 3},
        {441000, 0, 441000, 440500, 1200, 1024, 2},    // in the last, zero-padded frame
        {441000, 0, 441000, 100, 7, 4096, 2},          // in the first frame
        {441000, 200000, 20000, 210000, 300, 1024, 2}, // zoomed: fewer frames than columns
        {5000, 0, 5000, 2500, 1, 1024, 1},
    };
    for (const auto& c : cases) {
        const std::vector<double> x = ToneWithClick(c.length, c.clickAt, 220);
        const OverviewFetch fetch = [&x](std::uint64_t first, std::size_t count, double* out) {
            std::copy_n(x.begin() + static_cast<std::ptrdiff_t>(first), count, out);
            return true;
        };
        OverviewRequest request;
        request.sourceSamples = c.length;
        request.firstSample = c.first;
        request.sampleCount = c.count;
        request.columns = c.columns;
        request.frameLength = c.frameLength;
        request.threads = c.threads;
        request.averaged = true;
        const Overview overview = ComputeOverview(request, fetch);
        ASSERT_TRUE(overview.complete);
        EXPECT_EQ(overview.frames, OverviewFrameCount(request));

        OverviewRequest whole = request;
        whole.columns = 1;
        whole.threads = 1;
        const Overview one = ComputeOverview(whole, fetch);
        const std::int32_t bins = overview.bins;
        const std::int32_t high = bins * 3 / 4;  // far above the tone: the click alone
        const std::int32_t column = OverviewColumnOf(request, c.clickAt - c.first);
        EXPECT_EQ(overview.peak[static_cast<std::size_t>(column) * bins + high], one.peak[high]) << c.clickAt;
        if (c.columns >= 100) {
            const std::int32_t away = column < c.columns / 2 ? c.columns - 1 : 0;
            EXPECT_LT(overview.peak[static_cast<std::size_t>(away) * bins + high], 1e-4f * one.peak[high]);
        }
        for (std::int32_t b = 0; b < bins; ++b) {
            EXPECT_NEAR(overview.welch[b], one.welch[b], 1e-9 * one.welch[b] + 1e-9) << b;
        }
    }
}

// Samples to columns and back, for a file of minutes and one of 4 GiB: the
// first sample of each column maps to it, the one before it to the column before.
TEST(Overview, ColumnsCoverTheRangeInOrder) {
    const struct {
        std::uint64_t count;
        std::int32_t columns;
        std::int32_t column;
        std::uint64_t start;
    } cases[] = {
        {441000, 1200, 1, 368},
        {441000, 1200, 1199, 440633},
        {26460000, 1200, 600, 13230000},
        {3000000000ull, 1200, 1199, 2997500000ull},
    };
    for (const auto& c : cases) {
        OverviewRequest r;
        r.sourceSamples = c.count;
        r.sampleCount = c.count;
        r.columns = c.columns;
        EXPECT_EQ(OverviewColumnStart(r, c.column), c.start);
        if (c.start < c.count) {
            EXPECT_EQ(OverviewColumnOf(r, c.start), c.column);
        }
        EXPECT_EQ(OverviewColumnOf(r, c.start - 1), c.column - 1);
        EXPECT_EQ(OverviewColumnOf(r, c.count), c.columns - 1);
        EXPECT_EQ(OverviewColumnStart(r, c.columns), c.count);
    }
}

}  // namespace
