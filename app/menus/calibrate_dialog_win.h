// The "Calibrate level" dialog: asks for the known level of the calibrator
// that plays into the input, in dB SPL (94.0 at first).
//
// Threads: the user-interface thread; modal (runs its own message loop, in
// which the main window may be closed: the caller checks the App's
// windowClosed afterwards).
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

// The level the dialog starts with, and the range it takes, dB SPL.
inline constexpr double kDefaultCalibratorLevelDb = 94.0;
inline constexpr double kMinCalibratorLevelDb = 0.0;
inline constexpr double kMaxCalibratorLevelDb = 200.0;

// The level typed, when the whole text is a number within the range (a
// decimal comma is taken as a point); nothing otherwise.
std::optional<double> ParseCalibratorLevel(std::string_view text);

// The level confirmed with OK; nothing for Cancel. A text that is no level
// keeps the dialog open with a message.
std::optional<double> AskCalibratorLevel(HINSTANCE instance, HWND owner);
