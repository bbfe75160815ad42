#include "display/plot_view_win.h"

#include <cstring>
#include <new>

#include "display/surface.h"
#include "resources/resource_ids.h"

namespace Bitmaplib {

namespace {

// The base label of a view: left-aligned, no text; the window paints black.
constexpr COLORREF kViewLabelBack = 0x808080;
constexpr COLORREF kViewLabelText = 0x00FFFF;

constexpr COLORREF kWavePenColour = 0xFF37C8;
constexpr COLORREF kSpectrumPenColour = 0x58FF32;
constexpr COLORREF kEnvelopePenColour = 0xFF9600;
constexpr COLORREF kFramePenColour = 0x646464;
constexpr COLORREF kSelectionPenColour = 0x00FFFF;
constexpr COLORREF kGridPenColour = 0x3C3C3C;
constexpr int kPenWidthPx = 1;

gdi::Pen SolidPen(COLORREF colour) { return gdi::Pen(CreatePen(PS_SOLID, kPenWidthPx, colour)); }

// "texture.bmp" from the current directory, else the built-in bitmap.
gdi::Bitmap LoadTexture() {
    HANDLE image = LoadImageA(nullptr, kTextureFileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!image) {
        image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEXTURE), IMAGE_BITMAP, 0, 0,
                           LR_CREATEDIBSECTION);
    }
    return gdi::Bitmap(static_cast<HBITMAP>(image));
}

SurfacePixels PixelsOf(void* bits, const BITMAP& bm) {
    if (!bits) {
        return SurfacePixels{nullptr, 0, 0, 0};
    }
    return SurfacePixels{static_cast<std::uint8_t*>(bits), bm.bmWidth, bm.bmHeight, bm.bmWidthBytes};
}

}  // namespace

clsBitmap::clsBitmap(HWND parent, int left, int top, int width, int height, std::mutex* drawLock)
    : clsLabel(Mylib::kAlignLeft, parent, left, top, width, height, kViewLabelBack, kViewLabelText, nullptr),
      nLeft(left),
      nTop(top),
      drawLock_(drawLock) {
    hdcWindow = gdi::WindowDc(parent);
    hdcMem = gdi::MemoryDc(CreateCompatibleDC(hdcWindow.get()));
    MakeSurfaces(width, height);
    MakePensAndFont();
    MakeTextureBrush();
    if (HDC dc = hdcMem.get()) {
        SelectObject(dc, hpenWave.get());
        SelectObject(dc, hbrTexture.get());
    }
    hrgnClip = gdi::Region(CreateRectRgn(left, top, left + width, top + height));
    if (hdcWindow.get() && hrgnClip) {
        SelectClipRgn(hdcWindow.get(), hrgnClip.get());
    }
    if (nBytes != 0) {
        pBackground.reset(new (std::nothrow) std::uint8_t[nBytes]());
    }
}

void clsBitmap::MakeSurfaces(int width, int height) {
    hbmSurface = gdi::MakeSurfaceBitmap(hdcWindow.get(), width, height, &pSurfaceBits);
    hbmPattern = gdi::MakeSurfaceBitmap(hdcWindow.get(), width, height, &pPatternBits);
    if (!hbmSurface) {
        return;
    }
    GetObjectA(hbmSurface.get(), sizeof bmSurface, &bmSurface);
    nBytes = static_cast<std::size_t>(bmSurface.bmWidthBytes) * static_cast<std::size_t>(bmSurface.bmHeight);
    if (HDC dc = hdcMem.get()) {
        SelectObject(dc, hbmSurface.get());
    }
}

void clsBitmap::MakePensAndFont() {
    hpenWave = SolidPen(kWavePenColour);
    hpenSpectrum = SolidPen(kSpectrumPenColour);
    hpenEnvelope = SolidPen(kEnvelopePenColour);
    hpenSelection = SolidPen(kSelectionPenColour);
    hpenFrame = SolidPen(kFramePenColour);
    hpenGrid = SolidPen(kGridPenColour);
    hFontAxis = gdi::MakeTextFont(kAxisFontHeightPx);
    if (HDC dc = hdcMem.get()) {
        SelectObject(dc, hFontAxis.get());
    }
}

void clsBitmap::MakeTextureBrush() {
    // Only the brush is kept; the picture goes when this returns.
    gdi::Bitmap texture = LoadTexture();
    if (texture) {
        hbrTexture = gdi::Brush(CreatePatternBrush(texture.get()));
    }
    RebuildColourBrush();
}

void clsBitmap::RebuildColourBrush() {
    gdi::Brush fresh;
    if (hbmPattern) {
        fresh = gdi::Brush(CreatePatternBrush(hbmPattern.get()));
    }
    // A brush selected into the memory DC must not be deleted under it.
    HDC dc = hdcMem.get();
    const bool selected = dc && hbrColour && GetCurrentObject(dc, OBJ_BRUSH) == hbrColour.get();
    if (selected) {
        SelectObject(dc, fresh ? fresh.get() : hbrTexture.get());
    }
    hbrColour = std::move(fresh);
}

clsBitmap::~clsBitmap() { Close(); }

void clsBitmap::Close() {
    // The memory DC goes first: everything selected into it is then free.
    hdcMem.Close();
    hbmSurface.Close();
    pSurfaceBits = nullptr;
    hbmPattern.Close();
    pPatternBits = nullptr;
    bmSurface = BITMAP{};
    hpenWave.Close();
    hpenSpectrum.Close();
    hpenEnvelope.Close();
    hpenFrame.Close();
    hpenGrid.Close();
    hbrColour.Close();
    hbrTexture.Close();
    hFontAxis.Close();
    pBackground.reset();
    nBytes = 0;
    hrgnClip.Close();
    hpenSelection.Close();
    hdcWindow.Close();
    clsLabel::Close();
}

void clsBitmap::OnDrag(int x0, int y0, int x1, int y1) {
    std::unique_lock<std::mutex> hold;
    if (drawLock_) {
        hold = std::unique_lock<std::mutex>(*drawLock_);
    }
    if (!Selectable()) {
        return;
    }
    DragSelection(selection_, x0, y0, x1, y1, Width(), Height());
}

void clsBitmap::OnMouseMove(int x, int y) {
    const std::uint64_t packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32) |
                                 static_cast<std::uint32_t>(x);
    nCursor.store(static_cast<std::int64_t>(packed), std::memory_order_relaxed);
    if (!bTrackingLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        bTrackingLeave = TrackMouseEvent(&track) != FALSE;
    }
}

void clsBitmap::OnMouseLeave() {
    bTrackingLeave = false;
    nCursor.store(kNoCursor, std::memory_order_relaxed);
}

bool clsBitmap::CursorPoint(int& x, int& y) const {
    const std::int64_t packed = nCursor.load(std::memory_order_relaxed);
    if (packed == kNoCursor) {
        return false;
    }
    x = static_cast<std::int32_t>(static_cast<std::uint32_t>(packed));
    y = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(packed) >> 32));
    return x >= 0 && y >= 0 && x < Width() && y < Height();
}

HPEN clsBitmap::Pen(ViewPen which) const {
    switch (which) {
    case ViewPen::kWave:
        return hpenWave.get();
    case ViewPen::kSpectrum:
        return hpenSpectrum.get();
    case ViewPen::kEnvelope:
        return hpenEnvelope.get();
    case ViewPen::kFrame:
        return hpenFrame.get();
    case ViewPen::kSelection:
        return hpenSelection.get();
    case ViewPen::kGrid:
        return hpenGrid.get();
    }
    return nullptr;
}

SurfacePixels clsBitmap::Surface() const { return PixelsOf(pSurfaceBits, bmSurface); }

SurfacePixels clsBitmap::Pattern() const { return PixelsOf(pPatternBits, bmSurface); }

void clsBitmap::SaveBackground() {
    if (pSurfaceBits && pBackground) {
        GdiFlush();
        std::memcpy(pBackground.get(), pSurfaceBits, nBytes);
    }
}

void clsBitmap::RestoreBackground() {
    if (pSurfaceBits && pBackground) {
        GdiFlush();
        std::memcpy(pSurfaceBits, pBackground.get(), nBytes);
    }
}

void clsBitmap::CopyToScreen() const {
    if (hdcWindow.get() && hdcMem.get() && pSurfaceBits) {
        BitBlt(hdcWindow.get(), nLeft, nTop, Width(), Height(), hdcMem.get(), 0, 0, SRCCOPY);
    }
}

}  // namespace Bitmaplib

void RebuildView(PlotViewPtr& view, HWND parent, int left, int top, int width, int height,
                 const SelectionBlock& saved, std::mutex* drawLock) {
    view.reset();
    view.reset(new Bitmaplib::clsBitmap(parent, left, top, width, height, drawLock));
    view->SetSelection(saved);
}
