// Menu commands: what each command id does to the settings and which actions
// carry the change into effect, in the order they are taken.
//
// Runs on the user-interface thread. The settings written here (each with an
// atomic store, as base/settings.h rules) are read by the frame loop at its
// next use; changes of the analysis length, the capture and
// the calibration go through the target, which hands them to the frame loop
// so that they land between two passes.
#pragma once

#include <cstdint>

#include "base/settings.h"

// Cursor kinds of the upper plot view that commands choose.
enum class ViewCursor { kArrow = 0, kCrossHair = 1 };

// The program as the commands see it. The main window implements it; tests
// record the calls.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual void ShowAbout() = 0;
    virtual void Exit() = 0;
    // True when the pitch item currently reports exactly "checked".
    virtual bool IsPitchChecked() = 0;
    virtual void SetUpperCursor(ViewCursor cursor) = 0;
    virtual void StopRecording() = 0;
    virtual void PauseCapture() = 0;
    // Returns true when the recording file was created.
    virtual bool StartRecording() = 0;
    // Closes the capture device and opens it again at the current rate and
    // device; a device that does not open gives way to the default one.
    // Every command that starts the capture again (RUN, REC from STOP, a
    // rate, a device) does it this way: a paused device would hand over,
    // first, sound it held from before the pause.
    virtual void ReopenCapture() = 0;
    virtual void ClearCalibration() = 0;
    // Sets both analysis channels up for the current data length.
    virtual void SetupAnalyzers() = 0;
    virtual void UpdateScaleLabels() = 0;
    virtual void Relayout() = 0;
    virtual void RefreshStatus() = 0;
    virtual void SyncMenu() = 0;
};

// Highest number of input devices that have a selectable menu item.
inline constexpr int kSelectableDevices = 6;

// Carries out one command: changes the settings, takes its actions in order
// and, for every command but Exit, ends with RefreshStatus then SyncMenu.
// `recording` tells whether a recording file is open now.
void ExecuteCommand(AppSettings& s, int id, bool recording, CommandTarget& target);
