// REC's side of the recording's file: the take already in the recording's
// place is kept under the time it started (app/commands/take_names.h) before
// a new one is made there, and a REC that cannot start says why.
//
// User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

// Renames the file at `path` (in the current directory), if there is one, to
// its kept name, never over an existing file. True when `path` is free now.
// False, nothing changed, when it could not be moved: `keptAs` is then the
// name it was to get (empty when none was tried) and `error` the system's
// error code. A directory in the way is not moved: creating the file fails.
bool KeepEarlierTake(const char* path, std::wstring& keptAs, DWORD& error);

// A message box for a REC that did not start: the text `textId` with `name`
// and the system's text for `error`.
void TellRecordingFailed(HINSTANCE instance, HWND owner, UINT textId, const std::wstring& name, DWORD error);
