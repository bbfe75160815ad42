#include "app/frame/spectrogram_hooks_win.h"

#include <memory>

#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "display/readouts_win.h"
#include "display/spectrogram_win.h"

FrameHooks MakeSpectrogramHooks(App& app) {
    auto work = std::make_shared<SpectrogramWork>();
    FrameHooks hooks;
    hooks.spectrogramColumn = [&app, work](const FrameData& frame) {
        if (Bitmaplib::clsBitmap* lower = app.parts.lowerView.get()) {
            drawSpectrogramColumn(*lower, SnapshotSettings(app.settings), frame.displayValues, frame.binCount, *work);
        }
    };
    hooks.updateScaleLabels = [&app] { updateScaleLabels(readoutsOf(app.parts), SnapshotSettings(app.settings)); };
    return hooks;
}
