#include "display/readout_overlay_win.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr COLORREF kReadoutTextColour = 0xFFFFFF;
constexpr COLORREF kReadoutBoxColour = 0x202020;
constexpr COLORREF kMarkerColour = 0x00FFFF;
constexpr int kBoxPaddingPx = 3;
// Distance of a cursor box from the pointer, and of a corner box from the edges.
constexpr int kCursorGapPx = 14;
constexpr int kCornerMarginPx = 4;
constexpr int kMarkerHalfWidthPx = 5;
constexpr int kMarkerHeightPx = 7;
constexpr int kMarkerGapPx = 2;

}  // namespace

bool ReadoutOverlay::Save(Bitmaplib::PlotView& view, RECT rect) {
    const Bitmaplib::SurfacePixels s = view.Surface();
    if (!s.bits) {
        return false;
    }
    rect.left = std::max<LONG>(rect.left, 0);
    rect.top = std::max<LONG>(rect.top, 0);
    rect.right = std::min<LONG>(rect.right, s.width);
    rect.bottom = std::min<LONG>(rect.bottom, s.height);
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        return false;
    }
    if (view_ != &view) {
        patches_.clear();
        view_ = &view;
    }
    GdiFlush();
    Patch patch{rect, {}};
    const int w = rect.right - rect.left;
    patch.pixels.resize(static_cast<std::size_t>(w) * (rect.bottom - rect.top));
    for (LONG y = rect.top; y < rect.bottom; ++y) {
        // Rows are stored bottom-up.
        const std::uint8_t* row = s.bits + (s.height - 1 - y) * s.stride + rect.left * 4;
        std::memcpy(&patch.pixels[static_cast<std::size_t>(y - rect.top) * w], row, static_cast<std::size_t>(w) * 4);
    }
    patches_.push_back(std::move(patch));
    return true;
}

void ReadoutOverlay::Restore(Bitmaplib::PlotView& view) {
    const Bitmaplib::SurfacePixels s = view.Surface();
    if (view_ == &view && s.bits) {
        GdiFlush();
        // Newest first, so overlapping patches end with the oldest pixels.
        for (auto it = patches_.rbegin(); it != patches_.rend(); ++it) {
            const RECT& r = it->rect;
            if (r.right > s.width || r.bottom > s.height) {
                continue;
            }
            const int w = r.right - r.left;
            for (LONG y = r.top; y < r.bottom; ++y) {
                std::uint8_t* row = s.bits + (s.height - 1 - y) * s.stride + r.left * 4;
                std::memcpy(row, &it->pixels[static_cast<std::size_t>(y - r.top) * w], static_cast<std::size_t>(w) * 4);
            }
        }
    }
    if (view_ == &view) {
        patches_.clear();
        view_ = nullptr;
    }
}

void ReadoutOverlay::DrawTextBox(Bitmaplib::PlotView& view, const ReadoutText& text, BoxPlacement placement, int x,
                                 int y) {
    HDC dc = view.MemoryDc();
    if (!dc || text.count == 0 || view.Width() <= 0 || view.Height() <= 0) {
        return;
    }
    gdi::Selected font(dc, view.AxisFont());
    int textWidth = 0;
    int lineHeight = 0;
    for (int i = 0; i < text.count; ++i) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.lines[i], static_cast<int>(std::strlen(text.lines[i])), &size);
        textWidth = std::max<int>(textWidth, size.cx);
        lineHeight = std::max<int>(lineHeight, size.cy);
    }
    const int boxWidth = textWidth + 2 * kBoxPaddingPx;
    const int boxHeight = lineHeight * text.count + 2 * kBoxPaddingPx;
    int left = 0;
    int top = 0;
    if (placement == BoxPlacement::kTopRight) {
        left = view.Width() - kCornerMarginPx - boxWidth;
        top = kCornerMarginPx;
    } else {
        left = x + kCursorGapPx;
        top = y + kCursorGapPx;
        if (left + boxWidth > view.Width()) {
            left = x - kCursorGapPx - boxWidth;
        }
        if (top + boxHeight > view.Height()) {
            top = y - kCursorGapPx - boxHeight;
        }
    }
    left = std::clamp(left, 0, std::max(0, view.Width() - boxWidth));
    top = std::clamp(top, 0, std::max(0, view.Height() - boxHeight));
    const RECT box{left, top, left + boxWidth, top + boxHeight};
    if (!Save(view, box)) {
        return;
    }
    SetDCBrushColor(dc, kReadoutBoxColour);
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    const COLORREF oldColour = SetTextColor(dc, kReadoutTextColour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP);
    for (int i = 0; i < text.count; ++i) {
        TextOutA(dc, left + kBoxPaddingPx, top + kBoxPaddingPx + i * lineHeight, text.lines[i],
                 static_cast<int>(std::strlen(text.lines[i])));
    }
    SetTextAlign(dc, oldAlign);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void ReadoutOverlay::DrawMarker(Bitmaplib::PlotView& view, int x, int y) {
    HDC dc = view.MemoryDc();
    // A peak off the view (zoomed away, or a non-finite row) gets no marker.
    if (!dc || x < 0 || x >= view.Width() || y < 0 || y > view.Height()) {
        return;
    }
    const int tip = y - kMarkerGapPx;
    const RECT box{x - kMarkerHalfWidthPx, tip - kMarkerHeightPx, x + kMarkerHalfWidthPx + 1, tip + 1};
    if (!Save(view, box)) {
        return;
    }
    const POINT triangle[] = {{x - kMarkerHalfWidthPx, tip - kMarkerHeightPx},
                              {x + kMarkerHalfWidthPx, tip - kMarkerHeightPx},
                              {x, tip}};
    SetDCBrushColor(dc, kMarkerColour);
    SetDCPenColor(dc, kMarkerColour);
    gdi::Selected brush(dc, GetStockObject(DC_BRUSH));
    gdi::Selected pen(dc, GetStockObject(DC_PEN));
    Polygon(dc, triangle, 3);
}
