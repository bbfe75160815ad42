// "param.bin" in the current directory: the settings record, read at start-up
// and written at shutdown, on the user-interface thread.
#pragma once

#include "base/settings.h"
#include "app/settings/settings_load.h"

// The settings file's name, relative to the current directory.
inline constexpr const char* kSettingsFileName = "param.bin";

// The screens as the system reports them now.
ScreenMetrics CurrentScreenMetrics();

// Reads the file over the record and decides what is in force (see
// LoadSettingsImage); a window on no monitor is then centred on the primary
// one. Returns true when the file was accepted.
bool ReadSettingsFile(AppSettings& s, const ScreenMetrics& screen);

// Writes the record to a temporary file beside "param.bin" and then puts it in
// place of the old one, so that a failed write leaves the old file whole.
// Returns 1 on success, 0 on failure.
int WriteSettingsFile(const AppSettings& s);
