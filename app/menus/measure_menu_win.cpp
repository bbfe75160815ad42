#include "app/menus/measure_menu_win.h"

#include <mutex>

#include "app/frame/frame_analysis.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/program/app_win.h"
#include "app/settings/extra_settings.h"
#include "display/readouts_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kColourMapIds[kColourMapCount] = {IDM_COLOUR_MAP_RAINBOW, IDM_COLOUR_MAP_MAGMA, IDM_COLOUR_MAP_GREY};
constexpr int kAverageIds[] = {IDM_AVERAGE_OFF, IDM_AVERAGE_FAST, IDM_AVERAGE_SLOW, IDM_AVERAGE_LINEAR,
                               IDM_AVERAGE_MAX};

// The averaging item that shows `choice`; 0 for an exponential time constant
// other than the menu's two.
int AverageItemOf(const AverageChoice& choice) {
    switch (choice.mode) {
        case AverageMode::kExponential:
            if (choice.seconds == kAverageFastSeconds) return IDM_AVERAGE_FAST;
            if (choice.seconds == kAverageSlowSeconds) return IDM_AVERAGE_SLOW;
            return 0;
        case AverageMode::kLinear:
            return IDM_AVERAGE_LINEAR;
        case AverageMode::kMaxHold:
            return IDM_AVERAGE_MAX;
        default:
            return IDM_AVERAGE_OFF;
    }
}

// The choice an averaging item makes of the one in force (the linear mean
// keeps its number of frames).
AverageChoice AverageChoiceOf(int id, AverageChoice choice) {
    switch (id) {
        case IDM_AVERAGE_FAST:
            return {AverageMode::kExponential, kAverageFastSeconds, choice.frames};
        case IDM_AVERAGE_SLOW:
            return {AverageMode::kExponential, kAverageSlowSeconds, choice.frames};
        case IDM_AVERAGE_LINEAR:
            choice.mode = AverageMode::kLinear;
            return choice;
        case IDM_AVERAGE_MAX:
            choice.mode = AverageMode::kMaxHold;
            return choice;
        default:
            choice.mode = AverageMode::kOff;
            return choice;
    }
}

void SetColourMap(App& app, ColourMap map) {
    app.extraSettings->colourMap = map;
    app.options.colourMap.store(map, std::memory_order_relaxed);
    std::lock_guard<std::mutex> hold(app.drawLock);
    PaintColourScale(ReadoutsOf(app.parts, map));
}

void SetAverage(App& app, const AverageChoice& choice) {
    app.extraSettings->average = choice;
    app.options.SetAverage(choice);
    if (app.frameLoop && app.frameAnalysis) {
        AnalyzerFrameAnalysis& analysis = *app.frameAnalysis;
        app.frameLoop->RunBetweenPasses([&analysis, choice] { analysis.SetAverage(choice); });
    }
}

}  // namespace

bool HandleMeasureCommand(App& app, int id) {
    for (int i = 0; i < kColourMapCount; ++i) {
        if (id == kColourMapIds[i]) {
            SetColourMap(app, static_cast<ColourMap>(i));
            SyncMeasureMenu(app.hwnd, *app.extraSettings);
            return true;
        }
    }
    if (id == IDM_AVERAGE_RESET) {
        if (app.frameLoop && app.frameAnalysis) {
            AnalyzerFrameAnalysis& analysis = *app.frameAnalysis;
            app.frameLoop->RunBetweenPasses([&analysis] { analysis.ResetAverage(); });
        }
        return true;
    }
    for (int item : kAverageIds) {
        if (id == item) {
            SetAverage(app, AverageChoiceOf(id, app.extraSettings->average));
            SyncMeasureMenu(app.hwnd, *app.extraSettings);
            return true;
        }
    }
    return false;
}

void ApplyMeasureSettings(App& app) {
    const ExtraSettings& extra = *app.extraSettings;
    app.options.colourMap.store(extra.colourMap, std::memory_order_relaxed);
    app.options.SetAverage(extra.average);
    if (app.frameAnalysis) app.frameAnalysis->SetAverage(extra.average);
    SyncMeasureMenu(app.hwnd, extra);
}

void SyncMeasureMenu(HWND hwnd, const ExtraSettings& extra) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) return;
    const auto mark = [menu](int id, bool on) {
        CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    for (int i = 0; i < kColourMapCount; ++i) {
        mark(kColourMapIds[i], static_cast<int>(extra.colourMap) == i);
    }
    const int average = AverageItemOf(extra.average);
    for (int item : kAverageIds) mark(item, item == average);
}
