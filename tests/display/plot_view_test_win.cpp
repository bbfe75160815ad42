// The plot view: its surface format, the selection it stores from real mouse
// messages, the rebuild, the background texture, empty views, and that
// rebuilding it thousands of times leaks no GDI object.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/unique_handle_win.h"
#include "display/plot_view_win.h"
#include "display/readout_overlay_win.h"
#include "support/test_parent.h"

namespace {

using Bitmaplib::PlotView;
using testsupport::SendMouse;

constexpr int kW = 101;
constexpr int kH = 51;

class PlotViewTest : public ::testing::Test {
protected:
    testsupport::TestParent parent_{300, 200};
    std::mutex drawLock_;
    PlotView view_{parent_.Handle(), 16, 20, kW, kH, &drawLock_};

    void Drag(int x0, int y0, int x1, int y1) {
        SendMouse(view_.Handle(), WM_LBUTTONDOWN, x0, y0, MK_LBUTTON);
        SendMouse(view_.Handle(), WM_MOUSEMOVE, x1, y1, MK_LBUTTON);
        SendMouse(view_.Handle(), WM_LBUTTONUP, x1, y1);
    }
};

const std::uint8_t* PixelAt(const Bitmaplib::SurfacePixels& s, int memoryRow, int column) {
    return s.bits + memoryRow * s.stride + column * 4;
}

TEST_F(PlotViewTest, SurfaceIsBottomUpBgrx) {
    const Bitmaplib::SurfacePixels s = view_.Surface();
    ASSERT_NE(s.bits, nullptr);
    EXPECT_EQ(s.width, kW);
    EXPECT_EQ(s.height, kH);
    EXPECT_EQ(s.stride, kW * 4);
    EXPECT_EQ(view_.Bytes(), static_cast<std::size_t>(kW * kH * 4));

    DIBSECTION ds{};
    HGDIOBJ surface = GetCurrentObject(view_.MemoryDc(), OBJ_BITMAP);
    ASSERT_EQ(GetObjectA(surface, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, s.bits);
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    EXPECT_EQ(ds.dsBmih.biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(ds.dsBmih.biHeight, kH);

    // Drawing row 0 (the top) lands in the last memory row, blue byte first.
    SetPixelV(view_.MemoryDc(), 3, 0, RGB(10, 20, 30));
    GdiFlush();
    const std::uint8_t* p = PixelAt(s, kH - 1, 3);
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    EXPECT_EQ(PixelAt(s, 0, 3)[0], 0);
}

TEST_F(PlotViewTest, SelectionFromRealDrags) {
    view_.SetSelectable(true);
    struct Case {
        const char* what;
        int x0, y0, x1, y1;
        SelectionBlock want;
    };
    const Case cases[] = {
        {"inside", 10, 5, 50, 25, {0.1, 0.1, 0.5, 0.5}},
        {"beyond right and bottom", 20, 10, 5000, 900, {0.2, 0.2, 1.0, 1.0}},
        {"beyond left and top", 100, 50, -40, -3, {1.0, 1.0, 0.0, 0.0}},
        {"a two-pixel slip keeps the last one", 30, 20, 32, 40, {1.0, 1.0, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        Drag(c.x0, c.y0, c.x1, c.y1);
        const SelectionBlock b = view_.Selection();
        EXPECT_EQ(b.y0, c.want.y0) << c.what;
        EXPECT_EQ(b.x0, c.want.x0) << c.what;
        EXPECT_EQ(b.x1, c.want.x1) << c.what;
        EXPECT_EQ(b.y1, c.want.y1) << c.what;
    }
}

// A selection drag that loses the mouse (another window takes the capture,
// or the system cancels the mode) ends there: later plain moves leave the
// selection alone.
TEST_F(PlotViewTest, ADragEndsWhenTheViewLosesTheMouse) {
    view_.SetSelectable(true);
    struct Case { const char* what; void (*lose)(HWND view, HWND other); };
    const Case cases[] = {
        {"another window takes the capture", [](HWND, HWND other) { SetCapture(other); }},
        {"the system cancels the mode", [](HWND view, HWND) { SendMessageA(view, WM_CANCELMODE, 0, 0); }},
    };
    for (const Case& c : cases) {
        SendMouse(view_.Handle(), WM_LBUTTONDOWN, 10, 5, MK_LBUTTON);
        SendMouse(view_.Handle(), WM_MOUSEMOVE, 50, 25, MK_LBUTTON);
        c.lose(view_.Handle(), parent_.Handle());
        EXPECT_FALSE(view_.IsDragging()) << c.what;
        SendMouse(view_.Handle(), WM_MOUSEMOVE, 90, 45);
        const SelectionBlock b = view_.Selection();
        EXPECT_EQ(b.x1, 0.5) << c.what;
        EXPECT_EQ(b.y1, 0.5) << c.what;
        EXPECT_FALSE(view_.IsDragging()) << c.what;
        ReleaseCapture();
    }
}

TEST_F(PlotViewTest, DragIgnoredWhenNotSelectable) {
    EXPECT_FALSE(view_.Selectable());  // so it is built
    Drag(10, 5, 50, 25);
    const SelectionBlock b = view_.Selection();
    EXPECT_EQ(b.y0, kDefaultSelection.y0);
    EXPECT_EQ(b.x1, kDefaultSelection.x1);
}

// A drag arriving while another thread draws waits for the draw lock.
TEST_F(PlotViewTest, DragWaitsForTheDrawLock) {
    view_.SetSelectable(true);
    const UniqueHandle locked(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread frame([&] {
        std::lock_guard<std::mutex> hold(drawLock_);
        SetEvent(locked.get());
        Sleep(100);
    });
    WaitForSingleObject(locked.get(), INFINITE);
    const DWORD start = GetTickCount();
    SendMouse(view_.Handle(), WM_LBUTTONDOWN, 0, 0, MK_LBUTTON);
    SendMouse(view_.Handle(), WM_MOUSEMOVE, 100, 50, MK_LBUTTON);
    const DWORD waited = GetTickCount() - start;
    frame.join();
    SendMouse(view_.Handle(), WM_LBUTTONUP, 100, 50);
    EXPECT_GE(waited, 50u);
    EXPECT_EQ(view_.Selection().x1, 1.0);
}

// The cursor readout follows the pointer and goes when it leaves; the boxes
// and the marker show in the surface until Restore, which leaves every
// pixel as it was (the spectrogram scrolls its surface: nothing may stay).
TEST_F(PlotViewTest, ReadoutsFollowThePointerAndLeaveNothingBehind) {
    int x = -1;
    int y = -1;
    EXPECT_FALSE(view_.CursorPoint(x, y));
    SendMouse(view_.Handle(), WM_MOUSEMOVE, 40, 30);
    ASSERT_TRUE(view_.CursorPoint(x, y));
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    SendMessageA(view_.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(view_.CursorPoint(x, y));

    const Bitmaplib::SurfacePixels s = view_.Surface();
    for (int i = 0; i < kW * kH; ++i) {
        std::memcpy(s.bits + i * 4, &i, 4);
    }
    const std::vector<std::uint8_t> before(s.bits, s.bits + view_.Bytes());
    ReadoutOverlay overlay;
    ReadoutText text;
    text.count = 2;
    std::snprintf(text.lines[0], kReadoutTextBytes, "440.0 Hz");
    std::snprintf(text.lines[1], kReadoutTextBytes, "-6.0 dBFS");
    overlay.DrawTextBox(view_, text, BoxPlacement::kNearCursor, 90, 45);
    overlay.DrawTextBox(view_, text, BoxPlacement::kTopRight, 0, 0);
    overlay.DrawMarker(view_, 50, 20);
    GdiFlush();
    EXPECT_NE(std::memcmp(before.data(), s.bits, before.size()), 0);
    overlay.Restore(view_);
    EXPECT_EQ(std::memcmp(before.data(), s.bits, before.size()), 0);
}

TEST(PlotViewRebuild, CarriesTheSavedSelectionAndStartsBlack) {
    testsupport::TestParent parent(400, 300);
    PlotViewPtr view;
    const SelectionBlock saved{0.25, 0.125, 0.75, 0.5};
    RebuildView(view, parent.Handle(), 38, 181, 200, 60, saved, nullptr);
    ASSERT_TRUE(view);
    HWND first = view->Handle();
    RebuildView(view, parent.Handle(), 38, 150, 240, 90, saved, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(view->Left(), 38);
    EXPECT_EQ(view->Top(), 150);
    EXPECT_EQ(view->Width(), 240);
    EXPECT_EQ(view->Height(), 90);
    const SelectionBlock b = view->Selection();
    EXPECT_EQ(std::memcmp(&b, &saved, sizeof b), 0);

    const Bitmaplib::SurfacePixels s = view->Surface();
    ASSERT_NE(s.bits, nullptr);
    ASSERT_NE(view->Background(), nullptr);
    std::size_t lit = 0;
    for (std::size_t i = 0; i < view->Bytes(); ++i) {
        lit += s.bits[i] != 0 || view->Background()[i] != 0;
    }
    EXPECT_EQ(lit, 0u);
}

TEST(PlotViewRebuild, BackgroundRoundTrip) {
    testsupport::TestParent parent(300, 200);
    PlotView view(parent.Handle(), 0, 0, 20, 10);
    const Bitmaplib::SurfacePixels s = view.Surface();
    RECT all{0, 0, 20, 10};
    FillRect(view.MemoryDc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    view.SaveBackground();
    std::memset(s.bits, 0, view.Bytes());
    view.RestoreBackground();
    EXPECT_EQ(s.bits[0], 0xFF);
    EXPECT_EQ(s.bits[view.Bytes() - 2], 0xFF);
}

// Views that are too small to hold a selection, or hold no surface at all.
TEST(PlotViewDegenerate, OnePixelAndEmptyViews) {
    testsupport::TestParent parent(300, 200);
    struct Case {
        int width, height;
        bool hasSurface;
    };
    const Case cases[] = {{1, 40, true}, {40, 1, true}, {0, 40, false}, {40, -3, false}};
    for (const Case& c : cases) {
        PlotView view(parent.Handle(), 0, 0, c.width, c.height);
        view.SetSelectable(true);
        view.OnDrag(0, 0, 30, 30);
        EXPECT_EQ(view.Selection().x1, kDefaultSelection.x1) << c.width << "x" << c.height;
        EXPECT_EQ(view.Surface().bits != nullptr, c.hasSurface) << c.width << "x" << c.height;
        if (!c.hasSurface) {
            EXPECT_EQ(view.Bytes(), 0u);
            EXPECT_EQ(view.Background(), nullptr);
            EXPECT_EQ(view.Width(), 0);
        }
        view.SaveBackground();
        view.RestoreBackground();
        view.CopyToScreen();
        view.Close();
        view.Close();
    }
}

// Fills a view with its texture brush and returns the pixel at (1, 1).
COLORREF TexturedPixel(HWND parent) {
    PlotView view(parent, 0, 0, 16, 16);
    RECT all{0, 0, 16, 16};
    FillRect(view.MemoryDc(), &all, view.TextureBrush());
    GdiFlush();
    return GetPixel(view.MemoryDc(), 1, 1);
}

// A 4 x 4, 24-bit picture of one colour, as a .bmp file.
void WriteSolidBmp(const char* path, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    constexpr int kSide = 4;
    constexpr int kRowBytes = kSide * 3;  // already a multiple of 4
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = kSide;
    ih.biHeight = kSide;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = kRowBytes * kSide;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    for (int i = 0; i < kSide * kSide; ++i) {
        const std::uint8_t pixel[3] = {b, g, r};
        std::fwrite(pixel, 3, 1, f);
    }
    std::fclose(f);
}

TEST(PlotViewTexture, BuiltInWithoutTheFileAndTheFileWithIt) {
    testsupport::TestParent parent(300, 200);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "tavrin_texture_test";
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    DeleteFileA(Bitmaplib::kTextureFileName);

    const COLORREF builtIn = TexturedPixel(parent.Handle());
    EXPECT_EQ(GetRValue(builtIn), 0);
    EXPECT_GE(GetGValue(builtIn), 15);
    EXPECT_LE(GetGValue(builtIn), 77);
    EXPECT_LE(GetBValue(builtIn), 27);

    WriteSolidBmp(Bitmaplib::kTextureFileName, 200, 10, 60);
    const COLORREF fromFile = TexturedPixel(parent.Handle());
    EXPECT_EQ(fromFile, RGB(200, 10, 60));

    DeleteFileA(Bitmaplib::kTextureFileName);
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(dir.c_str());
}

TEST(PlotViewResources, TwoThousandRebuildsLeakNothing) {
    testsupport::TestParent parent(600, 400);
    PlotViewPtr view;
    RebuildView(view, parent.Handle(), 16, 20, 300, 150, kDefaultSelection, nullptr);
    const long ownBefore = gdi::LiveGdiObjects();
    const DWORD systemBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 2000; ++i) {
        RebuildView(view, parent.Handle(), 16, 20, 300 + i % 7, 150 - i % 5, kDefaultSelection, nullptr);
        view->RebuildColourBrush();
    }
    EXPECT_EQ(gdi::LiveGdiObjects(), ownBefore);
    const DWORD systemAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (systemBefore != 0) {  // Wine does not count and answers 0
        EXPECT_EQ(systemAfter, systemBefore);
    }
    RecordProperty("system_gdi_objects", static_cast<int>(systemAfter));
    view.reset();
    EXPECT_EQ(gdi::LiveGdiObjects(), 0);
}

}  // namespace
