// Readout boxes and the peak marker drawn over a plot view for one frame
// only: each remembers the pixels it covers, and Restore puts them back after
// the surface has been copied to the screen. So the readouts appear in the
// copy the frame already makes and never stay in the surface (the
// spectrogram scrolls its surface; the held traces accumulate in it).
//
// Threads: the frame-loop thread, with the draw lock held, like all drawing
// into a view. Restore must run before the view is rebuilt or replaced
// (both happen under the same lock, after the frame's Restore).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "display/plot_view_win.h"
#include "display/value_readout.h"

// Where a text box goes relative to its anchor point.
enum class BoxPlacement {
    kNearCursor,  // below and right of the point, flipped to stay inside the view
    kTopRight,    // in the view's top-right corner (the point is unused)
};

class ReadoutOverlay {
public:
    void DrawTextBox(Bitmaplib::PlotView& view, const ReadoutText& text, BoxPlacement placement, int x, int y);
    // A small downward triangle just above (x, y).
    void DrawMarker(Bitmaplib::PlotView& view, int x, int y);
    // Puts back every pixel covered since the last Restore, on `view` (the
    // view drawn on; nothing is written when it is another or empty).
    void Restore(Bitmaplib::PlotView& view);

private:
    struct Patch {
        RECT rect;
        std::vector<std::uint32_t> pixels;
    };
    // Saves the pixels of `rect` (clipped to the view); false when nothing is left.
    bool Save(Bitmaplib::PlotView& view, RECT rect);

    std::vector<Patch> patches_;
    const Bitmaplib::PlotView* view_ = nullptr;
};
