// Keeping what the window shows: its client area's picture on the clipboard
// (a 24-bit DIB) or in a PNG file (Windows Imaging Component), and the
// current frame's values in a CSV file (display/frame_csv.h), each chosen in
// the File menu. The picture is composed from the program's own drawings
// (app/files/window_picture_win.h), never copied from the screen.
//
// Files are written whole or not at all: into a temporary file beside the
// target, flushed to the disk, then moved over it. A cancelled dialog changes
// nothing and says nothing; a failure leaves every file as it was and says so
// in a message box.
//
// Threads: the user-interface thread. The picture is composed right after a
// frame-loop pass has copied the views to the screen, under the draw lock;
// the frame is copied between two passes.
#pragma once

#include <windows.h>

#include <string>

#include "display/frame_csv.h"

struct App;
struct WindowPicture;

// File menu commands handled here (true when `id` is one of them).
bool IsExportCommand(int id);
void RunExportCommand(App& app, int id);

// The steps of the commands, without dialogs or message boxes.
// Puts the client area's picture on the clipboard as a 24-bit device-independent bitmap.
bool CopyPictureToClipboard(App& app);
// Writes the client area's picture as a PNG file.
bool SavePicturePng(App& app, const std::wstring& path);
// The frame the frame loop drew last (its FrameData), copied between two
// passes; empty before the first pass.
FrameSnapshot TakeFrameSnapshot(App& app);
// The picture as a PNG file's bytes (Windows Imaging Component, 24-bit);
// COM must be initialised on the calling thread.
bool EncodePng(const WindowPicture& picture, std::string& out);
// Writes `bytes` to `path` whole (temporary file, then a move), or leaves it alone.
bool WriteFileWhole(const std::wstring& path, const std::string& bytes);
