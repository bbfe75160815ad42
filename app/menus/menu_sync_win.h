// Shows the settings in the main window's menu: check marks and greyed items.
// User-interface thread only.
#pragma once

#include <windows.h>

#include "base/settings.h"

void SyncMenu(HWND hwnd, const AppSettings& s);

// The marks a playing WAV file adds to the menu: the file's Device item
// checked and the devices not, REC greyed while it plays. Runs after SyncMenu.
void SyncFileMenu(HWND hwnd, bool playingFile);

// The CAL item of a menu about to open: checked while a reference is being
// built or in use. A menu without the item is left as it is.
void MarkCalibration(HMENU menu, bool inUse);

// "Clear calibration": enabled only while the input in use is calibrated.
void EnableCalibrationClear(HWND hwnd, bool calibrated);
