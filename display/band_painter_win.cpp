#include "display/band_painter_win.h"

#include <windows.h>

namespace {

// Pixel words (display/surface.h) of RGB(46, 104, 184) and RGB(120, 120, 120).
constexpr std::uint32_t kResolvedBarPixel = 0x002E68B8;
constexpr std::uint32_t kUnresolvedBarPixel = 0x00787878;

}  // namespace

BandFill MakeBandFill() { return BandFill(kResolvedBarPixel, kUnresolvedBarPixel); }

void DrawBandBars(Bitmaplib::PlotView& view, BandFill& fill, const BandScale& scale, std::span<const Band> bands,
                  std::span<const double> levelsDbfs) {
    const Bitmaplib::SurfacePixels surface = view.Surface();
    if (!surface.bits) return;
    // What GDI has queued for the surface lands before the pixels are written.
    GdiFlush();
    fill.Draw(scale, bands, levelsDbfs, {surface.bits, surface.width, surface.height, surface.stride});
}
