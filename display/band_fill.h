// The band view's bars, written straight into the upper view's surface in one
// pass over its rows, so that a frame costs about the same with 240 bands as
// with 10.
//
// Every pixel column belongs to at most one bar (display/band_bars.h:
// BandColumnsOf; where two bars would share a column the later band takes
// it). A column needs only its bar's top row, its colour and whether it is
// hatched. A band the data length resolves is a solid bar; one it does not
// is hatched: one pixel in eight along each row, on the diagonals rising to
// the right ((x + y) mod 8 = 7, y counted down from the top), with the
// background showing between them, so that no false level reads as a true
// one.
//
// Which band owns which column depends only on the axis, the bin width and
// the bands, and is worked out again only when one of them changes; the tops
// follow the levels every frame.
//
// Surfaces: display/surface.h (32-bit pixels, rows stored bottom-up).
// Threads: the frame loop's thread, with the draw lock held. Memory: a few
// arrays of the view's width (a dozen words per column), kept between
// frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/octave_bands.h"
#include "display/band_bars.h"

struct BandFillTarget {
    std::uint8_t* surface;  // pixels written
    std::int32_t width;
    std::int32_t height;
    std::ptrdiff_t stride;  // bytes per row
};

class BandFill {
public:
    // The pixel words (display/surface.h) of a resolved band's bar and of
    // the hatch lines of one that is not.
    BandFill(std::uint32_t solidPixel, std::uint32_t hatchPixel) : solid_(solidPixel), hatch_(hatchPixel) {}

    // Draws the bars of `bands` at `levelsDbfs` (one level per band) on
    // `scale` into `target`, which is as large as the scale's view.
    void Draw(const BandScale& scale, std::span<const Band> bands, std::span<const double> levelsDbfs,
              const BandFillTarget& target);

private:
    // What the columns were worked out for.
    struct LayoutKey {
        std::int32_t width = 0;
        std::int32_t bins = 0;
        bool logAxis = false;
        double binHz = 0.0;
        std::size_t bandCount = 0;
        double firstLowerHz = 0.0;
        double lastUpperHz = 0.0;
        std::size_t resolvedCount = 0;

        bool operator==(const LayoutKey&) const = default;
    };

    void Layout(const BandScale& scale, std::span<const Band> bands, const LayoutKey& key);

    std::uint32_t solid_;
    std::uint32_t hatch_;
    LayoutKey key_;
    std::int32_t first_ = 0;  // the columns [first_, last_) hold bars
    std::int32_t last_ = 0;
    std::vector<std::int32_t> owner_;    // per column: the band, or -1
    std::vector<std::uint32_t> colour_;  // per column
    // Eight rows of one mask word per column: all ones where the column's bar
    // has a pixel in the rows y with y mod 8 = the row's number.
    std::vector<std::uint32_t> masks_;
    std::vector<std::int32_t> bandTops_;  // per band, this frame
    std::vector<std::int32_t> tops_;      // per column, this frame
    std::vector<std::int32_t> runTops_;   // per run of columns from first_, this frame
};
