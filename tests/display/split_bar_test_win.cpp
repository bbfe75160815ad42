// The divider bar and the colour key strip driven through their real window
// procedure: drag clamps, the moved flag, the fixed strip, the bitmap.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "display/split_bar_win.h"
#include "support/test_parent.h"

namespace {

using testsupport::SendMouse;

constexpr int kClientW = 400;
constexpr int kClientH = 300;
constexpr int kThickness = 5;

RECT PlacedRect(HWND hwnd) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    GetWindowPlacement(hwnd, &p);
    return p.rcNormalPosition;
}

class DividerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar_.AllowVerticalDrag(true);
        bar_.SetCursorKind(kBarCursorSizeNS);
    }
    // Presses at row 2 of the bar and moves the pointer by dy in one step.
    void DragBy(int dy) {
        SendMouse(bar_.Handle(), WM_LBUTTONDOWN, 10, 2, MK_LBUTTON);
        SendMouse(bar_.Handle(), WM_MOUSEMOVE, 10, 2 + dy, MK_LBUTTON);
        SendMouse(bar_.Handle(), WM_LBUTTONUP, 10, 2 + dy);
    }
    testsupport::TestParent parent_{kClientW, kClientH};
    SplitBar bar_{parent_.Handle(), 0, 100, kClientW, kThickness};
};

TEST_F(DividerTest, DragFollowsThePointerWithinTheClamps) {
    struct Case {
        const char* what;
        int dy;
        int top;
    };
    const Case cases[] = {
        {"down 40", 40, 140},
        {"up 30", -30, 110},
        {"far above the top limit", -500, kBarMinTopPx},
        {"to the limit itself", 0, kBarMinTopPx},
        {"far below the window", 5000, kClientH - kThickness},
        {"back up 95", -95, kClientH - kThickness - 95},
    };
    for (const Case& c : cases) {
        bar_.TakeMoved();
        DragBy(c.dy);
        const RECT r = PlacedRect(bar_.Handle());
        EXPECT_EQ(r.top, c.top) << c.what;
        EXPECT_EQ(r.bottom, c.top + kThickness) << c.what;
        EXPECT_EQ(r.left, 0) << c.what;
        EXPECT_TRUE(bar_.TakeMoved()) << c.what;
        EXPECT_FALSE(bar_.Moved()) << c.what;
    }
}

TEST_F(DividerTest, PressAndReleaseWithoutMovementMovesNothing) {
    SendMouse(bar_.Handle(), WM_LBUTTONDOWN, 10, 2, MK_LBUTTON);
    SendMouse(bar_.Handle(), WM_LBUTTONUP, 10, 2);
    EXPECT_FALSE(bar_.Moved());
    EXPECT_EQ(PlacedRect(bar_.Handle()).top, 100);
}

TEST_F(DividerTest, MovesWithoutThePressDoNotDrag) {
    SendMouse(bar_.Handle(), WM_MOUSEMOVE, 10, 40);
    EXPECT_FALSE(bar_.Moved());
    EXPECT_EQ(PlacedRect(bar_.Handle()).top, 100);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENS));
}

// Ways the bar loses the mouse in the middle of a drag (Alt+Tab, a menu, a
// window that takes the capture): the drag must end there.
struct CaptureLoss {
    const char* what;
    void (*lose)(HWND bar, HWND other);
};
const CaptureLoss kCaptureLosses[] = {
    {"another window takes the capture", [](HWND, HWND other) { SetCapture(other); }},
    {"the system cancels the mode", [](HWND bar, HWND) { SendMessageA(bar, WM_CANCELMODE, 0, 0); }},
};

TEST_F(DividerTest, ADragEndsWhenTheBarLosesTheMouse) {
    for (const CaptureLoss& loss : kCaptureLosses) {
        SendMouse(bar_.Handle(), WM_LBUTTONDOWN, 10, 2, MK_LBUTTON);
        SendMouse(bar_.Handle(), WM_MOUSEMOVE, 10, 32, MK_LBUTTON);
        const int top = PlacedRect(bar_.Handle()).top;
        loss.lose(bar_.Handle(), parent_.Handle());
        bar_.TakeMoved();
        SendMouse(bar_.Handle(), WM_MOUSEMOVE, 10, 80);
        EXPECT_FALSE(bar_.Moved()) << loss.what;
        EXPECT_EQ(PlacedRect(bar_.Handle()).top, top) << loss.what;
        EXPECT_NE(GetCapture(), bar_.Handle()) << loss.what;
        ReleaseCapture();
    }
}

TEST(ColourScaleBar, CannotBeDragged) {
    testsupport::TestParent parent(kClientW, kClientH);
    SplitBar strip(parent.Handle(), 2, 20, 12, 100);
    const RECT before = PlacedRect(strip.Handle());
    SendMouse(strip.Handle(), WM_LBUTTONDOWN, 5, 50, MK_LBUTTON);
    SendMouse(strip.Handle(), WM_MOUSEMOVE, 5, 90, MK_LBUTTON);
    SendMouse(strip.Handle(), WM_MOUSEMOVE, 5, -40, MK_LBUTTON);
    SendMouse(strip.Handle(), WM_LBUTTONUP, 5, -40);
    const RECT after = PlacedRect(strip.Handle());
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.bottom, before.bottom);
    EXPECT_FALSE(strip.Moved());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

std::vector<int> RampColumn(const SplitBar& bar) {
    std::vector<int> ramp;
    for (int row = 0; row < bar.BitmapHeight(); ++row) {
        ramp.push_back(bar.Pixels()[row * bar.Stride()]);
    }
    return ramp;
}

TEST(SplitBarBitmap, RampAndFormat) {
    testsupport::TestParent parent(kClientW, kClientH);
    SplitBar divider(parent.Handle(), 0, 0, 1, kThickness);
    ASSERT_NE(divider.Pixels(), nullptr);
    EXPECT_EQ(RampColumn(divider), (std::vector<int>{0, 51, 102, 153, 204}));

    SplitBar strip(parent.Handle(), 2, 20, 12, 100);
    ASSERT_NE(strip.Pixels(), nullptr);
    EXPECT_EQ(strip.BitmapWidth(), 12);
    EXPECT_EQ(strip.Stride(), 48);
    const std::vector<int> ramp = RampColumn(strip);
    EXPECT_EQ(ramp.front(), 0);
    EXPECT_EQ(ramp.back(), 253);
    EXPECT_EQ(strip.Pixels()[99 * 48 + 4], 0xFF);  // white beside the ramp

    // The control shows this very bitmap: a 32-bit bottom-up section.
    const auto shown = reinterpret_cast<HBITMAP>(SendMessageA(strip.Handle(), STM_GETIMAGE, IMAGE_BITMAP, 0));
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(shown, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, strip.Pixels());
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
    EXPECT_GT(ds.dsBmih.biHeight, 0);
    EXPECT_EQ(ds.dsBitfields[0], 0x00FF0000u);
    EXPECT_EQ(ds.dsBitfields[2], 0x000000FFu);
}

TEST(SplitBarLifetime, CloseTwice) {
    testsupport::TestParent parent(kClientW, kClientH);
    SplitBar bar(parent.Handle(), 0, 0, 1, kThickness);
    HWND h = bar.Handle();
    bar.Close();
    bar.Close();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(bar.Pixels(), nullptr);
}

}  // namespace
