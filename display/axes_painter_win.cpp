#include "display/axes_painter_win.h"

#include <cstring>
#include <memory>
#include <new>

#include "analysis/peak_estimate.h"
#include "display/axes_geometry.h"
#include "display/colour_brush.h"

namespace {

void VerticalLine(HDC dc, std::int32_t x, std::int32_t height) {
    MoveToEx(dc, ClampForGdi(x), 0, nullptr);
    LineTo(dc, ClampForGdi(x), height);
}

void HorizontalLine(HDC dc, std::int32_t y, std::int32_t width) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, width, y);
}

void Text(HDC dc, std::int32_t x, std::int32_t y, const char* text) {
    TextOutA(dc, ClampForGdi(x), y, text, static_cast<int>(std::strlen(text)));
}

std::int32_t TextWidth(HDC dc, const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
}

void DrawGrid(HDC dc, const AxisScale& scale, bool logAxis, std::int32_t width, std::int32_t height) {
    std::array<std::int32_t, kLogGridEntries> xs{};
    const int lines = VerticalGridLines(scale, logAxis, xs);
    for (int i = 0; i < lines; ++i) {
        VerticalLine(dc, xs[i], height);
    }
    for (std::int32_t y : HorizontalGridLines(height)) {
        HorizontalLine(dc, y, width);
    }
}

void DrawTickLabels(HDC dc, const AxisScale& scale, std::int32_t fs, std::int32_t bins, bool logAxis,
                    bool quefrency, std::int32_t width, std::int32_t height) {
    const std::int32_t yA = RowAY(height);
    const std::int32_t yB = RowBY(height);
    std::array<PlacedLabel, kMostPlacedLabels> labels{};
    const int n = PlaceAxisLabels(scale, fs, bins, logAxis, quefrency, width,
                                  [dc](const char* text) { return TextWidth(dc, text); }, labels);
    for (int i = 0; i < n; ++i) {
        const PlacedLabel& label = labels[i];
        Text(dc, label.left, yA, label.rowA);
        if (label.rowB[0] != '\0') {
            Text(dc, label.left, yB, label.rowB);
        }
    }
}

// Turns the surface into the colouring picture, copies it into the pattern
// surface and makes the brush from it. Without memory for the scratch
// buffer the brush stays as it was.
void BuildColourBrush(Bitmaplib::PlotView& view) {
    const Bitmaplib::SurfacePixels surface = view.Surface();
    const Bitmaplib::SurfacePixels pattern = view.Pattern();
    if (!surface.bits || !pattern.bits) {
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(surface.height) * static_cast<std::size_t>(surface.stride);
    std::unique_ptr<std::uint8_t[]> scratch(new (std::nothrow) std::uint8_t[bytes]());
    if (!scratch) {
        return;
    }
    GdiFlush();
    MakeColouringPicture(surface.bits, scratch.get(), surface.width, surface.height, surface.stride);
    std::memcpy(pattern.bits, surface.bits, bytes);
    view.RebuildColourBrush();
    SelectObject(view.MemoryDc(), view.ColourBrush());
}

}  // namespace

void DrawLevelAxis(Bitmaplib::PlotView& view, const ViewLevels& levels, std::int32_t windowKind,
                   std::int32_t length, double splOffsetDb) {
    const std::int32_t width = view.Width();
    const std::int32_t height = view.Height();
    HDC dc = view.MemoryDc();
    if (!dc || width <= 0 || height <= 0 || !(levels.span > 0.0)) {
        return;
    }
    SelectObject(dc, view.AxisFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTickTextColour);
    SIZE box{};
    GetTextExtentPoint32A(dc, "-0", 2, &box);
    std::array<LevelLabel, kHorizontalGridLines> labels{};
    const int n = PlaceLevelLabels(
        width, height, box.cy,
        [&](std::int32_t row) { return LevelDbfs(ValueAtRow(levels, row), windowKind, length); },
        [dc](const char* text) { return TextWidth(dc, text); }, labels, splOffsetDb);
    for (int i = 0; i < n; ++i) {
        Text(dc, labels[i].left, labels[i].top, labels[i].text);
    }
}

void DrawFrequencyLabels(Bitmaplib::PlotView& view, std::int32_t fs, std::int32_t bins, bool logAxis) {
    const std::int32_t width = view.Width();
    const std::int32_t height = view.Height();
    HDC dc = view.MemoryDc();
    if (!dc || width <= 0 || height <= 0 || fs <= 0 || bins <= 0) {
        return;
    }
    SelectObject(dc, view.AxisFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTickTextColour);
    DrawTickLabels(dc, MakeAxisScale(fs, bins, width), fs, bins, logAxis, false, width, height);
}

void DrawAxes(Bitmaplib::PlotView& view, std::int32_t fs, std::int32_t bins, bool logAxis, bool colour,
              bool freqAxis, bool quefrency) {
    const std::int32_t width = view.Width();
    const std::int32_t height = view.Height();
    HDC dc = view.MemoryDc();
    if (!dc || width <= 0 || height <= 0 || fs <= 0 || bins <= 0) {
        return;
    }
    const AxisScale scale = MakeAxisScale(fs, bins, width);

    SelectObject(dc, view.Pen(Bitmaplib::ViewPen::kGrid));
    SelectObject(dc, view.TextureBrush());
    SelectObject(dc, view.AxisFont());
    PatBlt(dc, 0, 0, width, height, PATCOPY);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTickTextColour);

    DrawGrid(dc, scale, logAxis, width, height);
    if (freqAxis) {
        DrawTickLabels(dc, scale, fs, bins, logAxis, quefrency, width, height);
    }
    view.SaveBackground();
    if (colour) {
        BuildColourBrush(view);
    }
}
