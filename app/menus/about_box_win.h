// The About box: a modal dialog owned by the main window.
#pragma once

#include <windows.h>

// Shows the About box and returns when it is closed (the id of the button).
INT_PTR ShowAboutBox(HINSTANCE hInstance, HWND owner);
