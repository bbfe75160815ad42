// Move-only owners of GDI and USER handles. Each frees its handle exactly once
// (Close() may be called any number of times) and none can be copied.
//
// Every owner that makes a GDI object or DC counts it in LiveGdiObjects(), so
// a leak shows even where the system's own count (GetGuiResources) does not
// answer.
//
// Threads: the owners are not shared; the live count is atomic.
#pragma once

#include <windows.h>

#include <utility>

namespace gdi {

// GDI objects and DCs currently held by the owners below, whole process.
long LiveGdiObjects();

namespace detail {
void CountGdiObject(long delta);
}

// Pens, brushes, fonts, bitmaps and regions: freed with DeleteObject.
template <class Handle>
class Object {
public:
    Object() = default;
    explicit Object(Handle h) : h_(h) {
        if (h_) {
            detail::CountGdiObject(+1);
        }
    }
    ~Object() { Close(); }
    Object(Object&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

    void Close() {
        if (h_) {
            DeleteObject(h_);
            detail::CountGdiObject(-1);
            h_ = nullptr;
        }
    }

private:
    Handle h_ = nullptr;
};

using Pen = Object<HPEN>;
using Brush = Object<HBRUSH>;
using Font = Object<HFONT>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;

// A memory DC (CreateCompatibleDC), freed with DeleteDC.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC compatibleWith);
    ~MemoryDc() { Close(); }
    MemoryDc(MemoryDc&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept;
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC get() const { return h_; }
    void Close();

private:
    HDC h_ = nullptr;
};

// A window's DC (GetDC), given back with ReleaseDC.
class WindowDc {
public:
    WindowDc() = default;
    explicit WindowDc(HWND hwnd);
    ~WindowDc() { Close(); }
    WindowDc(WindowDc&& other) noexcept
        : hwnd_(std::exchange(other.hwnd_, nullptr)), h_(std::exchange(other.h_, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept;
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return h_; }
    void Close();

private:
    HWND hwnd_ = nullptr;
    HDC h_ = nullptr;
};

// BeginPaint ... EndPaint around one WM_PAINT; lives on the stack only.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { h_ = BeginPaint(hwnd_, &ps_); }
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return h_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC h_;
};

// An object selected into a DC for a scope; the previous one is put back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selected() {
        if (old_) {
            SelectObject(dc_, old_);
        }
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window, destroyed with DestroyWindow unless it is already gone.
class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : h_(hwnd) {}
    ~Window() { Close(); }
    Window(Window&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Window& operator=(Window&& other) noexcept;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND get() const { return h_; }
    void Close();

private:
    HWND h_ = nullptr;
};

// The program's text font: "tahoma" at `heightPx`, Shift-JIS, fixed pitch.
Font MakeTextFont(int heightPx);

// A 32-bit bottom-up surface (see display/surface.h) of width x height made
// on `dc`; `*bits` receives its pixels (null on failure, as is the bitmap).
Bitmap MakeSurfaceBitmap(HDC dc, int width, int height, void** bits);

// The window's normal-position rectangle (from its placement), or an empty one.
RECT NormalRect(HWND hwnd);
// Moves the window by rewriting the normal-position rectangle of its placement.
void SetNormalRect(HWND hwnd, const RECT& rect);

}  // namespace gdi
