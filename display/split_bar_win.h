// SplitBar: a thin subclassed "Static" child window that shows a small 32-bit
// bitmap (white, with a grey ramp down its first column) and, when vertical
// dragging is allowed, follows the left-button drag up and down.
//
// Two are used: the divider between the plot views (dragging allowed, the
// north-south cursor) and the colour key strip left of the upper view
// (fixed, the arrow; its pixels are repainted by the colour key painter).
//
// Coordinates: the bar's client pixels for the mouse, the parent's client
// pixels for its placement. Pixels: see display/surface.h; Pixels() is null
// when the bitmap could not be made.
//
// A drag ends on the button-up and equally when the bar loses the mouse
// capture (WM_CAPTURECHANGED, WM_CANCELMODE): later plain moves do not drag.
//
// Threads: everything runs on the user-interface thread except the moved
// flag, which the frame loop takes with TakeMoved() (atomic).
//
// Ownership: the bar owns its window, its bitmap and the parent's DC it made
// the bitmap on. It can be neither copied nor moved (its address is in the
// window's user data).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "display/gdi_win.h"

// Cursor over the bar.
inline constexpr int kBarCursorArrow = 0;
inline constexpr int kBarCursorSizeNS = 1;
// The divider may not be dragged higher than this, parent client pixels.
inline constexpr int kBarMinTopPx = 25;

class SplitBar {
public:
    SplitBar(HWND parent, int x, int y, int width, int height);
    ~SplitBar();
    SplitBar(const SplitBar&) = delete;
    SplitBar& operator=(const SplitBar&) = delete;

    HWND Handle() const { return window_.get(); }
    void SetCursorKind(int kind) { kind_ = kind; }
    void AllowVerticalDrag(bool allow) { allowY_ = allow; }

    // Size of the bitmap; its height is the divider's thickness.
    int BitmapWidth() const { return barInfo_.bmWidth; }
    int BitmapHeight() const { return barInfo_.bmHeight; }
    std::ptrdiff_t Stride() const { return barInfo_.bmWidthBytes; }
    // The bitmap's pixels, bottom-up; null when it could not be made.
    std::uint8_t* Pixels() const { return static_cast<std::uint8_t*>(bits_); }

    // True once after each drag step that moved the bar; clears the flag.
    bool TakeMoved() { return barMoved_.exchange(false, std::memory_order_acq_rel); }
    bool Moved() const { return barMoved_.load(std::memory_order_acquire); }

    // Destroys the window, deletes the bitmap and releases the DC; safe twice.
    void Close();

private:
    static LRESULT CALLBACK BarWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMoveMessage(int y);
    LRESULT OnLButtonDownMessage(int y);
    LRESULT OnLButtonUpMessage();
    void DragStep(int y);

    int kind_ = kBarCursorArrow;
    gdi::Window window_;
    gdi::Bitmap bar_;
    gdi::WindowDc windowDc_;
    void* bits_ = nullptr;
    BITMAP barInfo_{};
    WNDPROC oldProc_ = nullptr;
    bool dragging_ = false;
    int grabY_ = 0;
    std::atomic<bool> barMoved_{false};
    bool allowY_ = false;
};
