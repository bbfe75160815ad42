#include "display/split_bar_win.h"

#include "display/static_control_win.h"
#include "display/surface.h"

SplitBar::SplitBar(HWND parent, int x, int y, int width, int height) {
    window_ = gdi::Window(CreateStaticChild(SS_BITMAP, parent, x, y, width, height));
    windowDc_ = gdi::WindowDc(parent);
    bar_ = gdi::MakeSurfaceBitmap(windowDc_.get(), width, height, &bits_);
    if (bar_) {
        GetObjectA(bar_.get(), sizeof barInfo_, &barInfo_);
    }
    HWND hwnd = window_.get();
    if (!hwnd) {
        return;
    }
    // The control shows the bitmap at its own size and reads the pixels at
    // each repaint, so later pixel changes show after an invalidation.
    SendMessageA(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bar_.get()));
    PaintBarPixels(Pixels(), barInfo_.bmWidth, barInfo_.bmHeight, barInfo_.bmWidthBytes);
    oldProc_ = SubclassControl(hwnd, this, &SplitBar::BarWndProc);
}

SplitBar::~SplitBar() { Close(); }

void SplitBar::Close() {
    UnsubclassControl(window_.get(), oldProc_);
    if (dragging_) {
        ReleaseCapture();
        dragging_ = false;
    }
    window_.Close();
    bar_.Close();
    bits_ = nullptr;
    barInfo_ = BITMAP{};
    windowDc_.Close();
}

LRESULT CALLBACK SplitBar::BarWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ControlObject<SplitBar>(hwnd);
    if (!self) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_MOUSEMOVE:
        return self->OnMouseMoveMessage(PointerY(lParam));
    case WM_LBUTTONDOWN:
        return self->OnLButtonDownMessage(PointerY(lParam));
    case WM_LBUTTONUP:
        return self->OnLButtonUpMessage();
    case WM_CAPTURECHANGED:
        // Another window took the mouse (Alt+Tab, a menu, a dialog): the
        // drag ends here, as the button-up would have ended it.
        self->dragging_ = false;
        return 0;
    case WM_CANCELMODE:
        return self->OnLButtonUpMessage();
    default:
        return CallWindowProcA(self->oldProc_, hwnd, message, wParam, lParam);
    }
}

LRESULT SplitBar::OnMouseMoveMessage(int y) {
    SetCursor(LoadCursorA(nullptr, kind_ != kBarCursorArrow ? IDC_SIZENS : IDC_ARROW));
    if (dragging_) {
        DragStep(y);
    }
    return 0;
}

LRESULT SplitBar::OnLButtonDownMessage(int y) {
    SetCapture(window_.get());
    dragging_ = true;
    grabY_ = y;
    return 0;
}

LRESULT SplitBar::OnLButtonUpMessage() {
    // Only our own capture: releasing another window's would end its drag.
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    dragging_ = false;
    return 0;
}

void SplitBar::DragStep(int y) {
    // A bar that may not move reports no move.
    if (!allowY_) {
        return;
    }
    RECT r = gdi::NormalRect(window_.get());
    const int dy = y - grabY_;
    r.top += dy;
    r.bottom += dy;
    const int thickness = barInfo_.bmHeight;
    if (r.top < kBarMinTopPx) {
        r.top = kBarMinTopPx;
        r.bottom = kBarMinTopPx + thickness;
    }
    RECT client{};
    GetClientRect(GetParent(window_.get()), &client);
    if (r.top > client.bottom - thickness) {
        r.bottom = client.bottom;
        r.top = client.bottom - thickness;
    }
    gdi::SetNormalRect(window_.get(), r);
    barMoved_.store(true, std::memory_order_release);
}
