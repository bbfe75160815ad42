// The scrolling spectrogram's newest column, computed on plain memory.
//
// Input: one frame's display values (`binCount` doubles, one per bin: the
// spectrum level 20 ln|X| or the cepstrum), the selection block copied from
// the upper view, and the upper view's height, span and offset, which turn
// the selection's vertical edges into the two levels at the bottom and the
// top of the colour map.
//
// Band: the selection's horizontal extent picks bins lo ... lo + range of
// the linear axis. Every bin index the column reads is clamped to
// binCount - 1, so a selection that touches the right edge (fraction 1.0
// exactly) never reads past the values.
//
// Rows: row 0 is the band's low end. In the spectrum views it is the bottom
// line of the picture (memory row 0 of the bottom-up surface); in the
// cepstrum views the column is turned upside down, so row 0 is the top line.
//
// Surface: 32-bit pixels, bytes blue, green, red and a fourth byte left
// alone; rows bottom-up; pixel (x, memory row r) at byte r * stride + x * 4.
//
// Threads: the frame-loop thread, inside the draw lock. `SpectrogramWork`
// belongs to the caller and is touched by that one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/band_segment.h"
#include "display/level_colour.h"
#include "display/selection.h"

// The bins of the band: lo ... lo + range, 0 <= lo, lo + range <= binCount.
struct SpectrogramBand {
    std::int32_t lo;
    std::int32_t range;
};

// trunc(binCount * x) for both selection edges, each kept within
// 0 ... binCount (a NaN edge counts as 0).
SpectrogramBand SpectrogramBandOf(std::int32_t binCount, double selX0, double selX1);

// The levels at the selection's two vertical edges and the colour steps per
// level unit: a value v gets colour index (v - lowLevel) * stepsPerLevel.
// A selection of zero height gives an infinite scale (values above the edge
// 255, below it 0, at it NaN and hence 255).
struct SpectrogramLevels {
    double lowLevel;
    double highLevel;
    double stepsPerLevel;
};

// upperHeight: the upper view's rows; span: the value range of its full
// height; offset: the row at which value 0 lies.
SpectrogramLevels SpectrogramLevelsOf(std::int32_t upperHeight, double span, double offset, double selY0,
                                    double selY1);

// Everything one column is made of.
struct SpectrogramFrame {
    const double* values;      // binCount display values of the frame
    std::int32_t binCount;     // at least 1
    SelectionBlock selection;  // the upper view's, copied by the frame loop
    std::int32_t upperHeight;  // upper view height, pixels
    double span;               // upper view's value span and value-0 row
    double offset;
    bool logAxis;              // logarithmic frequency axis
    bool cepstrum;             // cepstrum views: column upside down
    bool pitchGate;            // pitch view: only the first lobe is shown
    bool noPitch;              // pitch view: the frame has no pitch, the column stays empty
    ColourMap colourMap = ColourMap::kRainbow;
};

// Work arrays of one column, sized to the view height (the run table has a
// record per row plus one). They only grow, so a steady height allocates
// once.
struct SpectrogramWork {
    // What rowBins was computed from (bins, band low end, bins per row,
    // rows): while the band and the height stay, it is reused rather than
    // recomputed with a power of ten per row every frame.
    struct RowBinsKey {
        std::int32_t binCount = 0;
        std::int32_t lo = 0;
        double binsPerRow = 0.0;
        std::int32_t rows = 0;
        bool operator==(const RowBinsKey&) const = default;
    };
    std::vector<double> rowBins;            // log axis: fractional bin of each row
    RowBinsKey rowBinsKey;                  // rows = 0: rowBins not computed yet
    std::vector<BandSegment> bandSegments;  // log axis: the runs
    std::size_t segmentCount = 0;
    std::vector<double> rowValues;          // the value each row shows, row 0 = band low end

    void fitRows(std::int32_t rows);
};

// Fills work.rowValues[0 ... rows - 1] (and, on the log axis, rowBins and
// the runs) for a column `rows` high.
void ComputeSpectrogramRows(const SpectrogramFrame& frame, std::int32_t rows, SpectrogramWork& work);

// Computes the column for a surface `height` rows high and writes it into
// pixel column width - 1, gated and coloured, upside down in the cepstrum
// views; in the pitch view a frame without pitch leaves it black. Null bits or a non-positive size write nothing. Does not scroll.
void PaintSpectrogramColumn(const SpectrogramFrame& frame, SpectrogramWork& work, std::uint8_t* bits,
                            std::int32_t width, std::int32_t height, std::ptrdiff_t stride);
