#include "app/menus/command_target_win.h"

#include "app/frame/frame_analysis.h"
#include "app/frame/frame_loop_win.h"
#include "app/layout/window_parts_win.h"

#include <mutex>

#include "app/menus/about_box_win.h"
#include "app/layout/layout_win.h"
#include "app/menus/menu_sync_win.h"
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

// The take starts with the blocks of the last open asked for: nothing the
// device delivered before it reaches the file.
bool MainCommandTarget::StartRecording() {
    return app_.recorder.StartRecording(kRecordingFileName, app_.settings.sampleRate,
                                        app_.capture->lastOpenEpoch()) == 1;
}

// Only the chosen device: one that does not open is waited for ("no input"),
// and the stored number stays as it is.
void MainCommandTarget::ReopenCapture() {
    const std::int32_t device = app_.settings.deviceIndex;
    app_.capture->PostOpen(app_.settings.sampleRate, device >= 0 ? static_cast<unsigned>(device) : kDefaultDevice);
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
    ::UpdateScaleLabels(ReadoutsOf(app_.parts), app_.settings);
}

void MainCommandTarget::Relayout() { ::Relayout(app_.hwnd); }

void MainCommandTarget::RefreshStatus() { PublishSettings(app_); }

void MainCommandTarget::SyncMenu() {
    ::SyncMenu(app_.hwnd, app_.settings);
    SyncFileMenu(app_.hwnd, app_.playingFile.load(std::memory_order_acquire));
}
