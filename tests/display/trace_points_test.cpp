#include "display/trace_points.h"

#include "display/area_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr int kCapacity = 65536;
constexpr double kMinusInf = -std::numeric_limits<double>::infinity();

struct Buffers {
    std::vector<TracePoint> trace = std::vector<TracePoint>(kCapacity);
    std::vector<TracePoint> peaks = std::vector<TracePoint>(kCapacity);
    Buffers() { ResetPeaks(); }
    void ResetPeaks() { std::memset(peaks.data(), kPeakResetByte, peaks.size() * sizeof(TracePoint)); }
};

std::vector<double> Log10Table(int n) {
    std::vector<double> t(n);
    for (int i = 0; i < n; ++i) t[i] = std::log10(static_cast<double>(i));
    return t;
}

std::vector<double> RandomLevels(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> level(-50.0, 250.0);
    std::vector<double> v(n);
    for (double& x : v) x = level(rng);
    return v;
}

SpectrumView Linear(int w, int h, bool colour = false) { return {w, h, 400.0, 150.0, nullptr, colour}; }

TEST(SpectrumPoints, LinearAxisReducesToTwoPointsPerColumn) {
    struct Case {
        int bins;
        int width;
        int wantColumns;
    };
    const Case cases[] = {{512, 600, 512}, {16384, 500, 500}, {2048, 1000, 1000}, {1024, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bins << " bins on " << c.width);
        Buffers b;
        const std::vector<double> v = RandomLevels(c.bins, 7);
        const SpectrumView view = Linear(c.width, 300);
        const SpectrumPoints r = BuildSpectrumPoints(v.data(), c.bins, view, b.trace.data(), b.peaks.data(), kCapacity);
        ASSERT_EQ(r.traceCount, 2 * c.wantColumns);
        ASSERT_EQ(r.peakCount, c.wantColumns);
        EXPECT_EQ(r.shape, SpectrumShape::kPolyline);
        // Recompute each column's extent from the values themselves.
        const double ky = 300 / 400.0;
        const double kx = c.width / static_cast<double>(c.bins);
        int k = -1;
        int lastX = -1;
        std::vector<int> lo(c.wantColumns, INT32_MAX), hi(c.wantColumns, INT32_MIN);
        for (int i = 0; i < c.bins; ++i) {
            const int x = static_cast<int>(i * kx);
            if (x != lastX) ++k, lastX = x;
            const int y = std::min(static_cast<int>(150.0 - v[i] * ky), 300);
            lo[k] = std::min(lo[k], y);
            hi[k] = std::max(hi[k], y);
        }
        for (int col = 0; col < c.wantColumns; ++col) {
            ASSERT_EQ(b.trace[2 * col].x, b.trace[2 * col + 1].x);
            ASSERT_EQ(b.trace[2 * col].y, hi[col]) << "column " << col;
            ASSERT_EQ(b.trace[2 * col + 1].y, lo[col]) << "column " << col;
            ASSERT_EQ(b.peaks[col].y, lo[col]);
            ASSERT_EQ(b.peaks[col].x, b.trace[2 * col].x);
        }
        if (c.bins <= c.width) {
            for (int col = 0; col < c.wantColumns; ++col) {
                ASSERT_EQ(b.trace[2 * col].y, b.trace[2 * col + 1].y);
            }
        }
    }
}

TEST(SpectrumPoints, RowsBelowTheViewSitOnTheBottomRowAndHugeOnesAreClamped) {
    Buffers b;
    const double values[] = {-1e6, 1e300, kMinusInf, 0.0};
    BuildSpectrumPoints(values, 4, Linear(4, 200), b.trace.data(), b.peaks.data(), kCapacity);
    EXPECT_EQ(b.trace[0].y, 200);                 // far below: bottom row H, not H - 1
    EXPECT_EQ(b.trace[2].y, -kGdiCoordLimitPx);   // far above: clamped for the graphics layer
    EXPECT_EQ(b.trace[4].y, -kGdiCoordLimitPx);   // -inf level (zero magnitude)
    EXPECT_EQ(b.trace[6].y, 150);                 // value 0 on the offset row
}

TEST(SpectrumPoints, LogAxisPutsBinOneAtTheLeftEdgeAndReplacesBinZero) {
    constexpr int kBins = 2048;
    constexpr int kWidth = 1000;
    Buffers b;
    const std::vector<double> table = Log10Table(kBins);
    const std::vector<double> v = RandomLevels(kBins, 11);
    const SpectrumView view{kWidth, 300, 400.0, 150.0, table.data(), false};
    const SpectrumPoints r = BuildSpectrumPoints(v.data(), kBins, view, b.trace.data(), b.peaks.data(), kCapacity);
    ASSERT_GE(r.peakCount, 3);
    EXPECT_EQ(b.trace[2].x, 0);  // bin 1 is the leftmost drawn value
    EXPECT_EQ(b.trace[0].x, b.trace[2].x);
    EXPECT_EQ(b.trace[0].y, b.trace[2].y);
    EXPECT_EQ(b.trace[1].x, b.trace[2].x);
    EXPECT_EQ(b.trace[1].y, b.trace[2].y);
    EXPECT_EQ(b.peaks[0].x, b.peaks[1].x);
    EXPECT_EQ(b.peaks[0].y, b.peaks[1].y);
    // One decade below the top lies at 1 - 1 / log10(2048) of the width:
    // bins from 205 on share the right 30 %.
    const int decadeX = static_cast<int>(kWidth * (1.0 - 1.0 / std::log10(2048.0)));
    EXPECT_EQ(decadeX, 698);
    int firstColumnOf205 = -1;
    for (int i = 0; i < r.traceCount; i += 2) {
        if (b.trace[i].x >= decadeX) {
            firstColumnOf205 = i;
            break;
        }
    }
    ASSERT_GE(firstColumnOf205, 0);
    EXPECT_EQ(b.trace[firstColumnOf205].x, static_cast<int>(std::log10(205.0) * kWidth / std::log10(2048.0)));
    EXPECT_LT(static_cast<int>(std::log10(204.0) * kWidth / std::log10(2048.0)), decadeX);
    EXPECT_EQ(b.trace[r.traceCount - 1].x, kWidth - 1);  // the last bin just left of the right edge
}

TEST(SpectrumPoints, ColouringClosesTheAreaOnTheBottomEdgeUnlessTheFrameIsSilent) {
    struct Case {
        const char* name;
        bool silent;
        bool log;
        SpectrumShape want;
    };
    const Case cases[] = {
        {"linear, sound", false, false, SpectrumShape::kPolygon},
        {"linear, silent", true, false, SpectrumShape::kNothing},
        {"log, sound", false, true, SpectrumShape::kPolygon},
        {"log, silent", true, true, SpectrumShape::kNothing},
    };
    constexpr int kBins = 1024;
    const std::vector<double> table = Log10Table(kBins);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Buffers b;
        const std::vector<double> v = c.silent ? std::vector<double>(kBins, kMinusInf) : RandomLevels(kBins, 3);
        const SpectrumView view{600, 200, 400.0, 150.0, c.log ? table.data() : nullptr, true};
        const SpectrumPoints r = BuildSpectrumPoints(v.data(), kBins, view, b.trace.data(), b.peaks.data(), kCapacity);
        EXPECT_EQ(r.shape, c.want);
        EXPECT_EQ(b.trace[0].y, 200);
        EXPECT_EQ(b.trace[r.traceCount - 1].y, 200);
        // The peak line is drawn in every case, and nothing handed on is huge.
        EXPECT_GT(r.peakCount, 0);
        for (int i = 0; i < r.traceCount; ++i) ASSERT_GE(b.trace[i].y, -kGdiCoordLimitPx);
        for (int i = 0; i < r.peakCount; ++i) ASSERT_GE(b.peaks[i].y, -kGdiCoordLimitPx);
    }
}

TEST(SpectrumPoints, PeakLineHoldsTheHighestRowUntilReset) {
    Buffers b;
    const SpectrumView view = Linear(8, 200);
    const std::vector<double> loud(8, 100.0);   // row 150 - 50 = 100
    const std::vector<double> quiet(8, 20.0);   // row 140
    BuildSpectrumPoints(loud.data(), 8, view, b.trace.data(), b.peaks.data(), kCapacity);
    BuildSpectrumPoints(quiet.data(), 8, view, b.trace.data(), b.peaks.data(), kCapacity);
    EXPECT_EQ(b.peaks[3].y, 100);
    EXPECT_EQ(b.trace[6].y, 140);
    b.ResetPeaks();
    BuildSpectrumPoints(quiet.data(), 8, view, b.trace.data(), b.peaks.data(), kCapacity);
    EXPECT_EQ(b.peaks[3].y, 140);
}

TEST(SpectrumPoints, StopsAtTheBufferCapacity) {
    Buffers b;
    const std::vector<double> v = RandomLevels(512, 5);
    const SpectrumPoints r = BuildSpectrumPoints(v.data(), 512, Linear(600, 200), b.trace.data(), b.peaks.data(), 16);
    EXPECT_EQ(r.traceCount, 16);
    EXPECT_EQ(r.peakCount, 8);
}

TEST(WaveformPoints, RowsAndColumns) {
    struct Case {
        double sample;
        int height;
        int wantRow;
    };
    const Case cases[] = {
        {0.0, 200, 100},  {0.0, 201, 100},   {10000.0, 200, 1}, {-10000.0, 200, 199},
        {32768.0, 200, -227}, {12.9, 200, 100}, {-0.9, 200, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sample << " on " << c.height);
        std::vector<TracePoint> pts(4);
        const double s[] = {c.sample};
        ASSERT_EQ(BuildWaveformPoints(s, 1, 300, c.height, pts.data(), 4), 2);
        EXPECT_EQ(pts[0].y, c.wantRow);
        EXPECT_EQ(pts[1].y, c.wantRow);
        // Zoomed to +-32,768, a full-scale sample just reaches the edge.
        ASSERT_EQ(BuildWaveformPoints(s, 1, 300, c.height, pts.data(), 4, 32768.0), 2);
        EXPECT_EQ(pts[0].y, c.height / 2 - static_cast<int>(static_cast<int>(c.sample) * (c.height / 65536.0f)));
    }
}

TEST(WaveformPoints, ManySamplesReduceToTheViewWidth) {
    constexpr int kCount = 16384;
    std::vector<double> s(kCount);
    for (int i = 0; i < kCount; ++i) s[i] = 8000.0 * std::sin(i * 0.05);
    std::vector<TracePoint> pts(kCapacity);
    const int n = BuildWaveformPoints(s.data(), kCount, 500, 200, pts.data(), kCapacity);
    ASSERT_EQ(n, 1000);
    for (int k = 0; k < 500; ++k) {
        ASSERT_EQ(pts[2 * k].x, k);
        ASSERT_GE(pts[2 * k].y, pts[2 * k + 1].y);
    }
    // Non-finite samples never reach the graphics layer unclamped.
    s[0] = std::numeric_limits<double>::quiet_NaN();
    BuildWaveformPoints(s.data(), kCount, 500, 200, pts.data(), kCapacity);
    EXPECT_GE(pts[1].y, -kGdiCoordLimitPx);
}

TEST(SelectionOutline, RunsRoundTheRectangleAndCloses) {
    const auto o = SelectionOutline(0.1, 0.1, 0.9, 0.9, 500, 200);
    const TracePoint want[5] = {{50, 20}, {450, 20}, {450, 180}, {50, 180}, {50, 20}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(o[i].x, want[i].x) << i;
        EXPECT_EQ(o[i].y, want[i].y) << i;
    }
    const auto reversed = SelectionOutline(1.0, 1.0, 0.0, 0.0, 500, 200);
    EXPECT_EQ(reversed[0].x, 500);
    EXPECT_EQ(reversed[2].y, 0);
}

}  // namespace

// The column fill of the coloured area against a plain scan-line fill of the
// polygon the trace points describe (closed along the bottom row): the same
// pixels everywhere except within one pixel of the outline, which the
// spectrum pen draws over. Each pixel filled holds the pattern's own pixel.
std::vector<bool> ScanLineFill(const TracePoint* p, int count, int w, int h) {
    std::vector<bool> inside(static_cast<std::size_t>(w) * h, false);
    for (int y = 0; y < h; ++y) {
        std::vector<double> xs;
        for (int i = 0; i < count; ++i) {
            const TracePoint a = p[i];
            const TracePoint b = p[(i + 1) % count];
            if (a.y == b.y || y < std::min(a.y, b.y) || y >= std::max(a.y, b.y)) continue;
            xs.push_back(a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            for (int x = std::max(0, static_cast<int>(std::ceil(xs[k]))); x <= std::min(w - 1.0, std::floor(xs[k + 1]));
                 ++x) {
                inside[static_cast<std::size_t>(y) * w + x] = true;
            }
        }
    }
    return inside;
}

// Pixels within one pixel of the polyline through the points.
std::vector<bool> NearOutline(const TracePoint* p, int count, int w, int h) {
    std::vector<bool> near(static_cast<std::size_t>(w) * h, false);
    for (int i = 0; i + 1 < count; ++i) {
        double ax = p[i].x, ay = p[i].y, bx = p[i + 1].x, by = p[i + 1].y;
        // Only the part between rows -2 and h + 2 matters.
        if (ay != by) {
            const double t0 = std::clamp((-2.0 - ay) / (by - ay), 0.0, 1.0);
            const double t1 = std::clamp((h + 2.0 - ay) / (by - ay), 0.0, 1.0);
            const double lo = std::min(t0, t1), hi = std::max(t0, t1);
            const double cx = ax + lo * (bx - ax), cy = ay + lo * (by - ay);
            bx = ax + hi * (bx - ax), by = ay + hi * (by - ay);
            ax = cx, ay = cy;
        }
        const int steps = 2 * static_cast<int>(std::max(std::abs(bx - ax), std::abs(by - ay))) + 1;
        for (int s = 0; s <= steps; ++s) {
            const int x = static_cast<int>(std::lround(ax + (bx - ax) * s / steps));
            const int y = static_cast<int>(std::lround(ay + (by - ay) * s / steps));
            for (int yy = y - 1; yy <= y + 1; ++yy)
                for (int xx = x - 1; xx <= x + 1; ++xx)
                    if (xx >= 0 && xx < w && yy >= 0 && yy < h) near[static_cast<std::size_t>(yy) * w + xx] = true;
        }
    }
    return near;
}

TEST(AreaFill, MatchesTheScanLineFillOfThePolygonInsideTheOutline) {
    struct Case {
        const char* name;
        int bins;
        bool log;
        int levels;  // 0 random in the view, 1 above and below the view as well, 2 silent
    };
    const Case cases[] = {
        {"linear, several bins per column", 2048, false, 0},
        {"linear, one bin per column, gaps of one pixel", 512, false, 0},
        {"log, 1,024 points, wide gaps at the left", 512, true, 0},
        {"log, 1,024 bins", 1024, true, 0},
        {"linear, rows above and below the view", 300, false, 1},
        {"log, rows above and below the view", 1024, true, 1},
        {"silent frame", 1024, true, 2},
    };
    constexpr int kW = 1000;
    constexpr int kH = 80;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> table = Log10Table(c.bins);
        std::vector<double> v = RandomLevels(c.bins, 11);
        for (std::size_t i = 0; i < v.size(); ++i) {
            // Bin 1 stays in the view: a trace that starts far above it counts as silent.
            if (c.levels == 1 && i > 1 && i % 3 == 1) v[i] = (i % 2 ? 1e9 : -1e9);
            if (c.levels == 2) v[i] = kMinusInf;
        }
        Buffers b;
        const SpectrumView view{kW, kH, 400.0, 60.0, c.log ? table.data() : nullptr, true};
        const SpectrumPoints r = BuildSpectrumPoints(v.data(), c.bins, view, b.trace.data(), b.peaks.data(), kCapacity);

        std::vector<std::uint32_t> surface(kW * kH, 0);
        std::vector<std::uint32_t> pattern(kW * kH);
        for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint32_t>(i) + 1;
        const AreaFillTarget target{reinterpret_cast<std::uint8_t*>(surface.data()),
                                    reinterpret_cast<const std::uint8_t*>(pattern.data()), kW, kH, kW * 4};
        const bool filled = FillSpectrumArea(b.trace.data(), r, target);
        EXPECT_EQ(filled, c.levels != 2);

        const std::vector<bool> want = filled ? ScanLineFill(b.trace.data(), r.traceCount, kW, kH)
                                              : std::vector<bool>(kW * kH, false);
        const std::vector<bool> near = NearOutline(b.trace.data(), r.traceCount, kW, kH);
        int wrongInside = 0, inArea = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const std::size_t memory = static_cast<std::size_t>(kH - 1 - y) * kW + x;  // rows bottom-up
                const std::uint32_t got = surface[memory];
                ASSERT_TRUE(got == 0 || got == pattern[memory]) << x << ", " << y;
                const bool in = got != 0;
                inArea += in;
                if (!near[static_cast<std::size_t>(y) * kW + x] && in != want[static_cast<std::size_t>(y) * kW + x]) {
                    ++wrongInside;
                    ADD_FAILURE() << "pixel " << x << ", " << y << (in ? " filled" : " left empty");
                    if (wrongInside > 5) return;
                }
            }
        }
        if (filled) {
            EXPECT_GT(inArea, kW * kH / 10);
        }
    }
}
