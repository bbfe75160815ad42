#include "app/menus/measure_menu_win.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "app/commands/commands.h"
#include "app/frame/frame_analysis.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/menus/calibrate_dialog_win.h"
#include "app/menus/command_target_win.h"
#include "app/menus/menu_sync_win.h"
#include "app/program/app_win.h"
#include "app/settings/extra_settings.h"
#include "app/status/status_loop_win.h"
#include "app/settings/settings_file_win.h"
#include "display/readouts_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kColourMapIds[kColourMapCount] = {IDM_COLOUR_MAP_RAINBOW, IDM_COLOUR_MAP_MAGMA, IDM_COLOUR_MAP_GREY};
constexpr int kAverageIds[] = {IDM_AVERAGE_OFF, IDM_AVERAGE_FAST, IDM_AVERAGE_SLOW, IDM_AVERAGE_LINEAR,
                               IDM_AVERAGE_MAX};

constexpr int kBandFractionIds[kBandFractionCount] = {IDM_BANDS_1, IDM_BANDS_3, IDM_BANDS_6, IDM_BANDS_12,
                                                      IDM_BANDS_24};
constexpr int kWeightingIds[] = {IDM_WEIGHTING_Z, IDM_WEIGHTING_A, IDM_WEIGHTING_C};
// The View menu's other views: each ends the band view.
constexpr int kOtherViewIds[] = {IDM_VIEW_WAVE, IDM_VIEW_WAVE_FFT, IDM_VIEW_FFT, IDM_VIEW_CEPSTRUM, IDM_VIEW_PITCH};

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

// The bands the analysis sums: the choice while the band view is shown.
void PostBands(App& app) {
    const ExtraSettings& extra = *app.extraSettings;
    const std::optional<BandChoice> choice =
        extra.bandView ? std::optional<BandChoice>(extra.bands) : std::nullopt;
    app.options.SetBands(choice);
    if (app.frameLoop && app.frameAnalysis) {
        AnalyzerFrameAnalysis& analysis = *app.frameAnalysis;
        app.frameLoop->RunBetweenPasses([&analysis, choice] { analysis.SetBands(choice); });
    } else if (app.frameAnalysis) {
        app.frameAnalysis->SetBands(choice);
    }
}

// The band view shows the spectrum alone, as FFT does, with the bands in
// place of its trace.
void ShowBands(App& app) {
    MainCommandTarget target(app);
    ExecuteCommand(app.settings, IDM_VIEW_FFT, app.recorder.IsRecording(), target);
    app.extraSettings->bandView = true;
    PostBands(app);
}

// The input the calibration in force belongs to: "(file)" while a file
// plays, else the chosen device's name; empty when that is not listed.
std::string CalibrationInputName(const App& app) {
    if (app.playingFile.load(std::memory_order_acquire)) return std::string(kFileCalibrationName);
    if (!app.capture) return {};
    for (const InputDevice& device : app.capture->Devices()) {
        if (static_cast<std::int64_t>(device.number) == app.settings.deviceIndex) {
            return StorableDeviceName(Utf8FromAnsi(device.name));
        }
    }
    return {};
}

void TellNoTone(const App& app) {
    constexpr int kTextChars = 512;
    wchar_t text[kTextChars] = {};
    wchar_t title[kTextChars] = {};
    LoadStringW(app.hInstance, IDS_CALIBRATE_NO_TONE, text, kTextChars);
    LoadStringW(app.hInstance, IDS_APP_TITLE, title, kTextChars);
    MessageBoxW(app.hwnd, text, title, MB_OK | MB_ICONWARNING);
}

// Asks for the calibrator's level and takes the offset from the level the
// input reads now in the 1/3-octave band at 1 kHz.
void Calibrate(App& app) {
    const std::string name = CalibrationInputName(app);
    const std::optional<double> level = AskCalibratorLevel(app.hInstance, app.hwnd);
    if (!level || app.windowClosed || name.empty() || !app.frameAnalysis) return;
    double measured = -std::numeric_limits<double>::infinity();
    AnalyzerFrameAnalysis& analysis = *app.frameAnalysis;
    if (app.frameLoop) {
        app.frameLoop->RunBetweenPasses([&analysis, &measured] { measured = analysis.CalibratorLevelDbfs(); });
    } else {
        measured = analysis.CalibratorLevelDbfs();
    }
    if (app.windowClosed) return;
    std::map<std::string, double>& kept = app.extraSettings->calibrations;
    if (!std::isfinite(measured) || (kept.size() >= kMaxCalibrations && !kept.contains(name))) {
        TellNoTone(app);
        return;
    }
    kept[name] = *level - measured;
}

bool HandleBandCommand(App& app, int id) {
    ExtraSettings& extra = *app.extraSettings;
    if (id == IDM_VIEW_BANDS) {
        ShowBands(app);
        return true;
    }
    for (int i = 0; i < kBandFractionCount; ++i) {
        if (id == kBandFractionIds[i]) {
            extra.bands.fraction = kBandFractions[i];
            PostBands(app);
            return true;
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(kWeightingIds)); ++i) {
        if (id == kWeightingIds[i]) {
            extra.bands.weighting = static_cast<BandWeighting>(i);
            PostBands(app);
            return true;
        }
    }
    return false;
}

}  // namespace

bool HandleMeasureCommand(App& app, int id) {
    for (int view : kOtherViewIds) {
        if (id == view && app.extraSettings->bandView) {
            // The view's own command follows (not handled here).
            app.extraSettings->bandView = false;
            PostBands(app);
            SyncMeasureMenu(app.hwnd, *app.extraSettings);
            return false;
        }
    }
    if (id == IDM_CALIBRATE || id == IDM_CALIBRATION_CLEAR) {
        if (id == IDM_CALIBRATE) {
            Calibrate(app);
        } else {
            app.extraSettings->calibrations.erase(CalibrationInputName(app));
        }
        if (!app.windowClosed) RefreshCalibration(app);
        return true;
    }
    if (HandleBandCommand(app, id)) {
        SyncMeasureMenu(app.hwnd, *app.extraSettings);
        RefreshStatus(app);  // the status line names the band view
        return true;
    }
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
            RefreshStatus(app);  // the status line names the averaging
            return true;
        }
    }
    return false;
}

void ApplyMeasureSettings(App& app) {
    ExtraSettings& extra = *app.extraSettings;
    // The band view is the spectrum alone; a stored view of another kind wins.
    const AppSettings& s = app.settings;
    if (s.showWave != 0 || s.showSpectrum != 1 || s.cepstrumMode != 0) extra.bandView = false;
    const std::optional<BandChoice> bands =
        extra.bandView ? std::optional<BandChoice>(extra.bands) : std::nullopt;
    app.options.SetBands(bands);
    if (app.frameAnalysis) app.frameAnalysis->SetBands(bands);
    app.options.colourMap.store(extra.colourMap, std::memory_order_relaxed);
    app.options.SetAverage(extra.average);
    if (app.frameAnalysis) app.frameAnalysis->SetAverage(extra.average);
    SyncMeasureMenu(app.hwnd, extra);
}

void RefreshCalibration(App& app) {
    const auto& kept = app.extraSettings->calibrations;
    const auto found = kept.find(CalibrationInputName(app));
    const bool calibrated = found != kept.end();
    app.options.splOffsetDb.store(calibrated ? found->second : std::numeric_limits<double>::quiet_NaN(),
                                  std::memory_order_relaxed);
    EnableCalibrationClear(app.hwnd, calibrated);
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
    for (int i = 0; i < kBandFractionCount; ++i) mark(kBandFractionIds[i], extra.bands.fraction == kBandFractions[i]);
    for (int i = 0; i < static_cast<int>(std::size(kWeightingIds)); ++i) {
        mark(kWeightingIds[i], static_cast<int>(extra.bands.weighting) == i);
    }
    mark(IDM_VIEW_BANDS, extra.bandView);
    if (extra.bandView) mark(IDM_VIEW_FFT, false);
}
