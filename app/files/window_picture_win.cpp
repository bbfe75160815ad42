#include "app/files/window_picture_win.h"

#include <algorithm>
#include <cstring>

#include "app/layout/window_parts_win.h"
#include "display/gdi_win.h"
#include "display/plot_view_win.h"

namespace {

bool Shown(HWND hwnd) { return hwnd && IsWindowVisible(hwnd); }

void PaintLabel(HDC dc, const Mylib::Label* label) {
    if (label && Shown(label->Handle())) {
        const RECT at = gdi::NormalRect(label->Handle());
        label->PaintInto(dc, at.left, at.top);
    }
}

// A bar shows its bitmap at the bitmap's own size, cut to the window.
void PaintBar(HDC dc, const SplitBar* bar) {
    if (!bar || !Shown(bar->Handle()) || !bar->Pixels()) {
        return;
    }
    const RECT at = gdi::NormalRect(bar->Handle());
    const int width = std::min<int>(bar->BitmapWidth(), at.right - at.left);
    const int height = std::min<int>(bar->BitmapHeight(), at.bottom - at.top);
    if (width <= 0 || height <= 0) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bar->BitmapWidth();
    info.bmiHeader.biHeight = bar->BitmapHeight();  // bottom-up, as the bar keeps it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // Rows count from the bottom: the window's top row is the bitmap's last.
    SetDIBitsToDevice(dc, at.left, at.top, width, height, 0, bar->BitmapHeight() - height, 0,
                      bar->BitmapHeight(), bar->Pixels(), &info, DIB_RGB_COLORS);
}

void PaintView(HDC dc, const Bitmaplib::PlotView* view) {
    if (view && Shown(view->Handle()) && view->MemoryDc() && view->Surface().bits) {
        BitBlt(dc, view->Left(), view->Top(), view->Width(), view->Height(), view->MemoryDc(), 0, 0, SRCCOPY);
    }
}

}  // namespace

WindowPicture ComposeWindowPicture(const WindowParts& parts, HWND window) {
    WindowPicture picture;
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        return picture;
    }
    const int w = client.right;
    const int h = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    gdi::MemoryDc dc(CreateCompatibleDC(nullptr));
    gdi::Bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || !bits) {
        return picture;
    }
    {
        gdi::Selected selected(dc.get(), bitmap.get());
        // The window class's background, then the parts in the order the
        // screen gets them: the views' copies come last, over everything.
        PatBlt(dc.get(), 0, 0, w, h, BLACKNESS);
        PaintLabel(dc.get(), parts.statusLabel.get());
        for (const auto& label : parts.scaleLabels) {
            PaintLabel(dc.get(), label.get());
        }
        PaintBar(dc.get(), parts.divider.get());
        PaintBar(dc.get(), parts.colourScaleBar.get());
        PaintView(dc.get(), parts.upperView.get());
        PaintView(dc.get(), parts.lowerView.get());
        GdiFlush();
    }
    picture.width = w;
    picture.height = h;
    picture.pixels.assign(static_cast<const std::uint32_t*>(bits),
                          static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(w) * h);
    return picture;
}

std::string PackedDib24(const WindowPicture& picture) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height;  // bottom-up, as every reader expects
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) * 3 + 3) & ~std::size_t{3};
    header.biSizeImage = static_cast<DWORD>(rowBytes * picture.height);
    std::string out(sizeof header + rowBytes * picture.height, '\0');
    std::memcpy(out.data(), &header, sizeof header);
    for (int y = 0; y < picture.height; ++y) {
        char* row = out.data() + sizeof header + rowBytes * (picture.height - 1 - y);
        const std::uint32_t* from = &picture.pixels[static_cast<std::size_t>(y) * picture.width];
        for (int x = 0; x < picture.width; ++x) {
            std::memcpy(row + 3 * x, &from[x], 3);
        }
    }
    return out;
}
