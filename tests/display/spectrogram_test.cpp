#include "display/spectrogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "display/level_colour.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(LevelColour, RampsAndClamps) {
    struct Case {
        double index;
        RgbBytes rgb;
        ColourMap map = ColourMap::kRainbow;
    };
    constexpr ColourMap kMagma = ColourMap::kMagma;
    constexpr ColourMap kGrey = ColourMap::kGrey;
    const Case cases[] = {
        {-5, {0, 0, 0}},        {-kInf, {0, 0, 0}},       {0, {0, 0, 0}},
        {36, {0, 0, 252}},      {36.9, {0, 0, 252}},      {37, {0, 0, 255}},
        {73, {0, 252, 255}},    {74, {0, 255, 255}},      {109, {0, 255, 10}},
        {110, {0, 255, 0}},     {146, {252, 255, 0}},     {147, {255, 248, 0}},
        {182, {255, 3, 0}},     {183, {255, 0, 0}},       {219, {255, 0, 252}},
        {220, {255, 36, 255}},  {255, {255, 246, 255}},   {300, {255, 246, 255}},
        {kInf, {255, 246, 255}}, {kNaN, {255, 246, 255}},
        // Magma: the published table's ends and middle; grey; a map value
        // outside the enumeration is the rainbow.
        {-1, {0, 0, 4}, kMagma}, {128, {183, 55, 121}, kMagma}, {255.9, {252, 253, 191}, kMagma},
        {kNaN, {252, 253, 191}, kMagma}, {-kInf, {0, 0, 0}, kGrey}, {100.7, {100, 100, 100}, kGrey},
        {300, {255, 255, 255}, kGrey}, {220, {255, 36, 255}, static_cast<ColourMap>(7)},
    };
    // The maps other than the rainbow never get darker as the index rises
    // (by more than the rounding of the table to bytes).
    for (ColourMap map : {kMagma, kGrey}) {
        const auto luma = [map](int i) {
            const RgbBytes c = LevelColour(i, map);
            return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
        };
        for (int i = 1; i <= kLevelColourMaxIndex; ++i) {
            EXPECT_GE(luma(i), luma(i - 1) - 1.0) << "map " << int(map) << " index " << i;
        }
    }
    for (const Case& c : cases) {
        const RgbBytes got = LevelColour(c.index, c.map);
        EXPECT_EQ(got, c.rgb) << "index " << c.index << " gave " << int(got.red) << "," << int(got.green) << ","
                              << int(got.blue);
    }
}

TEST(SpectrogramBand, EdgesAreTruncatedOrderedAndClamped) {
    struct Case {
        std::int32_t n;
        double x0, x1;
        std::int32_t lo, range;
    };
    const Case cases[] = {
        {2048, 0.1, 0.9, 204, 1639},  {2048, 0.9, 0.1, 204, 1639}, {2048, 0.5, 1.0, 1024, 1024},
        {2048, 0.3, 0.3, 614, 0},     {2048, kNaN, 0.5, 0, 1024},  {2048, -0.5, 2.0, 0, 2048},
        {2048, 1.0, kInf, 2048, 0},   {2048, -kInf, 1e300, 0, 2048},
    };
    for (const Case& c : cases) {
        const SpectrogramBand band = SpectrogramBandOf(c.n, c.x0, c.x1);
        EXPECT_EQ(band.lo, c.lo) << c.x0 << " " << c.x1;
        EXPECT_EQ(band.range, c.range) << c.x0 << " " << c.x1;
    }
}

TEST(SpectrogramLevels, SelectionEdgesBecomeTheColourRange) {
    // 100 rows showing 100 level units, value 0 on the bottom row: row y shows 100 - y.
    const SpectrogramLevels levels = SpectrogramLevelsOf(100, 100.0, 100.0, 0.9, 0.1);
    EXPECT_DOUBLE_EQ(levels.lowLevel, 10.0);
    EXPECT_DOUBLE_EQ(levels.highLevel, 90.0);
    EXPECT_DOUBLE_EQ(levels.stepsPerLevel, 3.2);
    EXPECT_EQ(SpectrogramLevelsOf(100, 100.0, 100.0, 0.4, 0.4).stepsPerLevel, kInf);
}

// A column computed from a frame of `values` over the selection's horizontal extent.
struct Column {
    std::vector<double> values;
    SpectrogramFrame frame{};
    SpectrogramWork work;

    Column(std::vector<double> v, double x0, double x1, bool logAxis = false) : values(std::move(v)) {
        frame = SpectrogramFrame{values.data(), static_cast<std::int32_t>(values.size()),
                                 SelectionBlock{0.9, x0, x1, 0.1}, 100, 100.0, 100.0, logAxis, false, false, false};
    }
    const std::vector<double>& rows(std::int32_t h) {
        ComputeSpectrogramRows(frame, h, work);
        return work.rowValues;
    }
};

std::vector<double> randomValues(std::size_t n, double lo, double hi) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(lo, hi);
    std::vector<double> v(n);
    for (double& x : v) x = dist(rng);
    return v;
}

TEST(SpectrogramRows, LinearAxisRowsShowTheMaximumOfTheirBins) {
    Column c(randomValues(2048, -50.0, 100.0), 0.1, 0.9);
    const std::vector<double>& rows = c.rows(160);
    const double t = 1639.0 / 160.0;  // about 10.24 bins a row, from bin 204
    for (int r = 0; r < 160; ++r) {
        const int first = 204 + static_cast<int>(r * t);
        const int end = 204 + static_cast<int>((r + 1) * t + 1e-9);
        const double expected = std::max(0.0, *std::max_element(c.values.begin() + first, c.values.begin() + end));
        ASSERT_EQ(rows[r], expected) << "row " << r;
    }
    Column negative(std::vector<double>(2048, -3.0), 0.1, 0.9);
    for (double v : negative.rows(160)) EXPECT_EQ(v, 0.0);
}

TEST(SpectrogramRows, TallerViewThanBandInterpolates) {
    std::vector<double> ramp(64);
    for (int k = 0; k < 64; ++k) ramp[k] = 10.0 * k;
    // Bins 0 ... 8 on 32 rows: four rows a bin, each bin reached one row after its position.
    Column c(ramp, 0.0, 0.125);
    const std::vector<double>& rows = c.rows(32);
    for (int r = 0; r < 32; ++r) EXPECT_DOUBLE_EQ(rows[r], 2.5 * (r + 1)) << "row " << r;
}

TEST(SpectrogramRows, BandAtTheRightEdgeNeverReadsPastTheValues) {
    // The values end exactly at the last bin, so AddressSanitizer sees any read beyond.
    std::vector<double> ramp(64);
    for (int k = 0; k < 64; ++k) ramp[k] = k;
    for (bool logAxis : {false, true}) {
        Column c(ramp, 0.875, 1.0, logAxis);
        for (std::int32_t h : {4, 8, 31, 200}) {
            for (double v : c.rows(h)) {
                EXPECT_TRUE(std::isfinite(v));
                EXPECT_LE(v, 64.0) << "at most one interpolation step beyond the last bin";
            }
        }
    }
    Column linear(ramp, 0.875, 1.0);
    EXPECT_EQ(linear.rows(32)[31], 63.0);
}

TEST(SpectrogramRows, ZeroWidthBandShowsOneBinInEveryRow) {
    const std::vector<double> values = randomValues(2048, -20.0, 80.0);
    struct Case {
        double x;
        bool logAxis;
        std::size_t bin;
    };
    const Case cases[] = {
        {0.3, false, 614},
        {1.0, false, 2047},
        {0.5, true, static_cast<std::size_t>(std::pow(2048.0, 1024.0 / 2048.0))},
        {1.0, true, 2047},
    };
    for (const Case& k : cases) {
        Column c(values, k.x, k.x, k.logAxis);
        for (std::int32_t h : {1, 7, 300}) {
            for (double v : c.rows(h)) ASSERT_EQ(v, values[k.bin]) << k.x << " log " << k.logAxis << " h " << h;
        }
    }
}

TEST(SpectrogramRows, SilentFrameStaysAtMinusInfinity) {
    // A frame of digital silence has -inf levels: nothing to interpolate, so it stays black, not NaN.
    for (bool logAxis : {false, true}) {
        Column c(std::vector<double>(256, -kInf), 0.0, 0.1, logAxis);
        for (double v : c.rows(100)) EXPECT_EQ(v, -kInf) << "log " << logAxis;
    }
}

// The log axis's row map is kept between columns: a new band or height must
// still give the rows a fresh computation gives.
TEST(SpectrogramRows, LogAxisRowsFollowTheBandAndTheHeight) {
    std::vector<double> ramp(2048);
    for (int k = 0; k < 2048; ++k) ramp[k] = k;
    Column reused(ramp, 0.0, 1.0, true);
    reused.rows(300);
    const struct {
        double x0, x1;
        std::int32_t h;
    } cases[] = {{0.2, 1.0, 300}, {0.2, 1.0, 200}, {0.2, 0.6, 200}, {0.2, 0.6, 200}, {0.0, 1.0, 300}};
    for (const auto& c : cases) {
        reused.frame.selection.x0 = c.x0;
        reused.frame.selection.x1 = c.x1;
        Column fresh(ramp, c.x0, c.x1, true);
        const std::vector<double> got(reused.rows(c.h).begin(), reused.rows(c.h).begin() + c.h);
        const std::vector<double> want(fresh.rows(c.h).begin(), fresh.rows(c.h).begin() + c.h);
        EXPECT_EQ(got, want) << c.x0 << " to " << c.x1 << ", " << c.h << " rows";
    }
}

TEST(SpectrogramRows, LogAxisRowMapAndRuns) {
    std::vector<double> ramp(2048);
    for (int k = 0; k < 2048; ++k) ramp[k] = k;
    Column c(ramp, 0.0, 1.0, true);
    const std::int32_t h = 300;
    const std::vector<double>& rows = c.rows(h);
    const double perDecade = 2048.0 / std::log10(2048.0);
    EXPECT_DOUBLE_EQ(c.work.rowBins[0], 1.0);
    EXPECT_DOUBLE_EQ(c.work.rowBins[150], std::pow(10.0, 150 * (2048.0 / h) / perDecade));

    std::int32_t covered = 0;
    for (std::size_t s = 0; s < c.work.segmentCount; ++s) {
        const BandSegment& run = c.work.bandSegments[s];
        EXPECT_EQ(run.value, ramp[static_cast<int>(c.work.rowBins[covered])]) << "run " << s;
        if (s > 0 && run.binStep > 1) {
            EXPECT_EQ(run.rows, 1) << "a run that jumps bins has one row";
            EXPECT_EQ(rows[covered], run.prevBin + run.binStep - 1) << "largest skipped bin";
        } else if (s + 1 < c.work.segmentCount) {
            // The run's rows climb linearly to the next run's value.
            EXPECT_NEAR(rows[covered + run.rows - 1], c.work.bandSegments[s + 1].value, 1e-9) << "run " << s;
        }
        covered += run.rows;
    }
    EXPECT_EQ(covered, h);
}

// Paints into a small surface and reads the column back, picture rows from the bottom.
struct Surface {
    static constexpr std::uint8_t kUntouched = 0xA5;
    std::int32_t width, height;
    std::ptrdiff_t stride;
    std::vector<std::uint8_t> bits;

    Surface(std::int32_t w, std::int32_t h) : width(w), height(h), stride(w * 4 + 8), bits(stride * h, kUntouched) {}
    RgbBytes at(std::int32_t x, std::int32_t memoryRow) const {
        const std::uint8_t* p = &bits[memoryRow * stride + x * 4];
        return RgbBytes{p[2], p[1], p[0]};
    }
};

TEST(SpectrogramColumn, WritesOnlyTheLastColumnsColourBytes) {
    Column c(randomValues(2048, 0.0, 100.0), 0.1, 0.9);
    Surface s(5, 160);
    PaintSpectrogramColumn(c.frame, c.work, s.bits.data(), s.width, s.height, s.stride);
    const SpectrogramLevels levels = SpectrogramLevelsOf(100, 100.0, 100.0, 0.9, 0.1);
    for (std::int32_t r = 0; r < s.height; ++r) {
        for (std::ptrdiff_t b = 0; b < s.stride; ++b) {
            const bool colourByte = b >= 16 && b < 19;
            if (!colourByte) {
                ASSERT_EQ(s.bits[r * s.stride + b], Surface::kUntouched) << r << " " << b;
            }
        }
        EXPECT_EQ(s.at(4, r), LevelColour((c.work.rowValues[r] - levels.lowLevel) * levels.stepsPerLevel));
    }
}

TEST(SpectrogramColumn, CepstrumPutsTheLowestLagOnTopAndPitchGateKeepsTheFirstLobe) {
    // One bin a row; the scale's bottom is level 10.
    std::vector<double> values(16, 0.0);
    for (int r : {1, 2, 3, 4, 7, 8, 9}) values[r] = 50.0;
    values[0] = 95.0;
    const RgbBytes black{0, 0, 0};
    const RgbBytes lobe = LevelColour(40 * 3.2);
    struct Case {
        bool cepstrum, gate;
        bool secondLobe;
        bool noPitch = false;  // the pitch view leaves a frame without pitch empty
    };
    for (const Case k : {Case{false, false, true}, Case{true, false, true}, Case{true, true, false},
                         Case{true, true, false, true}}) {
        Column c(values, 0.0, 1.0);
        c.frame.cepstrum = k.cepstrum;
        c.frame.pitchGate = k.gate;
        c.frame.noPitch = k.noPitch;
        Surface s(1, 16);
        PaintSpectrogramColumn(c.frame, c.work, s.bits.data(), s.width, s.height, s.stride);
        const auto row = [&](int r) { return s.at(0, k.cepstrum ? 15 - r : r); };
        EXPECT_EQ(row(0), k.noPitch ? black : LevelColour(255))
            << "lowest bin at the picture's " << (k.cepstrum ? "top" : "bottom");
        EXPECT_EQ(row(3), k.noPitch ? black : lobe);
        EXPECT_EQ(row(5), black);
        EXPECT_EQ(row(8), k.secondLobe ? lobe : black) << "cepstrum " << k.cepstrum << " gate " << k.gate;
    }
}

TEST(SpectrogramColumn, TallLogViewOnManyBins) {
    // Taller than the old fixed run table of 2,000 records: every row starts a run here.
    Column c(randomValues(16384, -40.0, 120.0), 0.0, 1.0, true);
    c.frame.cepstrum = true;
    for (double x0 : {0.0, 0.9, 0.999}) {
        c.frame.selection.x0 = x0;
        Surface s(2, 2500);
        PaintSpectrogramColumn(c.frame, c.work, s.bits.data(), s.width, s.height, s.stride);
        EXPECT_LE(c.work.segmentCount, 2500u);
        // 0xA5 is no component of any colour, so every row of the column was written.
        for (std::int32_t r = 0; r < s.height; ++r) {
            ASSERT_NE(s.bits[r * s.stride + 4], Surface::kUntouched) << r;
            ASSERT_EQ(s.bits[r * s.stride + 7], Surface::kUntouched) << r;
        }
    }
}

}  // namespace
