// Mylib::Label: a subclassed system "Static" child window that shows one
// line of text in its own font and colours, and turns mouse input into left
// drags (virtual OnDrag / OnMouseMove / OnButtonUp), a right-button vertical
// movement sum and a wheel sum. A left drag ends on the button-up and equally
// when the label loses the mouse capture (WM_CAPTURECHANGED, WM_CANCELMODE).
//
// Coordinates are the window's client pixels. Threads: the window procedure,
// construction and destruction run on the user-interface thread. SetText may
// be called from any thread (the text has its own lock; the call never sends
// a message). AddWheel / TakeWheel / TakeDragY / TakeDragX / TakeClick /
// IsDragging are atomic and may be used from any thread.
//
// Ownership: the label owns its window and its font; the cursor is a shared
// resource. The object's address lives in the window's user data, so a label
// can be neither copied nor moved.
#pragma once

#include <windows.h>

#include <atomic>
#include <climits>

#include "display/gdi_win.h"
#include "display/label_text.h"

namespace Mylib {

// Text alignment inside the label.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 2;

// Cursor shown over the label: the system arrow, the system cross, the
// program's own cursor; any other value leaves the cursor as it is.
inline constexpr int kCursorArrow = 0;
inline constexpr int kCursorCross = 1;
inline constexpr int kCursorOwn = -1;

// Height of the label font, pixels.
inline constexpr int kLabelFontHeightPx = 14;
// How far the pointer may move between press and release of a click, pixels.
inline constexpr int kClickSlopPx = 3;

class Label {
public:
    // `name` may be null (empty text); longer than 255 bytes it is cut.
    Label(int align, HWND parent, int x, int y, int width, int height, COLORREF backColour, COLORREF textColour,
             const char* name);
    virtual ~Label();
    Label(const Label&) = delete;
    Label& operator=(const Label&) = delete;

    // The left button was pressed at (x0, y0) and the pointer is at (x1, y1).
    virtual void OnDrag(int x0, int y0, int x1, int y1) {}
    // Every mouse move, before anything else is done with it.
    virtual void OnMouseMove(int x, int y) {}
    // The left button was released.
    virtual void OnButtonUp() {}
    // The pointer left the window (after a TrackMouseEvent asked for it).
    virtual void OnMouseLeave() {}

    HWND Handle() const { return window_.get(); }
    // Size of the window's normal-position rectangle, pixels.
    int Width() const;
    int Height() const;

    void SetText(const char* text);
    // Size of `text` in the label's own font, pixels; 0 x 0 without a window.
    SIZE TextExtent(const char* text) const;
    // Widens the label (keeping its place and height) so that a text of
    // `width` pixels fits whole; a label already as wide keeps its size.
    void FitWidth(int width);
    void CopyText(LabelText::Buffer& out) const { text_.CopyTo(out); }
    // Draws what the label shows on the screen into `dc`, with its top-left
    // corner at (left, top) and cut to its size; any thread (the text has its
    // own lock, nothing is sent to the window).
    void PaintInto(HDC dc, int left, int top) const;

    void SetCursorKind(int kind) { cursorKind_ = kind; }
    int CursorKind() const { return cursorKind_; }

    // Wheel deltas in the system's units (120 per notch), added by the main window.
    void AddWheel(int delta) { wheel_.fetch_add(delta, std::memory_order_relaxed); }
    // Reads and clears the wheel sum, resp. the right-drag sum (pixels, down positive).
    int TakeWheel() { return wheel_.exchange(0, std::memory_order_relaxed); }
    int TakeDragY() { return dragY_.exchange(0, std::memory_order_relaxed); }
    // Reads and clears the left drag's horizontal sum (pixels, right
    // positive); a drag counts once it has gone kClickSlopPx from its start.
    int TakeDragX() { return dragX_.exchange(0, std::memory_order_relaxed); }
    // Reads and clears the last left click (a press and release that moved
    // less than kClickSlopPx): true and its x, or false when none came.
    bool TakeClick(int& x) {
        const int taken = click_.exchange(kNoClick, std::memory_order_relaxed);
        x = taken;
        return taken != kNoClick;
    }
    // A left drag is in progress.
    bool IsDragging() const { return dragging_.load(std::memory_order_relaxed); }

    // Removes the subclassing, destroys the window and deletes the font.
    // Safe to call again; a derived view releases its own part first.
    virtual void Close();

private:
    static LRESULT CALLBACK LabelWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMessage();
    void DrawContent(HDC dc, int width, int height) const;
    LRESULT OnSetCursorMessage();
    LRESULT OnMouseMoveMessage(int x, int y);
    LRESULT OnLButtonDownMessage(int x, int y);
    LRESULT OnLButtonUpMessage(int x, int y);
    LRESULT OnCaptureLostMessage();
    LRESULT OnRButtonDownMessage(int y);
    LRESULT OnRButtonUpMessage();

    gdi::Window window_;
    WNDPROC oldProc_ = nullptr;
    LabelText text_;
    COLORREF backColour_;
    COLORREF textColour_;
    gdi::Font font_;
    bool leftButtonDown_ = false;
    bool moved_ = false;
    int downX_ = 0;
    int downY_ = 0;
    int curX_ = 0;
    int curY_ = 0;
    int lastY_ = 0;
    std::atomic<bool> dragging_{false};
    int cursorKind_ = kCursorArrow;
    int align_;
    HCURSOR viewCursor_ = nullptr;
    std::atomic<int> dragY_{0};
    std::atomic<int> wheel_{0};
    bool dragBegun_ = false;  // moved kClickSlopPx since the press
    int lastDragX_ = 0;
    std::atomic<int> dragX_{0};
    static constexpr int kNoClick = INT_MIN;
    std::atomic<int> click_{kNoClick};
};

}  // namespace Mylib
