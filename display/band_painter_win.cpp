#include "display/band_painter_win.h"

#include "display/gdi_win.h"

namespace {

constexpr COLORREF kResolvedBarColour = RGB(46, 104, 184);
constexpr COLORREF kUnresolvedBarColour = RGB(120, 120, 120);

}  // namespace

void DrawBandBars(Bitmaplib::PlotView& view, const BandScale& scale, std::span<const Band> bands,
                  std::span<const double> levelsDbfs) {
    HDC dc = view.MemoryDc();
    if (!dc || bands.size() != levelsDbfs.size()) return;
    const gdi::Brush solid(CreateSolidBrush(kResolvedBarColour));
    const gdi::Brush hatched(CreateHatchBrush(HS_BDIAGONAL, kUnresolvedBarColour));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const BandBar bar = BandBarOf(scale, bands[i], levelsDbfs[i]);
        if (!bar.drawn) continue;
        const RECT r{bar.left, bar.top, bar.right + 1, scale.levels.height};
        FillRect(dc, &r, bands[i].resolved ? solid.get() : hatched.get());
    }
    SetBkMode(dc, oldMode);
}
