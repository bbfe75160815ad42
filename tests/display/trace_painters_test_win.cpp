// The trace painters and the axes painter drawing into a real plot view: the
// pixels they leave on its surface.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "display/axes_painter_win.h"
#include "display/plot_view_win.h"
#include "display/trace_painters_win.h"
#include "support/test_parent.h"

namespace {

constexpr int kCapacity = 65536;

// COLORREF values of the pens, as the surface stores them (blue, green, red).
struct Rgb {
    std::uint8_t r, g, b;
};
constexpr Rgb kSpectrumPen{0x32, 0xFF, 0x58};
constexpr Rgb kWavePen{0xC8, 0x37, 0xFF};
constexpr Rgb kEnvelopePen{0x00, 0x96, 0xFF};
constexpr Rgb kSelectionPen{0xFF, 0xFF, 0x00};
constexpr Rgb kGridPen{0x3C, 0x3C, 0x3C};

class PainterTest : public ::testing::Test {
protected:
    void Make(int w, int h) {
        view_ = std::make_unique<Bitmaplib::PlotView>(parent_.Handle(), 0, 0, w, h);
        ASSERT_EQ(view_->Width(), w);
        ASSERT_EQ(view_->Height(), h);
        std::memset(peaks_.data(), kPeakResetByte, peaks_.size() * sizeof(TracePoint));
    }
    // Pixel (x, y) in drawing coordinates (y down).
    bool Is(int x, int y, Rgb c) {
        GdiFlush();
        const Bitmaplib::SurfacePixels s = view_->Surface();
        const std::uint8_t* p = s.bits + (s.height - 1 - y) * s.stride + x * 4;
        return p[0] == c.b && p[1] == c.g && p[2] == c.r;
    }
    // Top row of column x in colour c, or -1.
    int TopRow(int x, Rgb c) {
        for (int y = 0; y < view_->Height(); ++y)
            if (Is(x, y, c)) return y;
        return -1;
    }
    int Count(Rgb c) {
        int n = 0;
        for (int y = 0; y < view_->Height(); ++y)
            for (int x = 0; x < view_->Width(); ++x) n += Is(x, y, c);
        return n;
    }
    void Spectrum(const std::vector<double>& v, bool logAxis, bool colour, double offset = 150.0) {
        log10_.resize(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) log10_[i] = std::log10(static_cast<double>(i));
        const SpectrumTraceInput in{v.data(), static_cast<int>(v.size()), log10_.data(), logAxis, 400.0, offset,
                                    colour};
        DrawSpectrum(*view_, in, trace_.data(), peaks_.data(), kCapacity);
    }

    testsupport::TestParent parent_{700, 400};
    std::unique_ptr<Bitmaplib::PlotView> view_;
    std::vector<TracePoint> trace_ = std::vector<TracePoint>(kCapacity);
    std::vector<TracePoint> peaks_ = std::vector<TracePoint>(kCapacity);
    std::vector<double> log10_;
};

// A spectrum that is low everywhere but at one bin peaks at that bin's column.
TEST_F(PainterTest, SpectrumPeaksAtTheBinsColumnOnBothAxes) {
    struct Case {
        bool logAxis;
        int wantColumn;
    };
    // 1,024 bins on 600 pixels: bin 100 lies at trunc(100 x 600 / 1024) = 58
    // on the linear axis and at trunc(2 x 600 / log10 1024) = 398 on the log one.
    const Case cases[] = {{false, 58}, {true, 398}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logAxis ? "log" : "linear");
        Make(600, 200);
        std::vector<double> v(1024, -100.0);
        v[100] = 150.0;  // row 150 - 150 x 0.5 = 75
        Spectrum(v, c.logAxis, false);
        int best = -1;
        int bestRow = 1 << 30;
        for (int x = 0; x < 600; ++x) {
            const int row = TopRow(x, kSpectrumPen);
            if (row >= 0 && row < bestRow) bestRow = row, best = x;
        }
        EXPECT_EQ(best, c.wantColumn);
        EXPECT_EQ(bestRow, 75);
        EXPECT_EQ(TopRow(c.wantColumn, kEnvelopePen), -1);  // hidden under the trace at the peak
    }
}

TEST_F(PainterTest, SilentColouredFrameDrawsOnlyThePeakLine) {
    Make(400, 150);
    DrawAxes(*view_, 44100, 512, false, true, true, false);
    view_->RestoreBackground();
    Spectrum(std::vector<double>(512, -std::numeric_limits<double>::infinity()), false, true);
    EXPECT_EQ(Count(kSpectrumPen), 0);
    // The peak line runs along the top clamp, above the view: nothing visible
    // either, and the background is untouched.
    GdiFlush();
    EXPECT_EQ(std::memcmp(view_->Surface().bits, view_->Background(), view_->Bytes()), 0);
}

TEST_F(PainterTest, ColouredFrameFillsBelowTheTraceWithTheBrush) {
    Make(400, 150);
    DrawAxes(*view_, 44100, 512, false, true, true, false);
    view_->RestoreBackground();
    Spectrum(std::vector<double>(512, 100.0), false, true, 150.0);  // flat at row 150 - 100 x 150 / 400 = 112
    GdiFlush();
    const Bitmaplib::SurfacePixels s = view_->Surface();
    const Bitmaplib::SurfacePixels pattern = view_->Pattern();
    // Inside the area the pixels are the colouring picture's; above it the background's.
    const auto at = [](const Bitmaplib::SurfacePixels& p, int x, int y) {
        return p.bits + (p.height - 1 - y) * p.stride + x * 4;
    };
    EXPECT_EQ(std::memcmp(at(s, 210, 130), at(pattern, 210, 130), 3), 0);
    EXPECT_NE(std::memcmp(at(s, 210, 130), view_->Background() + (s.height - 1 - 130) * s.stride + 210 * 4, 3), 0);
    EXPECT_EQ(std::memcmp(at(s, 210, 50), view_->Background() + (s.height - 1 - 50) * s.stride + 210 * 4, 3), 0);
    EXPECT_TRUE(Is(210, 112, kSpectrumPen));
}

TEST_F(PainterTest, HugeLevelsReachTheTopEdgeWithoutHarm) {
    Make(300, 100);
    std::vector<double> v(256, 0.0);
    v[128] = 1e300;
    v[129] = std::numeric_limits<double>::quiet_NaN();
    Spectrum(v, false, false);
    // Bin 128 lies at x = 150, its neighbours at 148 and 151 (NaN) and 152:
    // the steep lines up to them and back run through the whole view.
    EXPECT_EQ(TopRow(148, kSpectrumPen), 0);
    EXPECT_TRUE(TopRow(151, kSpectrumPen) == 0 || TopRow(152, kSpectrumPen) == 0);
}

TEST_F(PainterTest, WaveformShowsTheSinePeriod) {
    Make(512, 200);
    constexpr int kPeriod = 64;
    std::vector<double> s(1024);
    for (int i = 0; i < 1024; ++i) s[i] = 8000.0 * std::sin(2 * 3.14159265358979 * (i % kPeriod) / kPeriod);
    std::vector<TracePoint> points(kCapacity);
    DrawWaveform(*view_, s.data(), 512, 1024, points.data(), kCapacity);
    // One sample per column: the picture repeats every period (column 0 is
    // where the line starts and column 511 where it ends).
    std::vector<int> top(512);
    for (int x = 0; x < 512; ++x) top[x] = TopRow(x, kWavePen);
    for (int x = 1; x + kPeriod < 511; ++x) ASSERT_EQ(top[x], top[x + kPeriod]) << "column " << x;
    // Positive samples are drawn above the centre: the crest of 8000 at row
    // 100 - 79 = 21 (the single-precision factor is just under 0.01), a
    // quarter period in.
    EXPECT_EQ(top[kPeriod / 4], 21);
    EXPECT_EQ(*std::min_element(top.begin(), top.end()), 21);
}

TEST_F(PainterTest, SelectionAndBorder) {
    Make(500, 200);
    DrawSelection(*view_);
    EXPECT_TRUE(Is(50, 20, kSelectionPen));
    EXPECT_TRUE(Is(450, 100, kSelectionPen));
    EXPECT_TRUE(Is(250, 180, kSelectionPen));
    EXPECT_FALSE(Is(250, 100, kSelectionPen));
    DrawFrameBorder(*view_);
    const Rgb frame{0x64, 0x64, 0x64};
    EXPECT_TRUE(Is(0, 0, frame));
    EXPECT_TRUE(Is(499, 199, frame));
    EXPECT_TRUE(Is(250, 199, frame));
}

TEST_F(PainterTest, AxesDrawTheGridAndSaveTheBackground) {
    Make(1000, 160);
    DrawAxes(*view_, 44100, 1024, false, false, true, false);
    GdiFlush();
    EXPECT_EQ(std::memcmp(view_->Surface().bits, view_->Background(), view_->Bytes()), 0);
    EXPECT_TRUE(Is(100, 5, kGridPen));   // vertical line, above the labels
    EXPECT_TRUE(Is(500, 20, kGridPen));  // horizontal line at 160 / 8 = 20
    EXPECT_FALSE(Is(1000 - 1, 5, kGridPen));  // no line at i = 10
    // Labels are drawn (grey 200 text) in row A; the WAVE view has none.
    const Rgb text{0xC8, 0xC8, 0xC8};
    EXPECT_GT(Count(text), 0);
    DrawAxes(*view_, 44100, 1024, false, false, false, false);
    EXPECT_EQ(Count(text), 0);
}

TEST_F(PainterTest, QuefrencyAxisAtQuefrencyZeroStillPaintsEveryLabel) {
    Make(1000, 160);
    DrawAxes(*view_, 44100, 1024, false, true, true, true);
    const Rgb text{0xC8, 0xC8, 0xC8};
    GdiFlush();
    // Text pixels near the right edge: the last label (k = 10) was reached.
    bool rightLabel = false;
    const Bitmaplib::SurfacePixels bg{const_cast<std::uint8_t*>(view_->Background()), 1000, 160,
                                      view_->Surface().stride};
    for (int y = 0; y < 160 && !rightLabel; ++y)
        for (int x = 960; x < 1000; ++x) {
            const std::uint8_t* p = bg.bits + (159 - y) * bg.stride + x * 4;
            if (p[0] == text.b && p[1] == text.g && p[2] == text.r) rightLabel = true;
        }
    EXPECT_TRUE(rightLabel);
}

}  // namespace
