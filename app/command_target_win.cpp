#include "app/command_target_win.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "app/about_box_win.h"
#include "app/file_input_win.h"
#include "app/layout_win.h"
#include "app/menu_sync_win.h"
#include "app/status_loop_win.h"
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

void MainCommandTarget::PauseCapture() { app_.capture->PauseCapture(); }

bool MainCommandTarget::StartRecording() {
    return app_.recorder.StartRecording(kRecordingFileName, app_.settings.sampleRate) == 1;
}

// A device that does not open gives way to the default one, whose number the
// settings and the menu then show.
void MainCommandTarget::ReopenCapture() {
    OpenStoredDevice(*app_.capture, app_.settings.sampleRate, app_.settings.deviceIndex);
}

// The reference is read by the cepstrum of a running pass: clear it between passes.
void MainCommandTarget::ClearCalibration() {
    Analyzer& upper = *app_.upper;
    app_.frameLoop->RunBetweenPasses([&upper] { std::fill(std::begin(upper.calReference), std::end(upper.calReference), 0.0); });
}

// A pass must see one set-up throughout: the new length lands between passes.
void MainCommandTarget::SetupAnalyzers() {
    App& app = app_;
    app_.frameLoop->RunBetweenPasses([&app] {
        // Runs on the frame loop's thread: it reads the record atomically.
        const AppSettings now = SnapshotSettings(app.settings);
        setupAnalyzer(*app.upper, now);
        setupAnalyzer(*app.lower, now);
    });
}

void MainCommandTarget::UpdateScaleLabels() {
    const std::lock_guard<std::mutex> lock(app_.drawLock);
    updateScaleLabels(readoutsOf(app_.parts), app_.settings);
}

void MainCommandTarget::Relayout() { ::Relayout(app_.hwnd); }

void MainCommandTarget::RefreshStatus() { ::RefreshStatus(app_); }

void MainCommandTarget::SyncMenu() {
    ::SyncMenu(app_.hwnd, app_.settings);
    SyncFileMenu(app_);
}
