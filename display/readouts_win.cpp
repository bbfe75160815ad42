#include "display/readouts_win.h"

#include <mutex>

void PaintColourScale(const ScaleReadouts& keys) {
    if (keys.colourScaleBar == nullptr || keys.upperView == nullptr) {
        return;
    }
    SplitBar& strip = *keys.colourScaleBar;
    const SelectionBlock sel = keys.upperView->Selection();
    GdiFlush();
    PaintColourKey(strip.Pixels(), strip.BitmapWidth(), strip.BitmapHeight(), strip.Stride(), sel.y0, sel.y1, keys.colourMap);
    InvalidateRect(strip.Handle(), nullptr, TRUE);
}

void UpdateScaleLabels(const ScaleReadouts& keys, const AppSettings& settings) {
    PaintColourScale(keys);
    if (keys.upperView == nullptr) {
        return;
    }
    const SelectionBlock sel = keys.upperView->Selection();
    const ScaleLabelInput in{keys.upperView->Width(),   sel.x0,
                             sel.x1,                    settings.sampleRate,
                             settings.halfLength,       settings.logGrid != 0,
                             settings.cepstrumMode != 0};
    const ScaleLabelTexts texts = FormatScaleLabelTexts(in);
    for (int i = 0; i < kFrequencyLabelCount; ++i) {
        if (keys.labels[i] != nullptr) {
            keys.labels[i]->SetText(texts[i].data());
        }
    }
}
