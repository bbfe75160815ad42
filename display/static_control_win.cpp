#include "display/static_control_win.h"

HWND CreateStaticChild(DWORD staticStyle, HWND parent, int x, int y, int width, int height) {
    // Controls are told apart by handle, so they all carry id -1.
    const auto noControlId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1));
    return CreateWindowExA(0, "Static", "static", WS_CHILD | WS_VISIBLE | SS_NOTIFY | staticStyle, x, y, width,
                           height, parent, noControlId, nullptr, nullptr);
}

WNDPROC SubclassControl(HWND hwnd, void* object, WNDPROC proc) {
    if (!hwnd) {
        return nullptr;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void UnsubclassControl(HWND hwnd, WNDPROC& previous) {
    if (hwnd && previous) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    previous = nullptr;
}
