// Applying the window layout (app/layout/layout.h) to the real windows: on every
// WM_SIZE both plot views and the colour key strip are made anew at their new
// sizes, and the labels and the divider are moved.
//
// Threads: user-interface thread only. OnSize takes the draw lock; it must
// never be reached (e.g. by SendMessage) from a thread that holds it.
#pragma once

#include <windows.h>

struct App;

// The WM_SIZE handler: client width and height (signed), the size kind.
void OnSize(App& app, int cx, WPARAM kind, int cy);

// Lays the window out again at its current client size; synchronous.
void Relayout(HWND mainWindow);

// The WM_GETMINMAXINFO handler: the smallest window whose client area is
// MinimumClientSize for the labels' and the divider's real sizes, with
// the window's frame, caption and menu as they are now. `app` may be null
// (before the window's objects exist): the default sizes are used then.
void OnGetMinMaxInfo(const App* app, HWND hwnd, MINMAXINFO& info);
