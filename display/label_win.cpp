#include "display/label_win.h"

#include "resources/resource_ids.h"

namespace Mylib {

namespace {

// WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_SIMPLE.
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_SIMPLE;
// The control id of every label and bar: they are told apart by handle.
const HMENU kNoControlId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1));

// Pointer position packed in lParam: signed 16-bit words.
int PointerX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointerY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

}  // namespace

clsLabel::clsLabel(int nAlign, HWND parent, int x, int y, int width, int height, COLORREF crBack, COLORREF crText,
                   const char* name)
    : crBack(crBack), crText(crText), nAlign(nAlign) {
    window_ = gdi::Window(CreateWindowExA(0, "Static", "static", kLabelStyle, x, y, width, height, parent,
                                          kNoControlId, nullptr, nullptr));
    text_.Set(name);
    hFont = gdi::MakeTextFont(kLabelFontHeightPx);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_VIEW_CURSOR));
    if (HWND hwnd = window_.get()) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        pfnOldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&clsLabel::LabelWndProc)));
    }
}

clsLabel::~clsLabel() { Close(); }

void clsLabel::Close() {
    // Put the "Static" procedure back first, so the window's last messages
    // never reach an object that is being torn down.
    if (HWND hwnd = window_.get(); hwnd && pfnOldProc) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnOldProc));
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        pfnOldProc = nullptr;
    }
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

LRESULT CALLBACK clsLabel::LabelWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<clsLabel*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
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
    ReleaseCapture();
    OnButtonUp();
    bDragging.store(false, std::memory_order_relaxed);
    return 0;
}

LRESULT clsLabel::OnRButtonDownMessage(int y) {
    SetCapture(window_.get());
    nLastY = y;
    return 0;
}

LRESULT clsLabel::OnRButtonUpMessage() {
    ReleaseCapture();
    return 0;
}

}  // namespace Mylib
