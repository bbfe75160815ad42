#include "display/spectrogram.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

#include "base/trunc_to_int.h"
#include "display/level_colour.h"
#include "display/surface.h"

namespace {


// Reads one display value with its bin clamped to the values there are.
class BinReader {
public:
    BinReader(const double* values, std::int32_t binCount) : values_(values), last_(binCount - 1) {
        assert(values != nullptr && binCount >= 1);
    }
    double operator[](std::int64_t bin) const { return values_[std::clamp<std::int64_t>(bin, 0, last_)]; }
    // The largest of 0 and the values of bins first ... last (0 when empty).
    double maxFromZero(std::int64_t first, std::int64_t last) const {
        last = std::min<std::int64_t>(last, last_);
        double m = 0.0;
        for (std::int64_t bin = std::max<std::int64_t>(first, 0); bin <= last; ++bin) {
            m = std::max(m, values_[bin]);
        }
        return m;
    }

private:
    const double* values_;
    std::int64_t last_;
};

// A per-row increment between two values; between non-finite ones (a silent
// frame's -inf bins) there is nothing to interpolate, so the rows hold.
double FiniteStep(double step) { return std::isfinite(step) ? step : 0.0; }

std::int32_t bandEdge(std::int32_t binCount, double fraction) {
    const std::int32_t edge = truncToInt(binCount * fraction);
    if (edge == kTruncInvalid) {
        return std::isnan(fraction) || fraction < 0 ? 0 : binCount;
    }
    return std::clamp(edge, 0, binCount);
}

// The level that row y of the upper view shows.
double LevelAtRow(std::int32_t upperHeight, double span, double offset, double fraction) {
    return -((upperHeight * fraction - offset) / (upperHeight / span));
}

// Linear axis, at least one bin per row: each row shows the largest of its
// bins (and 0).
void LinearMaxRows(const BinReader& bins, std::int32_t lo, double t, std::int32_t rows, double* out) {
    double pos = 0.0;
    std::int64_t first = 0;
    for (std::int32_t r = 0; r < rows; ++r) {
        const double next = pos + t;
        const std::int64_t g = truncToInt(next);
        out[r] = bins.maxFromZero(lo + first, lo + g - 1);
        first = g;
        pos = next;
    }
}

// Linear axis, fewer bins than rows: each bin is reached one row after its
// position and the rows between step linearly towards the next bin.
void LinearInterpolatedRows(const BinReader& bins, std::int32_t lo, std::int32_t range, double t,
                            std::int32_t rows, double* out) {
    const double rowsPerBin = static_cast<double>(rows) / static_cast<double>(range);
    double pos = 0.0;
    double v = 0.0;
    double d = 0.0;
    std::int64_t marker = -1;
    for (std::int32_t r = 0; r < rows; ++r) {
        const double next = pos + t;
        const std::int64_t p = truncToInt(pos);
        if (p != marker) {
            marker = p;
            const std::int64_t k = lo + static_cast<std::int64_t>(truncToInt(next));
            v = bins[k];
            d = FiniteStep((bins[k + 1] - bins[k]) / rowsPerBin);
        }
        v += d;
        out[r] = v;
        pos = next;
    }
}

// Log axis: the fractional bin of every row, the runs of rows on one bin,
// then the rows painted from the runs.
void LogRows(const BinReader& bins, std::int32_t binCount, std::int32_t lo, double t, std::int32_t rows,
             SpectrogramWork& work) {
    double* rowBins = work.rowBins.data();
    const SpectrogramWork::RowBinsKey key{binCount, lo, t, rows};
    if (!(work.rowBinsKey == key)) {
        const double positionsPerDecade = binCount / std::log10(static_cast<double>(binCount));
        for (std::int32_t r = 0; r < rows; ++r) {
            rowBins[r] = std::pow(10.0, (lo + r * t) / positionsPerDecade);
        }
        work.rowBinsKey = key;
    }

    BandSegment* runs = work.bandSegments.data();
    std::size_t count = 0;
    std::int32_t previousBin = 0;
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int32_t b = truncToInt(rowBins[r]);
        if (r == 0 || b != previousBin) {
            assert(count < work.bandSegments.size());
            BandSegment& run = runs[count];
            run = BandSegment{0, bins[b], 0.0, 0, 0};
            if (count > 0) {
                const BandSegment& before = runs[count - 1];
                run.binStep = truncToInt(rowBins[r] - rowBins[r - 1]);
                run.prevBin = truncToInt(rowBins[r - 1]);
                run.step = FiniteStep((run.value - before.value) / before.rows);
            }
            ++count;
            previousBin = b;
        }
        ++runs[count - 1].rows;
    }
    work.segmentCount = count;

    double* out = work.rowValues.data();
    std::int32_t r = 0;
    for (std::size_t s = 0; s < count; ++s) {
        const BandSegment& run = runs[s];
        if (s > 0 && run.binStep > 1) {
            // The rows jump over several bins: show the largest of them.
            const double v = bins.maxFromZero(run.prevBin, static_cast<std::int64_t>(run.prevBin) + run.binStep - 1);
            for (std::int32_t i = 0; i < run.rows; ++i) {
                out[r++] = v;
            }
            continue;
        }
        const double step = s + 1 < count ? runs[s + 1].step : 0.0;
        double v = run.value;
        for (std::int32_t i = 0; i < run.rows; ++i) {
            v += step;
            out[r++] = v;
        }
    }
    assert(r == rows);
}

}  // namespace

SpectrogramBand SpectrogramBandOf(std::int32_t binCount, double selX0, double selX1) {
    const std::int32_t a = bandEdge(binCount, selX0);
    const std::int32_t b = bandEdge(binCount, selX1);
    return SpectrogramBand{std::min(a, b), std::abs(a - b)};
}

SpectrogramLevels SpectrogramLevelsOf(std::int32_t upperHeight, double span, double offset, double selY0,
                                    double selY1) {
    const double a = LevelAtRow(upperHeight, span, offset, selY0);
    const double b = LevelAtRow(upperHeight, span, offset, selY1);
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    return SpectrogramLevels{low, high, kLevelColourSteps / (high - low)};
}

void SpectrogramWork::fitRows(std::int32_t rows) {
    assert(rows >= 0);
    const auto n = static_cast<std::size_t>(rows);
    if (rowValues.size() < n) {
        rowBins.resize(n);
        rowValues.resize(n);
        bandSegments.resize(n + 1);
    }
}

void ComputeSpectrogramRows(const SpectrogramFrame& frame, std::int32_t rows, SpectrogramWork& work) {
    assert(rows >= 0);
    work.fitRows(rows);
    work.segmentCount = 0;
    if (rows == 0) {
        return;
    }
    const BinReader bins(frame.values, frame.binCount);
    const SpectrogramBand band = SpectrogramBandOf(frame.binCount, frame.selection.x0, frame.selection.x1);
    // Bins per row; a floating division, so a zero-width band gives 0.
    const double t = static_cast<double>(band.range) / static_cast<double>(rows);
    if (frame.logAxis) {
        LogRows(bins, frame.binCount, band.lo, t, rows, work);
    } else if (t >= 1.0) {
        LinearMaxRows(bins, band.lo, t, rows, work.rowValues.data());
    } else {
        LinearInterpolatedRows(bins, band.lo, band.range, t, rows, work.rowValues.data());
    }
}

void PaintSpectrogramColumn(const SpectrogramFrame& frame, SpectrogramWork& work, std::uint8_t* bits,
                            std::int32_t width, std::int32_t height, std::ptrdiff_t stride) {
    if (bits == nullptr || width <= 0 || height <= 0) {
        return;
    }
    assert(stride >= static_cast<std::ptrdiff_t>(width) * kSurfaceBytesPerPixel);
    ComputeSpectrogramRows(frame, height, work);
    const SpectrogramLevels levels =
        SpectrogramLevelsOf(frame.upperHeight, frame.span, frame.offset, frame.selection.y0, frame.selection.y1);

    std::uint8_t* const column = bits + static_cast<std::ptrdiff_t>(width - 1) * kSurfaceBytesPerPixel;
    bool seenPositive = false;
    bool blanked = false;
    for (std::int32_t r = 0; r < height; ++r) {
        double idx = (work.rowValues[r] - levels.lowLevel) * levels.stepsPerLevel;
        if (frame.pitchGate) {
            // Only the first run of rows above the scale's bottom survives.
            if (seenPositive && idx < 0) {
                blanked = true;
            }
            if (idx > 0) {
                seenPositive = true;
            }
            if (blanked || frame.noPitch) {
                idx = 0;
            }
        }
        const RgbBytes colour = LevelColour(idx, frame.colourMap);
        const std::int32_t memoryRow = frame.cepstrum ? height - 1 - r : r;
        std::uint8_t* pixel = column + memoryRow * stride;
        StoreColour(pixel, colour);
    }
}
