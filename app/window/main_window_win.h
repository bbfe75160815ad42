// The main window: its class, its window procedure and the program's entry.
// All of it runs on the user-interface thread.
#pragma once

#include <windows.h>

// Length of the buffers that take the title and class-name strings, bytes.
inline constexpr int kResourceStringBytes = 100;

// Registers the main window class (name from string 109) once per process.
// Returns 1 on success, 0 on failure.
int RegisterMainWindowClass(HINSTANCE hInstance);

// Creates the main window (title from string 103); null on failure.
HWND CreateMainWindow(HINSTANCE hInstance);

// Exit code of a message loop that failed (GetMessage returned -1).
inline constexpr int kMessageLoopFailed = -1;

// Runs the message loop with the accelerator table until WM_QUIT and returns
// its wParam, or until GetMessage fails and returns kMessageLoopFailed.
int RunMessageLoop(HACCEL accelerators);

// The whole program: register, create, show, loop.
int RunProgram(HINSTANCE hInstance, int showCommand);
