#include "display/spectrogram_win.h"

namespace {

// The picture moves this far to the left per frame, pixels.
constexpr int kScrollPx = 1;

}  // namespace

void DrawSpectrogramColumn(Bitmaplib::PlotView& lowerView, const AppSettings& settings, const ViewLevels& upper,
                           const double* values, std::int32_t binCount, SpectrogramWork& work, bool hasPitch,
                           ColourMap map) {
    const Bitmaplib::SurfacePixels pixels = lowerView.Surface();
    if (pixels.bits == nullptr || values == nullptr || binCount < 1) {
        return;
    }
    HDC dc = lowerView.MemoryDc();
    BitBlt(dc, -kScrollPx, 0, pixels.width, pixels.height, dc, 0, 0, SRCCOPY);
    // The scroll may still be queued; it must land before the column is written.
    GdiFlush();

    const bool cepstrum = settings.cepstrumMode != 0;
    const SpectrogramFrame frame{values,
                                 binCount,
                                 lowerView.Selection(),
                                 upper.height,
                                 upper.span,
                                 upper.offset,
                                 settings.logGrid != 0,
                                 cepstrum,
                                 cepstrum && settings.pitchOn == 1,
                                 !hasPitch,
                                 map};
    PaintSpectrogramColumn(frame, work, pixels.bits, pixels.width, pixels.height, pixels.stride);
}
