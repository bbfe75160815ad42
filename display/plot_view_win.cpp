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

PlotView::PlotView(HWND parent, int left, int top, int width, int height, std::mutex* drawLock)
    : Label(Mylib::kAlignLeft, parent, left, top, width, height, kViewLabelBack, kViewLabelText, nullptr),
      left_(left),
      top_(top),
      drawLock_(drawLock) {
    windowDc_ = gdi::WindowDc(parent);
    memoryDc_ = gdi::MemoryDc(CreateCompatibleDC(windowDc_.get()));
    MakeSurfaces(width, height);
    MakePensAndFont();
    MakeTextureBrush();
    if (HDC dc = memoryDc_.get()) {
        SelectObject(dc, wavePen_.get());
        SelectObject(dc, textureBrush_.get());
    }
    clipRegion_ = gdi::Region(CreateRectRgn(left, top, left + width, top + height));
    if (windowDc_.get() && clipRegion_) {
        SelectClipRgn(windowDc_.get(), clipRegion_.get());
    }
    if (bytes_ != 0) {
        background_.reset(new (std::nothrow) std::uint8_t[bytes_]());
    }
}

void PlotView::MakeSurfaces(int width, int height) {
    surface_ = gdi::MakeSurfaceBitmap(windowDc_.get(), width, height, &surfaceBits_);
    pattern_ = gdi::MakeSurfaceBitmap(windowDc_.get(), width, height, &patternBits_);
    if (!surface_) {
        return;
    }
    GetObjectA(surface_.get(), sizeof surfaceInfo_, &surfaceInfo_);
    bytes_ = static_cast<std::size_t>(surfaceInfo_.bmWidthBytes) * static_cast<std::size_t>(surfaceInfo_.bmHeight);
    if (HDC dc = memoryDc_.get()) {
        SelectObject(dc, surface_.get());
    }
}

void PlotView::MakePensAndFont() {
    wavePen_ = SolidPen(kWavePenColour);
    spectrumPen_ = SolidPen(kSpectrumPenColour);
    envelopePen_ = SolidPen(kEnvelopePenColour);
    selectionPen_ = SolidPen(kSelectionPenColour);
    framePen_ = SolidPen(kFramePenColour);
    gridPen_ = SolidPen(kGridPenColour);
    axisFont_ = gdi::MakeTextFont(kAxisFontHeightPx);
    if (HDC dc = memoryDc_.get()) {
        SelectObject(dc, axisFont_.get());
    }
}

void PlotView::MakeTextureBrush() {
    // Only the brush is kept; the picture goes when this returns.
    gdi::Bitmap texture = LoadTexture();
    if (texture) {
        textureBrush_ = gdi::Brush(CreatePatternBrush(texture.get()));
    }
    RebuildColourBrush();
}

void PlotView::RebuildColourBrush() {
    gdi::Brush fresh;
    if (pattern_) {
        fresh = gdi::Brush(CreatePatternBrush(pattern_.get()));
    }
    // A brush selected into the memory DC must not be deleted under it.
    HDC dc = memoryDc_.get();
    const bool selected = dc && colourBrush_ && GetCurrentObject(dc, OBJ_BRUSH) == colourBrush_.get();
    if (selected) {
        SelectObject(dc, fresh ? fresh.get() : textureBrush_.get());
    }
    colourBrush_ = std::move(fresh);
}

PlotView::~PlotView() { Close(); }

void PlotView::Close() {
    // The memory DC goes first: everything selected into it is then free.
    memoryDc_.Close();
    surface_.Close();
    surfaceBits_ = nullptr;
    pattern_.Close();
    patternBits_ = nullptr;
    surfaceInfo_ = BITMAP{};
    wavePen_.Close();
    spectrumPen_.Close();
    envelopePen_.Close();
    framePen_.Close();
    gridPen_.Close();
    colourBrush_.Close();
    textureBrush_.Close();
    axisFont_.Close();
    background_.reset();
    bytes_ = 0;
    clipRegion_.Close();
    selectionPen_.Close();
    windowDc_.Close();
    Label::Close();
}

void PlotView::OnDrag(int x0, int y0, int x1, int y1) {
    std::unique_lock<std::mutex> hold;
    if (drawLock_) {
        hold = std::unique_lock<std::mutex>(*drawLock_);
    }
    if (!Selectable()) {
        return;
    }
    DragSelection(selection_, x0, y0, x1, y1, Width(), Height());
}

void PlotView::OnMouseMove(int x, int y) {
    const std::uint64_t packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32) |
                                 static_cast<std::uint32_t>(x);
    pointer_.store(static_cast<std::int64_t>(packed), std::memory_order_relaxed);
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
}

void PlotView::OnMouseLeave() {
    trackingLeave_ = false;
    pointer_.store(kNoCursor, std::memory_order_relaxed);
}

bool PlotView::CursorPoint(int& x, int& y) const {
    const std::int64_t packed = pointer_.load(std::memory_order_relaxed);
    if (packed == kNoCursor) {
        return false;
    }
    x = static_cast<std::int32_t>(static_cast<std::uint32_t>(packed));
    y = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(packed) >> 32));
    return x >= 0 && y >= 0 && x < Width() && y < Height();
}

HPEN PlotView::Pen(ViewPen which) const {
    switch (which) {
    case ViewPen::kWave:
        return wavePen_.get();
    case ViewPen::kSpectrum:
        return spectrumPen_.get();
    case ViewPen::kEnvelope:
        return envelopePen_.get();
    case ViewPen::kFrame:
        return framePen_.get();
    case ViewPen::kSelection:
        return selectionPen_.get();
    case ViewPen::kGrid:
        return gridPen_.get();
    }
    return nullptr;
}

SurfacePixels PlotView::Surface() const { return PixelsOf(surfaceBits_, surfaceInfo_); }

SurfacePixels PlotView::Pattern() const { return PixelsOf(patternBits_, surfaceInfo_); }

void PlotView::SaveBackground() {
    if (surfaceBits_ && background_) {
        GdiFlush();
        std::memcpy(background_.get(), surfaceBits_, bytes_);
    }
}

void PlotView::RestoreBackground() {
    if (surfaceBits_ && background_) {
        GdiFlush();
        std::memcpy(surfaceBits_, background_.get(), bytes_);
    }
}

void PlotView::CopyToScreen() const {
    if (windowDc_.get() && memoryDc_.get() && surfaceBits_) {
        BitBlt(windowDc_.get(), left_, top_, Width(), Height(), memoryDc_.get(), 0, 0, SRCCOPY);
    }
}

}  // namespace Bitmaplib

void RebuildView(PlotViewPtr& view, HWND parent, int left, int top, int width, int height,
                 const SelectionBlock& saved, std::mutex* drawLock) {
    view.reset();
    view.reset(new Bitmaplib::PlotView(parent, left, top, width, height, drawLock));
    view->SetSelection(saved);
}
