#include "display/label_win.h"

#include <cstring>

#include "display/static_control_win.h"
#include "resources/resource_ids.h"

namespace Mylib {

clsLabel::clsLabel(int nAlign, HWND parent, int x, int y, int width, int height, COLORREF crBack, COLORREF crText,
                   const char* name)
    : crBack(crBack), crText(crText), nAlign(nAlign) {
    window_ = gdi::Window(CreateStaticChild(SS_SIMPLE, parent, x, y, width, height));
    text_.Set(name);
    hFont = gdi::MakeTextFont(kLabelFontHeightPx);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_VIEW_CURSOR));
    pfnOldProc = SubclassControl(window_.get(), this, &clsLabel::LabelWndProc);
}

clsLabel::~clsLabel() { Close(); }

void clsLabel::Close() {
    // Put the "Static" procedure back first, so the window's last messages
    // never reach an object that is being torn down.
    UnsubclassControl(window_.get(), pfnOldProc);
    window_.Close();
    hFont.Close();
}

int clsLabel::Width() const {
    const RECT r = gdi::NormalRect(window_.get());
    return r.right - r.left;
}

int clsLabel::Height() const {
    const RECT r = gdi::NormalRect(window_.get());
    return r.bottom - r.top;
}

void clsLabel::SetText(const char* text) {
    text_.Set(text);
    if (window_.get()) {
        InvalidateRect(window_.get(), nullptr, FALSE);
    }
}

SIZE clsLabel::TextExtent(const char* text) const {
    SIZE size{};
    if (!window_.get() || !text) {
        return size;
    }
    gdi::WindowDc dc(window_.get());
    gdi::Selected font(dc.get(), hFont.get());
    GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &size);
    return size;
}

void clsLabel::FitWidth(int width) {
    RECT r = gdi::NormalRect(window_.get());
    if (!window_.get() || r.right - r.left >= width) {
        return;
    }
    r.right = r.left + width;
    gdi::SetNormalRect(window_.get(), r);
}

LRESULT CALLBACK clsLabel::LabelWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ControlObject<clsLabel>(hwnd);
    if (!self) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        return self->OnPaintMessage();
    case WM_SETCURSOR:
        return self->OnSetCursorMessage();
    case WM_MOUSEMOVE:
        return self->OnMouseMoveMessage(PointerX(lParam), PointerY(lParam));
    case WM_LBUTTONDOWN:
        return self->OnLButtonDownMessage(PointerX(lParam), PointerY(lParam));
    case WM_LBUTTONUP:
        return self->OnLButtonUpMessage(PointerX(lParam), PointerY(lParam));
    case WM_RBUTTONDOWN:
        return self->OnRButtonDownMessage(PointerY(lParam));
    case WM_RBUTTONUP:
        return self->OnRButtonUpMessage();
    case WM_CAPTURECHANGED:
        return self->OnCaptureLostMessage();
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) {
            ReleaseCapture();  // sends WM_CAPTURECHANGED, which ends the drag
        }
        return self->OnCaptureLostMessage();
    case WM_MOUSELEAVE:
        self->OnMouseLeave();
        return 0;
    case WM_NULL:
    case STM_SETIMAGE:
        return 0;
    default:
        return CallWindowProcA(self->pfnOldProc, hwnd, message, wParam, lParam);
    }
}

LRESULT clsLabel::OnPaintMessage() {
    LabelText::Buffer text;
    const int length = static_cast<int>(text_.CopyTo(text));
    const int width = Width();
    const int height = Height();
    gdi::PaintDc dc(window_.get());
    gdi::Selected font(dc.get(), hFont.get());
    SetBkColor(dc.get(), crBack);
    SetTextColor(dc.get(), crText);
    SetBkMode(dc.get(), OPAQUE);
    PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
    if (nAlign == kAlignLeft) {
        SetTextAlign(dc.get(), TA_LEFT | TA_TOP);
        TextOutA(dc.get(), 0, 0, text, length);
    } else if (nAlign == kAlignRight) {
        SetTextAlign(dc.get(), TA_RIGHT);
        TextOutA(dc.get(), width, 0, text, length);
    }
    return 0;
}

LRESULT clsLabel::OnSetCursorMessage() {
    switch (nCursorKind) {
    case kCursorArrow:
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        break;
    case kCursorCross:
        SetCursor(LoadCursorA(nullptr, IDC_CROSS));
        break;
    case kCursorOwn:
        SetCursor(hCursor);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT clsLabel::OnMouseMoveMessage(int x, int y) {
    bMoved = true;
    OnMouseMove(x, y);
    if (bLButtonDown) {
        nCurX = x;
        nCurY = y;
        OnDrag(nDownX, nDownY, x, y);
        bDragging.store(true, std::memory_order_relaxed);
    }
    if (GetKeyState(VK_RBUTTON) & 0x8000) {
        nDragY.fetch_add(y - nLastY, std::memory_order_relaxed);
        nLastY = y;
    }
    return 0;
}

LRESULT clsLabel::OnLButtonDownMessage(int x, int y) {
    SetCapture(window_.get());
    bLButtonDown = true;
    bMoved = false;
    nDownX = x;
    nDownY = y;
    return 0;
}

LRESULT clsLabel::OnLButtonUpMessage(int x, int y) {
    nCurX = x;
    nCurY = y;
    if (bMoved && bLButtonDown) {
        OnDrag(nDownX, nDownY, nCurX, nCurY);
    }
    bLButtonDown = false;
    bMoved = false;
    // Only our own capture: releasing another window's would end its drag.
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    OnButtonUp();
    bDragging.store(false, std::memory_order_relaxed);
    return 0;
}

// Another window took the mouse (Alt+Tab, a menu, a dialog) during a left
// drag: it ends at the last position seen, as the button-up would end it.
LRESULT clsLabel::OnCaptureLostMessage() {
    if (!bLButtonDown) {
        return 0;
    }
    return OnLButtonUpMessage(nCurX, nCurY);
}

LRESULT clsLabel::OnRButtonDownMessage(int y) {
    SetCapture(window_.get());
    nLastY = y;
    return 0;
}

LRESULT clsLabel::OnRButtonUpMessage() {
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    return 0;
}

}  // namespace Mylib
