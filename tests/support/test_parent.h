// A plain top-level window to host the display controls in tests, with a
// client area of a known size, recording the notifications it receives.
#pragma once

#include <windows.h>

#include <vector>

namespace testsupport {

// A WM_COMMAND a test parent received: its wParam and lParam.
struct Notification {
    WPARAM wParam;
    LPARAM lParam;
};

class TestParent {
public:
    TestParent(int clientWidth, int clientHeight);
    ~TestParent();
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND Handle() const { return hwnd_; }
    const std::vector<Notification>& Commands() const { return commands_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    std::vector<Notification> commands_;
};

// Sends a mouse message with the pointer at (x, y) in the window's client area.
LRESULT SendMouse(HWND hwnd, UINT message, int x, int y, WPARAM keys = 0);

// Marks a mouse button (VK_LBUTTON, VK_RBUTTON) held or free in this thread's key state.
void SetButtonState(int virtualKey, bool down);

}  // namespace testsupport
