// The Settings menu's measuring choices: the spectrogram's colour map and
// the averaging of the spectrum views. Each choice goes into "tavrin.ini"
// (the App's ExtraSettings), into the copies the workers read (the App's
// ViewOptions) and, for the averaging, into the analysis between two passes.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

struct App;
struct ExtraSettings;

// Runs the command when it is one of these (true), else does nothing (false).
bool HandleMeasureCommand(App& app, int id);

// Puts the choices read from "tavrin.ini" in force (at start-up, before the
// workers run) and marks them in the menu.
void ApplyMeasureSettings(App& app);

// Checks the menu items of the choices in force.
void SyncMeasureMenu(HWND hwnd, const ExtraSettings& extra);
