// The Settings menu's source choices: the channel a source of several
// channels plays (left, right, the mix, or channel 3 to 8) and the format REC
// writes (16-bit PCM, 24-bit PCM or 32-bit float). Each choice goes into
// "tavrin.ini" (the App's ExtraSettings); the channel also to the file source
// (from its next block on) and to the audio endpoint (from its next packet
// on), and the format to the next take.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

struct App;
struct ExtraSettings;

// Runs the command when it is one of these (true), else does nothing (false).
bool HandleSourceCommand(App& app, int id);

// Puts the choices read from "tavrin.ini" in force (at start-up, once the file
// source exists) and marks them in the menu.
void ApplySourceSettings(App& app);

// Checks the menu items of the choices in force.
void SyncSourceMenu(HWND hwnd, const ExtraSettings& extra);
