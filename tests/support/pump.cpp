#include "support/pump.h"

namespace testsupport {

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpPending();
    }
    return true;
}

namespace {

BOOL CALLBACK FindDialogProc(HWND hwnd, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace testsupport
