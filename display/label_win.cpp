#include "display/label_win.h"

#include <cstdlib>
#include <cstring>

#include "display/static_control_win.h"
#include "resources/resource_ids.h"

namespace Mylib {

Label::Label(int align, HWND parent, int x, int y, int width, int height, COLORREF backColour, COLORREF textColour,
                   const char* name)
    : backColour_(backColour), textColour_(textColour), align_(align) {
    window_ = gdi::Window(CreateStaticChild(SS_SIMPLE, parent, x, y, width, height));
    text_.Set(name);
    font_ = gdi::MakeTextFont(kLabelFontHeightPx);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    viewCursor_ = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_VIEW_CURSOR));
    oldProc_ = SubclassControl(window_.get(), this, &Label::LabelWndProc);
}

Label::~Label() { Close(); }

void Label::Close() {
    // Put the "Static" procedure back first, so the window's last messages
    // never reach an object that is being torn down.
    UnsubclassControl(window_.get(), oldProc_);
    window_.Close();
    font_.Close();
}

int Label::Width() const {
    const RECT r = gdi::NormalRect(window_.get());
    return r.right - r.left;
}

int Label::Height() const {
    const RECT r = gdi::NormalRect(window_.get());
    return r.bottom - r.top;
}

void Label::SetText(const char* text) {
    text_.Set(text);
    if (window_.get()) {
        InvalidateRect(window_.get(), nullptr, FALSE);
    }
}

SIZE Label::TextExtent(const char* text) const {
    SIZE size{};
    if (!window_.get() || !text) {
        return size;
    }
    gdi::WindowDc dc(window_.get());
    gdi::Selected font(dc.get(), font_.get());
    GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &size);
    return size;
}

void Label::FitWidth(int width) {
    RECT r = gdi::NormalRect(window_.get());
    if (!window_.get() || r.right - r.left >= width) {
        return;
    }
    r.right = r.left + width;
    gdi::SetNormalRect(window_.get(), r);
}

LRESULT CALLBACK Label::LabelWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ControlObject<Label>(hwnd);
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
        return CallWindowProcA(self->oldProc_, hwnd, message, wParam, lParam);
    }
}

LRESULT Label::OnPaintMessage() {
    const int width = Width();
    const int height = Height();
    gdi::PaintDc dc(window_.get());
    DrawContent(dc.get(), width, height);
    return 0;
}

void Label::PaintInto(HDC dc, int left, int top) const {
    const int width = Width();
    const int height = Height();
    const int saved = SaveDC(dc);
    POINT origin{};
    SetViewportOrgEx(dc, left, top, &origin);
    IntersectClipRect(dc, 0, 0, width, height);
    DrawContent(dc, width, height);
    RestoreDC(dc, saved);
}

void Label::DrawContent(HDC dc, int width, int height) const {
    LabelText::Buffer text;
    const int length = static_cast<int>(text_.CopyTo(text));
    gdi::Selected font(dc, font_.get());
    SetBkColor(dc, backColour_);
    SetTextColor(dc, textColour_);
    SetBkMode(dc, OPAQUE);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    if (align_ == kAlignLeft) {
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        TextOutA(dc, 0, 0, text, length);
    } else if (align_ == kAlignRight) {
        SetTextAlign(dc, TA_RIGHT);
        TextOutA(dc, width, 0, text, length);
    }
}

LRESULT Label::OnSetCursorMessage() {
    switch (cursorKind_) {
    case kCursorArrow:
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        break;
    case kCursorCross:
        SetCursor(LoadCursorA(nullptr, IDC_CROSS));
        break;
    case kCursorOwn:
        SetCursor(viewCursor_);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT Label::OnMouseMoveMessage(int x, int y) {
    moved_ = true;
    OnMouseMove(x, y);
    if (leftButtonDown_) {
        curX_ = x;
        curY_ = y;
        OnDrag(downX_, downY_, x, y);
        dragging_.store(true, std::memory_order_relaxed);
        if (!dragBegun_ && std::abs(x - downX_) >= kClickSlopPx) {
            dragBegun_ = true;
            lastDragX_ = downX_;
        }
        if (dragBegun_) {
            dragX_.fetch_add(x - lastDragX_, std::memory_order_relaxed);
            lastDragX_ = x;
        }
    }
    if (GetKeyState(VK_RBUTTON) & 0x8000) {
        dragY_.fetch_add(y - lastY_, std::memory_order_relaxed);
        lastY_ = y;
    }
    return 0;
}

LRESULT Label::OnLButtonDownMessage(int x, int y) {
    SetCapture(window_.get());
    leftButtonDown_ = true;
    moved_ = false;
    dragBegun_ = false;
    downX_ = x;
    downY_ = y;
    return 0;
}

LRESULT Label::OnLButtonUpMessage(int x, int y) {
    curX_ = x;
    curY_ = y;
    if (moved_ && leftButtonDown_) {
        OnDrag(downX_, downY_, curX_, curY_);
    }
    if (leftButtonDown_ && !dragBegun_ && std::abs(x - downX_) < kClickSlopPx &&
        std::abs(y - downY_) < kClickSlopPx) {
        click_.store(x, std::memory_order_relaxed);
    }
    dragBegun_ = false;
    leftButtonDown_ = false;
    moved_ = false;
    // Only our own capture: releasing another window's would end its drag.
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    OnButtonUp();
    dragging_.store(false, std::memory_order_relaxed);
    return 0;
}

// Another window took the mouse (Alt+Tab, a menu, a dialog) during a left
// drag: it ends at the last position seen, as the button-up would end it.
LRESULT Label::OnCaptureLostMessage() {
    if (!leftButtonDown_) {
        return 0;
    }
    dragBegun_ = true;  // a press cut short is no click
    return OnLButtonUpMessage(curX_, curY_);
}

LRESULT Label::OnRButtonDownMessage(int y) {
    SetCapture(window_.get());
    lastY_ = y;
    return 0;
}

LRESULT Label::OnRButtonUpMessage() {
    if (GetCapture() == window_.get()) {
        ReleaseCapture();
    }
    return 0;
}

}  // namespace Mylib
