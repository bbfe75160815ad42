// What the program's subclassed "Static" controls (labels, views, bars)
// share: their creation and the swap of their window procedure.
//
// The object that handles a control's messages is found through the window's
// user data; the saved "Static" procedure gets every message it leaves.
#pragma once

#include <windows.h>

// Makes a visible "Static" child with the given style bits added; control id -1.
HWND CreateStaticChild(DWORD staticStyle, HWND parent, int x, int y, int width, int height);

// Installs `proc` with `object` in the user data; returns the old procedure.
WNDPROC SubclassControl(HWND hwnd, void* object, WNDPROC proc);

// Puts `previous` back and clears the user data, once; `previous` becomes null.
void UnsubclassControl(HWND hwnd, WNDPROC& previous);

// The object stored by SubclassControl, or null.
template <class T>
T* ControlObject(HWND hwnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Pointer position packed in a mouse message's lParam: signed 16-bit words.
inline int PointerX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
inline int PointerY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }
