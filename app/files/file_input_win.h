// A WAV file in place of the live input: opening one (the File menu's open
// dialog, a file dropped on the window, the command line), the commands that
// act on it while it plays, and the way back to the device.
//
// While a file plays the capture device is closed (the window waits at most
// 50 ms for the close; a device slower to let go starts the file later), the sampling rate is the
// file's (the rate chosen before is kept in App::liveRate and given back
// afterwards), the Device menu carries the file as its last item, checked,
// REC is greyed, RUN plays, STOP pauses and the state reads "FILE". The lower
// view shows the file's overview meanwhile (app/overview/overview_hooks_win.h;
// opening starts it, leaving the file ends it). Choosing a device or a rate
// goes back to the live input.
//
// A file that cannot be played gets a message box naming it and the reason;
// nothing else changes. While REC records, a file asks first whether the
// take may end; "no" keeps it recording and changes nothing.
// A file that can no longer be read while it plays (its stick pulled) gets
// the message too, and the live input comes back.
//
// User-interface thread only.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

struct App;

// Opens `path` and plays it from its start. False (after the message) when
// it cannot be played, or when the user keeps the recording that runs.
bool OpenInputFile(App& app, const std::wstring& path);

// Takes the commands that differ while a file plays, and the open command.
// True when `id` is done with; false when the ordinary command should run
// (after going back to the live input, for a device or a rate).
bool HandleFileCommand(App& app, int id);

// WM_DROPFILES: plays the first file dropped; releases `drop`.
void OnDropFiles(App& app, HDROP drop);

// Plays the file the program's command line names, if any.
void OpenCommandLineFile(App& app);

// The rate "param.bin" keeps: the live one, also while a file plays.
std::int32_t StoredRate(const App& app);

// kInputFileFailedMessage: the file that plays cannot be read any more: back
// to the live input, then the message.
void OnInputFileFailed(App& app);

// Starts the opened file once the capture has let go of the ring; called
// again whenever the capture reports a change.
void PlayWaitingFile(App& app);

// Stops playing without touching the menus or the settings (the window is
// being destroyed).
void CloseInputFile(App& app);
