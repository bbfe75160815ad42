#include "app/frame/spectrogram_hooks_win.h"

#include <memory>

#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "display/readouts_win.h"
#include "display/spectrogram_win.h"

FrameHooks MakeSpectrogramHooks(App& app) {
    auto work = std::make_shared<SpectrogramWork>();
    FrameHooks hooks;
    hooks.spectrogramColumn = [&app, work](const FrameData& frame, const AppSettings& s) {
        if (Bitmaplib::PlotView* lower = app.parts.lowerView.get()) {
            // The upper view's levels as this pass drew them.
            constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
            const ViewLevels upper{app.live.upperHeight.load(kRelaxed), app.live.activeSpan.load(kRelaxed),
                                   app.live.activeOffset.load(kRelaxed)};
            // The pitch view follows every frame's own pitch.
            DrawSpectrogramColumn(*lower, s, upper, frame.displayValues, frame.binCount, *work, frame.pitch.voiced,
                                  app.options.Map());
        }
    };
    hooks.UpdateScaleLabels = [&app](const AppSettings& s) {
        UpdateScaleLabels(ReadoutsOf(app.parts, app.options.Map()), s);
    };
    return hooks;
}
