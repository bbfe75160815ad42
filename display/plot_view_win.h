// Bitmaplib::PlotView: a plot view. It is a label window (mouse input, the
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

class PlotView : public Mylib::Label {
public:
    // `drawLock` guards the selection block and the surface; may be null
    // where nothing else draws (tests).
    PlotView(HWND parent, int left, int top, int width, int height, std::mutex* drawLock = nullptr);
    ~PlotView() override;

    // Stores the selection while the view is selectable (draw lock taken).
    void OnDrag(int x0, int y0, int x1, int y1) override;
    // Keep the pointer's place for the cursor readout, until it leaves.
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;

    // The pointer's place over the view (view pixels), false when it is
    // elsewhere. Any thread.
    bool CursorPoint(int& x, int& y) const;

    void Close() override;

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return surfaceInfo_.bmWidth; }
    int Height() const { return surfaceInfo_.bmHeight; }

    // Callers hold the draw lock for the selection, the surface and the DCs.
    SelectionBlock Selection() const { return selection_; }
    void SetSelection(const SelectionBlock& block) { selection_ = block; }
    void SetSelectable(bool selectable) { selectable_.store(selectable, std::memory_order_relaxed); }
    bool Selectable() const { return selectable_.load(std::memory_order_relaxed); }

    HDC MemoryDc() const { return memoryDc_.get(); }
    HDC WindowDc() const { return windowDc_.get(); }
    HPEN Pen(ViewPen which) const;
    HFONT AxisFont() const { return axisFont_.get(); }
    HBRUSH TextureBrush() const { return textureBrush_.get(); }
    HBRUSH ColourBrush() const { return colourBrush_.get(); }
    // Remakes the colouring brush from the pattern surface's current pixels.
    void RebuildColourBrush();

    SurfacePixels Surface() const;
    SurfacePixels Pattern() const;
    // Byte size of the surface and of the saved background; 0 for an empty view.
    std::size_t Bytes() const { return bytes_; }
    // Saves the surface as the background, or restores it from there.
    void SaveBackground();
    void RestoreBackground();
    const std::uint8_t* Background() const { return background_.get(); }

    // Copies the whole surface to the parent window at the view's position.
    void CopyToScreen() const;

private:
    void MakeSurfaces(int width, int height);
    void MakePensAndFont();
    void MakeTextureBrush();

    gdi::Pen wavePen_;
    gdi::Pen spectrumPen_;
    gdi::Pen envelopePen_;
    gdi::Pen framePen_;
    SelectionBlock selection_ = kDefaultSelection;
    gdi::MemoryDc memoryDc_;
    gdi::WindowDc windowDc_;
    gdi::Bitmap surface_;
    gdi::Bitmap pattern_;
    BITMAP surfaceInfo_{};
    void* surfaceBits_ = nullptr;
    std::unique_ptr<std::uint8_t[]> background_;
    void* patternBits_ = nullptr;
    gdi::Region clipRegion_;
    gdi::Brush colourBrush_;
    gdi::Brush textureBrush_;
    gdi::Pen selectionPen_;
    gdi::Pen gridPen_;
    gdi::Font axisFont_;
    int left_;
    int top_;
    std::atomic<bool> selectable_{false};
    // The pointer's x in the low and y in the high 32 bits, or kNoCursor.
    std::atomic<std::int64_t> pointer_{kNoCursor};
    static constexpr std::int64_t kNoCursor = INT64_MIN;
    bool trackingLeave_ = false;  // user-interface thread only
    std::size_t bytes_ = 0;
    std::mutex* drawLock_;
};

}  // namespace Bitmaplib

// The owning pointer to a plot view.
using PlotViewPtr = std::unique_ptr<Bitmaplib::PlotView>;

// Replaces `view` with a new view at the given place and size (the old one is
// destroyed first) and gives it the saved selection block. Called with the
// draw lock held, on the user-interface thread.
void RebuildView(PlotViewPtr& view, HWND parent, int left, int top, int width, int height,
                 const SelectionBlock& saved, std::mutex* drawLock);
