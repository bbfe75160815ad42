// The label control driven through its real window procedure: left drags and
// clicks, the right-button movement sum, the double click, cursors, texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/label_win.h"
#include "resources/resource_ids.h"
#include "support/test_parent.h"

namespace {

using testsupport::SendMouse;
using testsupport::SetButtonState;

struct Drag {
    int x0, y0, x1, y1;
};

// Records what the label machinery reports.
class RecordingLabel : public Mylib::Label {
public:
    explicit RecordingLabel(HWND parent, const char* name = "label")
        : Label(Mylib::kAlignLeft, parent, 0, 0, 100, 80, 0, 0xFFFFFF, name) {}
    void OnDrag(int x0, int y0, int x1, int y1) override {
        drags.push_back({x0, y0, x1, y1});
        draggingAtDrag.push_back(IsDragging());
    }
    void OnMouseMove(int x, int y) override { ++moves; }
    void OnButtonUp() override { ++buttonUps; }

    std::vector<Drag> drags;
    std::vector<bool> draggingAtDrag;
    int moves = 0;
    int buttonUps = 0;
};

class LabelTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetButtonState(VK_RBUTTON, false);
        SetButtonState(VK_LBUTTON, false);
    }
    testsupport::TestParent parent_{300, 200};
    RecordingLabel label_{parent_.Handle()};
};

TEST_F(LabelTest, ClickWithoutMovementOnlyReleases) {
    SendMouse(label_.Handle(), WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(label_.Handle(), WM_LBUTTONUP, 10, 10);
    EXPECT_TRUE(label_.drags.empty());
    EXPECT_EQ(label_.buttonUps, 1);
    EXPECT_FALSE(label_.IsDragging());
}

TEST_F(LabelTest, DragReportsEveryMoveAndTheRelease) {
    HWND h = label_.Handle();
    SendMouse(h, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), h);
    SendMouse(h, WM_MOUSEMOVE, 20, 15, MK_LBUTTON);
    EXPECT_TRUE(label_.IsDragging());
    SendMouse(h, WM_MOUSEMOVE, 35, 30, MK_LBUTTON);
    SendMouse(h, WM_MOUSEMOVE, 50, 40, MK_LBUTTON);
    SendMouse(h, WM_LBUTTONUP, 50, 40);
    ASSERT_EQ(label_.drags.size(), 4u);
    const int current[4][2] = {{20, 15}, {35, 30}, {50, 40}, {50, 40}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(label_.drags[i].x0, 10);
        EXPECT_EQ(label_.drags[i].y0, 10);
        EXPECT_EQ(label_.drags[i].x1, current[i][0]) << "drag " << i;
        EXPECT_EQ(label_.drags[i].y1, current[i][1]) << "drag " << i;
    }
    EXPECT_EQ(label_.moves, 3);
    EXPECT_EQ(label_.buttonUps, 1);
    EXPECT_FALSE(label_.IsDragging());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(LabelTest, PointerOutsideTheWindowArrivesSigned) {
    HWND h = label_.Handle();
    SendMouse(h, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    SendMouse(h, WM_MOUSEMOVE, -7, -300, MK_LBUTTON);
    SendMouse(h, WM_LBUTTONUP, -7, -300);
    ASSERT_FALSE(label_.drags.empty());
    EXPECT_EQ(label_.drags.back().x1, -7);
    EXPECT_EQ(label_.drags.back().y1, -300);
}

TEST_F(LabelTest, RightButtonMovementSumsVertically) {
    HWND h = label_.Handle();
    SendMouse(h, WM_RBUTTONDOWN, 10, 50, MK_RBUTTON);
    SetButtonState(VK_RBUTTON, true);
    SendMouse(h, WM_MOUSEMOVE, 10, 40, MK_RBUTTON);  // up 10
    EXPECT_EQ(label_.TakeDragY(), -10);
    EXPECT_EQ(label_.TakeDragY(), 0);
    SendMouse(h, WM_MOUSEMOVE, 90, 40, MK_RBUTTON);  // sideways only
    SendMouse(h, WM_MOUSEMOVE, 90, 70, MK_RBUTTON);  // down 30
    SendMouse(h, WM_MOUSEMOVE, 0, 65, MK_RBUTTON);   // up 5
    EXPECT_EQ(label_.TakeDragY(), 25);
    SendMouse(h, WM_RBUTTONUP, 0, 65);
    SetButtonState(VK_RBUTTON, false);
    SendMouse(h, WM_MOUSEMOVE, 0, 10);  // button free: nothing gathered
    EXPECT_EQ(label_.TakeDragY(), 0);
    EXPECT_TRUE(label_.drags.empty());
}

TEST_F(LabelTest, RightButtonHeldOnEntryCountsFromTheLastRecordedRow) {
    HWND h = label_.Handle();
    SendMouse(h, WM_RBUTTONDOWN, 0, 30, MK_RBUTTON);
    SendMouse(h, WM_RBUTTONUP, 0, 30);
    SetButtonState(VK_RBUTTON, true);  // pressed elsewhere, then moved in
    SendMouse(h, WM_MOUSEMOVE, 0, 12, MK_RBUTTON);
    EXPECT_EQ(label_.TakeDragY(), -18);
}

TEST_F(LabelTest, WheelSumIsTakenWhole) {
    label_.AddWheel(-120);
    label_.AddWheel(-120);
    label_.AddWheel(40);
    EXPECT_EQ(label_.TakeWheel(), -200);
    EXPECT_EQ(label_.TakeWheel(), 0);
}

TEST_F(LabelTest, DoubleClickSecondPressGoesToTheStaticProcedure) {
    HWND h = label_.Handle();
    SendMouse(h, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    SendMouse(h, WM_LBUTTONUP, 10, 10);
    const std::size_t before = parent_.Commands().size();
    SendMouse(h, WM_LBUTTONDBLCLK, 10, 10, MK_LBUTTON);
    SendMouse(h, WM_MOUSEMOVE, 30, 30, MK_LBUTTON);
    SendMouse(h, WM_LBUTTONUP, 30, 30);
    // The "Static" procedure of a notifying control tells its parent.
    bool doubleClickNotified = false;
    for (std::size_t i = before; i < parent_.Commands().size(); ++i) {
        const testsupport::Notification& n = parent_.Commands()[i];
        doubleClickNotified |= HIWORD(n.wParam) == STN_DBLCLK && reinterpret_cast<HWND>(n.lParam) == h;
    }
    EXPECT_TRUE(doubleClickNotified);
    EXPECT_TRUE(label_.drags.empty());
    EXPECT_EQ(label_.buttonUps, 2);
}

TEST_F(LabelTest, CursorKinds) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    const HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_VIEW_CURSOR));
    const HCURSOR sentinel = LoadCursorA(nullptr, IDC_WAIT);
    ASSERT_NE(own, nullptr);
    struct Case {
        int kind;
        HCURSOR want;
    };
    const Case cases[] = {
        {Mylib::kCursorArrow, arrow}, {Mylib::kCursorCross, cross}, {Mylib::kCursorOwn, own}, {5, sentinel}};
    for (const Case& c : cases) {
        SetCursor(sentinel);
        label_.SetCursorKind(c.kind);
        SendMessageA(label_.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label_.Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), c.want) << "kind " << c.kind;
    }
}

TEST(LabelText, LongNameIsCutAndTextsReplaceWhole) {
    testsupport::TestParent parent(200, 100);
    const std::string longName(300, 'n');
    RecordingLabel label(parent.Handle(), longName.c_str());
    LabelText::Buffer text;
    label.CopyText(text);
    EXPECT_EQ(std::string(text), std::string(255, 'n'));
    label.SetText("440-");
    label.CopyText(text);
    EXPECT_EQ(std::string(text), "440-");
    RecordingLabel unnamed(parent.Handle(), nullptr);
    unnamed.CopyText(text);
    EXPECT_EQ(std::string(text), "");
}

// The paint fills the label black and draws the text on its own background.
TEST(LabelPaint, TextCellOnBlack) {
    testsupport::TestParent parent(200, 100);
    ShowWindow(parent.Handle(), SW_SHOWNOACTIVATE);
    Mylib::Label label(Mylib::kAlignRight, parent.Handle(), 0, 0, 120, 14, 0x0000FF, 0xFFFFFF, "8-");
    UpdateWindow(label.Handle());
    HDC dc = GetDC(label.Handle());
    const COLORREF left = GetPixel(dc, 1, 7);
    const COLORREF right = GetPixel(dc, 118, 1);
    ReleaseDC(label.Handle(), dc);
    EXPECT_EQ(left, 0x000000u);   // no text reaches the left end
    EXPECT_EQ(right, 0x0000FFu);  // the right-aligned text cell's background
    EXPECT_EQ(label.Width(), 120);
    EXPECT_EQ(label.Height(), 14);
}

TEST(LabelLifetime, CloseTwiceAndMessagesAfterwards) {
    testsupport::TestParent parent(200, 100);
    RecordingLabel label(parent.Handle());
    HWND h = label.Handle();
    label.Close();
    label.Close();
    EXPECT_FALSE(IsWindow(h));
    label.SetText("after close");
    EXPECT_EQ(label.Width(), 0);
}

}  // namespace
