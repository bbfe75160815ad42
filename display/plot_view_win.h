// Bitmaplib::clsBitmap: a plot view. It is a label window (mouse input, the
// wheel and right-drag sums, the cursor; it paints itself black) plus an
// off-screen 32-bit surface selected into a memory DC, into which the axes,
// traces and spectrogram draw; the surface reaches the screen with one block
// copy into the parent window's DC at the view's position.
//
// Surface: display/surface.h (bottom-up rows, bytes blue, green, red, unused).
// Width() and Height() are the surface's size, 0 x 0 when it could not be
// made; every direct pixel access and copy here treats such a view as empty.
//
// Selection block: display/selection.h. OnDrag stores it (when selectable)
// under the draw lock, as the frame loop reads and copies it under that lock.
//
// Threads: construction, destruction, RebuildView and the window procedure
// run on the user-interface thread; RebuildView, the drawing, CopyToScreen
// and the background copies are called with the draw lock held, by whichever
// thread holds it.
//
// Ownership: the view owns every handle and buffer it makes and its window;
// not the parent window. The window's parts own the views through a
// PlotViewPtr (app/window_parts_win.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "display/gdi_win.h"
#include "display/label_win.h"
#include "display/selection.h"

namespace Bitmaplib {

// The solid one-pixel pens of a view.
enum class ViewPen { kWave, kSpectrum, kEnvelope, kFrame, kSelection, kGrid };

// Height of the axis font, pixels.
inline constexpr int kAxisFontHeightPx = 16;
// The background picture looked for in the current directory.
inline constexpr char kTextureFileName[] = "texture.bmp";

// A surface's pixels for direct access; bits is null for an empty view.
struct SurfacePixels {
    std::uint8_t* bits;
    int width;
    int height;
    std::ptrdiff_t stride;  // bytes per row
};

class clsBitmap : public Mylib::clsLabel {
public:
    // `drawLock` guards the selection block and the surface; may be null
    // where nothing else draws (tests).
    clsBitmap(HWND parent, int left, int top, int width, int height, std::mutex* drawLock = nullptr);
    ~clsBitmap() override;

    // Stores the selection while the view is selectable (draw lock taken).
    void OnDrag(int x0, int y0, int x1, int y1) override;
    // Keep the pointer's place for the cursor readout, until it leaves.
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;

    // The pointer's place over the view (view pixels), false when it is
    // elsewhere. Any thread.
    bool CursorPoint(int& x, int& y) const;

    void Close() override;

    int Left() const { return nLeft; }
    int Top() const { return nTop; }
    int Width() const { return bmSurface.bmWidth; }
    int Height() const { return bmSurface.bmHeight; }

    // Callers hold the draw lock for the selection, the surface and the DCs.
    SelectionBlock Selection() const { return selection_; }
    void SetSelection(const SelectionBlock& block) { selection_ = block; }
    void SetSelectable(bool selectable) { bSelectable.store(selectable, std::memory_order_relaxed); }
    bool Selectable() const { return bSelectable.load(std::memory_order_relaxed); }

    HDC MemoryDc() const { return hdcMem.get(); }
    HDC WindowDc() const { return hdcWindow.get(); }
    HPEN Pen(ViewPen which) const;
    HFONT AxisFont() const { return hFontAxis.get(); }
    HBRUSH TextureBrush() const { return hbrTexture.get(); }
    HBRUSH ColourBrush() const { return hbrColour.get(); }
    // Remakes the colouring brush from the pattern surface's current pixels.
    void RebuildColourBrush();

    SurfacePixels Surface() const;
    SurfacePixels Pattern() const;
    // Byte size of the surface and of the saved background; 0 for an empty view.
    std::size_t Bytes() const { return nBytes; }
    // Saves the surface as the background, or restores it from there.
    void SaveBackground();
    void RestoreBackground();
    const std::uint8_t* Background() const { return pBackground.get(); }

    // Copies the whole surface to the parent window at the view's position.
    void CopyToScreen() const;

private:
    void MakeSurfaces(int width, int height);
    void MakePensAndFont();
    void MakeTextureBrush();

    gdi::Pen hpenWave;
    gdi::Pen hpenSpectrum;
    gdi::Pen hpenEnvelope;
    gdi::Pen hpenFrame;
    SelectionBlock selection_ = kDefaultSelection;
    gdi::MemoryDc hdcMem;
    gdi::WindowDc hdcWindow;
    gdi::Bitmap hbmSurface;
    gdi::Bitmap hbmPattern;
    BITMAP bmSurface{};
    void* pSurfaceBits = nullptr;
    std::unique_ptr<std::uint8_t[]> pBackground;
    void* pPatternBits = nullptr;
    gdi::Region hrgnClip;
    gdi::Brush hbrColour;
    gdi::Brush hbrTexture;
    gdi::Pen hpenSelection;
    gdi::Pen hpenGrid;
    gdi::Font hFontAxis;
    int nLeft;
    int nTop;
    std::atomic<bool> bSelectable{false};
    // The pointer's x in the low and y in the high 32 bits, or kNoCursor.
    std::atomic<std::int64_t> nCursor{kNoCursor};
    static constexpr std::int64_t kNoCursor = INT64_MIN;
    bool bTrackingLeave = false;  // user-interface thread only
    std::size_t nBytes = 0;
    std::mutex* drawLock_;
};

}  // namespace Bitmaplib

// The owning pointer to a plot view.
using PlotViewPtr = std::unique_ptr<Bitmaplib::clsBitmap>;

// Replaces `view` with a new view at the given place and size (the old one is
// destroyed first) and gives it the saved selection block. Called with the
// draw lock held, on the user-interface thread.
void RebuildView(PlotViewPtr& view, HWND parent, int left, int top, int width, int height,
                 const SelectionBlock& saved, std::mutex* drawLock);
