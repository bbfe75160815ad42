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

// A handle freed by Traits::Free; counted as a live GDI object when
// Traits::kCounted.
template <class Handle, class Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle h) : h_(h) {
        if (h_ && Traits::kCounted) {
            detail::CountGdiObject(+1);
        }
    }
    ~Unique() { Close(); }
    Unique(Unique&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

    void Close() {
        if (h_) {
            Traits::Free(h_);
            if (Traits::kCounted) {
                detail::CountGdiObject(-1);
            }
            h_ = nullptr;
        }
    }

private:
    Handle h_ = nullptr;
};

struct GdiObjectTraits {
    static constexpr bool kCounted = true;
    static void Free(HGDIOBJ h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    static constexpr bool kCounted = true;
    static void Free(HDC h) { DeleteDC(h); }
};
// A window may already be gone with its parent.
struct WindowTraits {
    static constexpr bool kCounted = false;
    static void Free(HWND h) {
        if (IsWindow(h)) {
            DestroyWindow(h);
        }
    }
};

using Pen = Unique<HPEN, GdiObjectTraits>;
using Brush = Unique<HBRUSH, GdiObjectTraits>;
using Font = Unique<HFONT, GdiObjectTraits>;
using Bitmap = Unique<HBITMAP, GdiObjectTraits>;
using Region = Unique<HRGN, GdiObjectTraits>;
// A memory DC (CreateCompatibleDC), freed with DeleteDC.
using MemoryDc = Unique<HDC, MemoryDcTraits>;
using Window = Unique<HWND, WindowTraits>;

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
