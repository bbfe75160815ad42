// The spectrogram's keys on screen: the colour key strip left of the upper
// view (its bitmap painted from the upper view's selection) and the five
// frequency labels left of the lower view (texts from display/readouts.h).
//
// Threads: PaintColourScale and UpdateScaleLabels are called with the draw
// lock held (the frame loop during a selection drag, the layout, the commands
// after taking it). Label texts are set through the labels' own lock and
// never by a sent message.
#pragma once

#include <array>

#include "base/settings.h"
#include "display/label_win.h"
#include "display/plot_view_win.h"
#include "display/readouts.h"
#include "display/split_bar_win.h"

// What the keys are drawn from and into; any of them may be null (not made
// yet), and is then skipped.
struct ScaleReadouts {
    const Bitmaplib::PlotView* upperView;
    SplitBar* colourScaleBar;
    std::array<Mylib::Label*, kFrequencyLabelCount> labels;  // 0 = top
    ColourMap colourMap = ColourMap::kRainbow;                // the spectrogram's colours
};

// Repaints the strip's bitmap from the upper view's selection and has the
// strip repainted.
void PaintColourScale(const ScaleReadouts& keys);

// PaintColourScale, then the five label texts for the upper view's width and
// selection and the rate, length, axis and view settings.
void UpdateScaleLabels(const ScaleReadouts& keys, const AppSettings& settings);
