#include "app/command_target_win.h"

#include "app/about_box_win.h"
#include "app/layout_win.h"
#include "app/menu_sync_win.h"
#include "resources/resource_ids.h"

void MainCommandTarget::ShowAbout() { ShowAboutBox(app_.hInstance, app_.hwnd); }

void MainCommandTarget::Exit() { DestroyWindow(app_.hwnd); }

bool MainCommandTarget::IsPitchChecked() {
    return GetMenuState(GetMenu(app_.hwnd), IDM_VIEW_PITCH, MF_BYCOMMAND) == MF_CHECKED;
}

void MainCommandTarget::SetUpperCursor(ViewCursor) {}

void MainCommandTarget::StopRecording() { app_.recorder.StopRecording(); }

void MainCommandTarget::PauseCapture() { app_.capture->PauseCapture(); }

void MainCommandTarget::ResumeCapture() { app_.capture->ResumeCapture(); }

bool MainCommandTarget::StartRecording() {
    return app_.recorder.StartRecording(kRecordingFileName, app_.settings.sampleRate) == 1;
}

void MainCommandTarget::ReopenCapture() {
    app_.capture->OpenCapture(app_.settings.sampleRate, static_cast<unsigned>(app_.settings.deviceIndex));
}

void MainCommandTarget::ClearCalibration() {}

void MainCommandTarget::SetupAnalyzers() {}

void MainCommandTarget::UpdateScaleLabels() {}

void MainCommandTarget::Relayout() { ::Relayout(app_.hwnd); }

void MainCommandTarget::RefreshStatus() {}

void MainCommandTarget::SyncMenu() { ::SyncMenu(app_.hwnd, app_.settings); }
