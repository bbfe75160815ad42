// Menu commands: what each command id does to the settings and which actions
// carry the change into effect, in the order they are taken.
//
// Runs on the user-interface thread, which owns the settings image. The
// workers see the changed settings once the target's RefreshStatus has
// published them (base/settings.h); changes of the analysis length, the
// capture and the calibration go through the target, which hands them to the
// frame loop so that they land between two passes (a CAL request is an
// atomic flag the next cepstrum frame takes).
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
    // device; a device that does not open is waited for, never replaced.
    // Every command that starts the capture again (RUN, REC from STOP, a
    // rate, a device) does it this way: a paused device would hand over,
    // first, sound it held from before the pause.
    virtual void ReopenCapture() = 0;
    // Asks for a CAL on the next cepstrum frame.
    virtual void RequestCalibration() = 0;
    // Zeroes the CAL reference and ends a calibration still running.
    virtual void ClearCalibration() = 0;
    // Sets the analysis up for the current data length.
    virtual void SetupAnalysis() = 0;
    virtual void UpdateScaleLabels() = 0;
    virtual void Relayout() = 0;
    // Publishes the settings to the workers and shows them in the status line.
    virtual void RefreshStatus() = 0;
    virtual void SyncMenu() = 0;
};

// The command Space stands for: RUN while the state is STOP, STOP in RUN
// and REC. Any other id is returned as it is.
int ResolvePlayToggle(const AppSettings& s, int id);

// Carries out one command: changes the settings, takes its actions in order
// and, for every command but Exit, ends with RefreshStatus then SyncMenu.
// `recording` tells whether a recording file is open now.
void ExecuteCommand(AppSettings& s, int id, bool recording, CommandTarget& target);
