#include "display/gdi_win.h"

#include <atomic>

#include "display/surface.h"

namespace gdi {

namespace {
std::atomic<long> g_liveGdiObjects{0};
}

namespace detail {
void CountGdiObject(long delta) { g_liveGdiObjects.fetch_add(delta, std::memory_order_relaxed); }
}  // namespace detail

long LiveGdiObjects() { return g_liveGdiObjects.load(std::memory_order_relaxed); }

WindowDc::WindowDc(HWND hwnd) : hwnd_(hwnd), h_(GetDC(hwnd)) {
    if (h_) {
        detail::CountGdiObject(+1);
    }
}

WindowDc& WindowDc::operator=(WindowDc&& other) noexcept {
    if (this != &other) {
        Close();
        hwnd_ = std::exchange(other.hwnd_, nullptr);
        h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
}

void WindowDc::Close() {
    if (h_) {
        ReleaseDC(hwnd_, h_);
        detail::CountGdiObject(-1);
        h_ = nullptr;
        hwnd_ = nullptr;
    }
}

Font MakeTextFont(int heightPx) {
    return Font(CreateFontA(heightPx, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN | FIXED_PITCH, "tahoma"));
}

Bitmap MakeSurfaceBitmap(HDC dc, int width, int height, void** bits) {
    *bits = nullptr;
    if (SurfaceBytes(width, height) == 0) {
        return Bitmap();
    }
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = height;  // positive: rows bottom-up
    header.bV5Planes = 1;
    header.bV5BitCount = kSurfaceBitsPerPixel;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = kSurfaceRedMask;
    header.bV5GreenMask = kSurfaceGreenMask;
    header.bV5BlueMask = kSurfaceBlueMask;
    header.bV5AlphaMask = kSurfaceAlphaMask;
    Bitmap bitmap(CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, bits, nullptr, 0));
    if (!bitmap) {
        *bits = nullptr;
    }
    return bitmap;
}

RECT NormalRect(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!hwnd || !GetWindowPlacement(hwnd, &placement)) {
        return RECT{};
    }
    return placement.rcNormalPosition;
}

void SetNormalRect(HWND hwnd, const RECT& rect) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!hwnd || !GetWindowPlacement(hwnd, &placement)) {
        return;
    }
    placement.rcNormalPosition = rect;
    SetWindowPlacement(hwnd, &placement);
}

}  // namespace gdi
