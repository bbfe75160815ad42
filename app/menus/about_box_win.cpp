#include "app/menus/about_box_win.h"

#include "resources/resource_ids.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR ShowAboutBox(HINSTANCE hInstance, HWND owner) {
    return DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
}
