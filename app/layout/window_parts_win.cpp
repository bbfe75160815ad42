#include "app/layout/window_parts_win.h"

#include "display/plot_view_win.h"
#include "display/readouts.h"

namespace {

// The status line and the frequency labels as wide as the widest text each
// can show, measured in the font the label draws with.
void FitLabelsToTheirTexts(WindowParts& parts, const char* widestStatus) {
    if (parts.statusLabel) {
        parts.statusLabel->FitWidth(parts.statusLabel->TextExtent(widestStatus).cx);
    }
    const ScaleLabelText widest = WidestScaleLabelText();
    for (auto& label : parts.scaleLabels) {
        if (label) {
            label->FitWidth(label->TextExtent(widest.data()).cx);
        }
    }
}

}  // namespace

void CreateWindowParts(WindowParts& parts, HWND mainWindow, std::mutex* drawLock, const char* widestStatus) {
    parts.upperView.reset(new Bitmaplib::PlotView(mainWindow, kPlaceholderViewLeftPx, kUpperPlaceholderTopPx,
                                                   kPlaceholderViewSidePx, kPlaceholderViewSidePx, drawLock));
    parts.statusLabel = std::make_unique<Mylib::Label>(Mylib::kAlignLeft, mainWindow, 0, 0, kStatusLabelWidthPx,
                                                          kLabelHeightPx, kStatusLabelBack, kStatusLabelText,
                                                          kInitialLabelText);
    parts.lowerView.reset(new Bitmaplib::PlotView(mainWindow, kPlaceholderViewLeftPx, kLowerPlaceholderTopPx,
                                                   kPlaceholderViewSidePx, kPlaceholderViewSidePx, drawLock));
    for (auto& label : parts.scaleLabels) {
        label = std::make_unique<Mylib::Label>(Mylib::kAlignRight, mainWindow, 0, 0, kScaleLabelWidthPx,
                                                  kLabelHeightPx, kScaleLabelBack, kScaleLabelText,
                                                  kInitialLabelText);
    }
    FitLabelsToTheirTexts(parts, widestStatus);
    parts.divider = std::make_unique<SplitBar>(mainWindow, 0, 0, 1, kDividerThicknessPx);
    parts.divider->SetCursorKind(kBarCursorSizeNS);
}

ScaleReadouts ReadoutsOf(const WindowParts& parts, ColourMap map) {
    ScaleReadouts keys{parts.upperView.get(), parts.colourScaleBar.get(), {}, map};
    static_assert(kFrequencyLabelCount == kScaleLabelCount);
    for (int i = 0; i < kFrequencyLabelCount; ++i) {
        keys.labels[i] = parts.scaleLabels[i].get();
    }
    return keys;
}
