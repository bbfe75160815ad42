// The main window's side of the menu commands: each action of the command
// table carried out on the program's objects. User-interface thread only.
#pragma once

#include "app/program/app_win.h"
#include "app/commands/commands.h"

class MainCommandTarget final : public CommandTarget {
public:
    explicit MainCommandTarget(App& app) : app_(app) {}

    void ShowAbout() override;
    void Exit() override;
    bool IsPitchChecked() override;
    void SetUpperCursor(ViewCursor cursor) override;
    void StopRecording() override;
    void PauseCapture() override;
    bool StartRecording() override;
    void ReopenCapture() override;
    void RequestCalibration() override;
    void ClearCalibration() override;
    void SetupAnalysis() override;
    void UpdateScaleLabels() override;
    void Relayout() override;
    void RefreshStatus() override;
    void SyncMenu() override;

private:
    App& app_;
};
