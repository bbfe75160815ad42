// The measuring choices: the spectrogram's colour map and the averaging of
// the spectrum views (Settings menu), and the octave-band view with its band
// width and weighting (View menu). Each choice goes into "tavrin.ini"
// (the App's ExtraSettings), into the copies the workers read (the App's
// ViewOptions) and, for the averaging and the bands, into the analysis
// between two passes. The band view is the FFT view with the bands in place
// of the trace: choosing it runs the FFT command first, and choosing any
// other view ends it. "Calibrate level..." keeps, per input (each device by
// its name, all played files as one), the offset from dBFS to dB SPL that
// makes the 1/3-octave band at 1 kHz read the calibrator's level.
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

// Puts the calibration of the input in use in force for the readouts (the
// App's ViewOptions) and greys "Clear calibration" while that input has
// none: run after anything that may change the input.
void RefreshCalibration(App& app);

// Checks the menu items of the choices in force (the band view's item in
// place of FFT's while it is shown); also run when a menu opens, after the
// commands' own marks.
void SyncMeasureMenu(HWND hwnd, const ExtraSettings& extra);
