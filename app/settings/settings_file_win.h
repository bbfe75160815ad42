// "param.bin" and "tavrin.ini" in the current directory: the settings record
// and the settings that do not fit in it (app/extra_settings.h), read at
// start-up and written at shutdown, on the user-interface thread.
#pragma once

#include "base/settings.h"
#include "app/settings/settings_load.h"
#include <string>
#include <string_view>

#include "app/settings/extra_settings.h"
#include "app/settings/settings_load.h"
#include "base/settings.h"

// The settings files' names, relative to the current directory.
inline constexpr const char* kSettingsFileName = "param.bin";
inline constexpr const char* kExtraSettingsFileName = "tavrin.ini";

// The screens as the system reports them now.
ScreenMetrics CurrentScreenMetrics();

// Reads "param.bin" over the record and decides what is in force (see
// LoadSettingsImage); a window on no monitor is then centred on the primary
// one. Reads the start of "tavrin.ini" into `extra` (ParseExtraSettings; a
// missing file gives the defaults). Returns true when "param.bin" was accepted.
bool ReadSettingsFile(AppSettings& s, ExtraSettings& extra, const ScreenMetrics& screen);

// Writes both files whole or not at all: each to a temporary file beside it,
// then "tavrin.ini" and "param.bin" are put in place of the old ones; when
// "param.bin" cannot be put in place, the old "tavrin.ini" is put back. So a
// failure leaves the old files as they were. Returns 1 on success, 0 on failure.
int WriteSettingsFile(const AppSettings& s, const ExtraSettings& extra);

// A name in the system's ANSI code page (as the wave-input devices report
// theirs) in UTF-8, as "tavrin.ini" keeps names.
std::string Utf8FromAnsi(std::string_view ansi);
