#include "app/menus/command_target_win.h"

#include "app/frame/frame_analysis.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/window_parts_win.h"

#include <mutex>

#include "app/menus/about_box_win.h"
#include "app/layout/layout_win.h"
#include "app/menus/measure_menu_win.h"
#include "app/menus/menu_sync_win.h"
#include "app/menus/take_keeping_win.h"
#include "app/settings/extra_settings.h"
#include "app/status/status_loop_win.h"
#include "display/plot_view_win.h"
#include "display/readouts_win.h"
#include "resources/resource_ids.h"

void MainCommandTarget::ShowAbout() { ShowAboutBox(app_.hInstance, app_.hwnd); }

void MainCommandTarget::Exit() { DestroyWindow(app_.hwnd); }

bool MainCommandTarget::IsPitchChecked() {
    return GetMenuState(GetMenu(app_.hwnd), IDM_VIEW_PITCH, MF_BYCOMMAND) == MF_CHECKED;
}

void MainCommandTarget::SetUpperCursor(ViewCursor cursor) {
    if (app_.parts.upperView) {
        app_.parts.upperView->SetCursorKind(cursor == ViewCursor::kArrow ? Mylib::kCursorArrow : Mylib::kCursorCross);
    }
}

void MainCommandTarget::StopRecording() { app_.recorder.StopRecording(); }

// The capture thread takes the pause when it is free: the window never waits
// for the device.
void MainCommandTarget::PauseCapture() { app_.capture->PostPause(); }

// The take already at the recording's name is kept under its start time
// first; a REC that cannot start says why, as the user asked for it. The take
// starts with the blocks of the last open asked for: nothing the device
// delivered before it reaches the file.
bool MainCommandTarget::StartRecording() {
    if (app_.recorder.IsRecording()) {
        return true;
    }
    std::wstring keptAs;
    DWORD error = ERROR_SUCCESS;
    if (!KeepEarlierTake(kRecordingFileName, keptAs, error)) {
        TellRecordingFailed(app_.hInstance, app_.hwnd, IDS_TAKE_NOT_KEPT, keptAs, error);
        return false;
    }
    const RecordFormat format = app_.extraSettings ? app_.extraSettings->recordFormat : RecordFormat::kPcm16;
    if (app_.recorder.StartRecording(kRecordingFileName, app_.settings.sampleRate, app_.capture->lastOpenEpoch(),
                                     format) == 1) {
        return true;
    }
    // The recorder's failed open (or head write) left the reason behind.
    error = GetLastError();
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(kRecordingFileName, MAX_PATH, full, nullptr);
    const char* named = length > 0 && length < MAX_PATH ? full : kRecordingFileName;
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, named, -1, wide, MAX_PATH);
    TellRecordingFailed(app_.hInstance, app_.hwnd, IDS_TAKE_NOT_CREATED, wide, error);
    return false;
}

// Only the chosen device: one that does not open is waited for ("no input"),
// and the stored number stays as it is. An endpoint is device 0 of its way in.
void MainCommandTarget::ReopenCapture() {
    const std::int32_t device = app_.settings.deviceIndex;
    const bool endpoint = app_.inputPaths != nullptr && app_.inputPaths->selectedPath() == InputPath::kEndpoint;
    app_.capture->PostOpen(app_.settings.sampleRate,
                           endpoint ? 0u : device >= 0 ? static_cast<unsigned>(device) : kDefaultDevice);
}

void MainCommandTarget::RequestCalibration() { app_.frameAnalysis->Calibration().Request(); }

// The reference and the running calibration belong to the cepstrum of a
// running pass: clear them between passes.
void MainCommandTarget::ClearCalibration() {
    CepstrumCalibration& calibration = app_.frameAnalysis->Calibration();
    app_.frameLoop->RunBetweenPasses([&calibration] { calibration.Clear(); });
}

// A pass must see one set-up throughout: the new length lands between passes.
void MainCommandTarget::SetupAnalysis() {
    App& app = app_;
    // Runs on the frame loop's thread, with a copy of the settings taken here.
    app_.frameLoop->RunBetweenPasses([&app, now = app_.settings] {
        app.frameAnalysis->SetUp(now);
    });
}

void MainCommandTarget::UpdateScaleLabels() {
    const std::lock_guard<std::mutex> lock(app_.drawLock);
    ::UpdateScaleLabels(ReadoutsOf(app_.parts, app_.options.Map()), app_.settings);
}

// The window may have gone during a modal call of the command (a dialog, a
// message box, a wait for the frame loop): then nothing is shown any more.
void MainCommandTarget::Relayout() {
    if (!app_.windowClosed) {
        ::Relayout(app_.hwnd);
    }
}

void MainCommandTarget::RefreshStatus() {
    if (!app_.windowClosed) {
        PublishSettings(app_);
    }
}

void MainCommandTarget::SyncMenu() {
    if (app_.windowClosed) {
        return;
    }
    ::SyncMenu(app_.hwnd, app_.settings);
    SyncFileMenu(app_.hwnd, app_.playingFile.load(std::memory_order_acquire));
    // The band view's mark in place of FFT's, and the other measuring marks.
    if (app_.extraSettings) SyncMeasureMenu(app_.hwnd, *app_.extraSettings);
}
