#include "app/commands/commands.h"

#include "app/commands/menu_tables.h"
#include "app/commands/device_commands.h"

namespace {

struct ViewModeFlags {
    int id;
    std::uint8_t showWave;
    std::uint8_t showSpectrum;
};

constexpr ViewModeFlags kPlainViews[] = {
    {IDM_VIEW_WAVE, 1, 0},
    {IDM_VIEW_FFT, 0, 1},
    {IDM_VIEW_WAVE_FFT, 1, 1},
};

template <std::size_t N>
const MenuItemValue* Find(const MenuItemValue (&table)[N], int id) {
    for (const MenuItemValue& e : table) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

void EnterSpectrumView(AppSettings& s, CommandTarget& target) {
    s.showWave = 0;
    s.cepstrumMode = 1;
    s.showSpectrum = 1;
    s.holdTrace = 0;
    target.SetUpperCursor(ViewCursor::kCrossHair);
    target.Relayout();
}

// From STOP a take starts the capture again the way RUN does: the device
// opened afresh, so nothing it held from before the stop reaches the new run.
// From RUN the capture goes on as it is.
void Record(AppSettings& s, CommandTarget& target) {
    if (s.runState == kStop) {
        target.ReopenCapture();
    }
    // Only a file that was really created may be shown as a recording.
    s.runState = target.StartRecording() ? kRec : kRun;
}

void ChangeRate(AppSettings& s, std::int32_t rate, bool recording, CommandTarget& target) {
    // A file keeps the rate of its head: end it before blocks of another rate arrive.
    if (recording && rate != s.sampleRate) {
        target.StopRecording();
        s.runState = kRun;
    }
    s.sampleRate = rate;
    target.ReopenCapture();
    target.UpdateScaleLabels();
    target.ClearCalibration();
    target.Relayout();
}

void ChangeLength(AppSettings& s, std::int32_t length, CommandTarget& target) {
    s.fftLength = length;
    s.halfLength = length / 2;
    target.ClearCalibration();
    target.SetupAnalysis();
    target.UpdateScaleLabels();
    target.Relayout();
}

// Returns false for Exit, whose window is gone afterwards.
bool Dispatch(AppSettings& s, int id, bool recording, CommandTarget& target) {
    if (id == IDM_EXIT) {
        target.Exit();
        return false;
    }
    if (id == IDM_ABOUT) {
        target.ShowAbout();
        return true;
    }
    if (const int device = SelectedDevice(id); device >= 0) {
        s.deviceIndex = device;
        target.ReopenCapture();
        return true;
    }
    for (const ViewModeFlags& v : kPlainViews) {
        if (v.id == id) {
            s.showWave = v.showWave;
            s.showSpectrum = v.showSpectrum;
            s.cepstrumMode = 0;
            s.holdTrace = 0;
            target.SetUpperCursor(v.showSpectrum ? ViewCursor::kCrossHair : ViewCursor::kArrow);
            target.Relayout();
            return true;
        }
    }
    if (id == IDM_VIEW_CEPSTRUM) {
        s.pitchOn = 0;
        EnterSpectrumView(s, target);
        return true;
    }
    if (id == IDM_VIEW_PITCH) {
        s.pitchOn = target.IsPitchChecked() ? 0 : 1;
        EnterSpectrumView(s, target);
        return true;
    }
    if (id == IDM_CAL) {
        target.RequestCalibration();
        return true;
    }
    if (id == IDM_CAL_CLEAR) {
        target.ClearCalibration();
        return true;
    }
    if (const MenuItemValue* w = Find(kWindowItems, id)) {
        s.windowKind = w->value;
        return true;
    }
    if (id == IDM_RUN) {
        target.ReopenCapture();
        if (s.runState != kRec) s.runState = kRun;
        return true;
    }
    if (id == IDM_STOP) {
        target.StopRecording();
        target.PauseCapture();
        s.runState = kStop;
        return true;
    }
    if (id == IDM_REC) {
        if (s.runState != kRec) Record(s, target);
        return true;
    }
    if (const MenuItemValue* p = Find(kPauseItems, id)) {
        s.pauseMs = p->value;
        return true;
    }
    if (const MenuItemValue* r = Find(kRateItems, id)) {
        ChangeRate(s, r->value, recording, target);
        return true;
    }
    if (const MenuItemValue* l = Find(kLengthItems, id)) {
        ChangeLength(s, l->value, target);
        return true;
    }
    if (id == IDM_GRID_LINEAR || id == IDM_GRID_LOG) {
        s.logGrid = id == IDM_GRID_LOG ? 1 : 0;
        target.UpdateScaleLabels();
        target.Relayout();
        return true;
    }
    if (id == IDM_COLOUR_ON || id == IDM_COLOUR_OFF) {
        s.colourSpectrum = id == IDM_COLOUR_ON ? 1 : 0;
        target.Relayout();
        return true;
    }
    return true;  // the placeholder and devices past the sixth: nothing but the common ending
}

}  // namespace

int ResolvePlayToggle(const AppSettings& s, int id) {
    if (id != IDM_PLAY_TOGGLE) {
        return id;
    }
    return s.runState == kStop ? IDM_RUN : IDM_STOP;
}

void ExecuteCommand(AppSettings& s, int id, bool recording, CommandTarget& target) {
    if (Dispatch(s, ResolvePlayToggle(s, id), recording, target)) {
        target.RefreshStatus();
        target.SyncMenu();
    }
}
