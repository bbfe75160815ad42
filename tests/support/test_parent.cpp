#include "support/test_parent.h"

namespace testsupport {

namespace {
constexpr char kParentClass[] = "TavrinTestParent";
}

TestParent::TestParent(int clientWidth, int clientHeight) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TestParent::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kParentClass;
    RegisterClassExA(&wc);  // fails harmlessly when already registered
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    hwnd_ = CreateWindowExA(0, kParentClass, "test", WS_OVERLAPPEDWINDOW, 0, 0, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
}

TestParent::~TestParent() {
    if (IsWindow(hwnd_)) {
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK TestParent::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestParent*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_COMMAND) {
        self->commands_.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT SendMouse(HWND hwnd, UINT message, int x, int y, WPARAM keys) {
    return SendMessageA(hwnd, message, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void SetButtonState(int virtualKey, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[virtualKey] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace testsupport
