// The real main window laid out: both views, the strip, the labels and the
// divider at the geometry of its client size, rebuilt on every resize,
// untouched by minimising, and without leaking over many resizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/program/app_win.h"
#include "app/status/status_loop_win.h"
#include "app/layout/window_parts_win.h"
#include "app/frame/frame_loop_win.h"
#include "app/frame/view_zoom.h"
#include "app/layout/layout.h"
#include "app/layout/layout_win.h"
#include "app/window/main_window_win.h"
#include "app/settings/settings_file_win.h"
#include "display/plot_view_win.h"
#include "display/readouts.h"
#include "display/readouts_win.h"
#include "resources/resource_ids.h"
#include "support/pump.h"
#include "support/test_parent.h"

namespace {

class LayoutTest : public ::testing::Test {
protected:
    // Every test starts from the defaults and leaves no settings file behind.
    void SetUp() override {
        DeleteFileA(kSettingsFileName);
        hwnd_ = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(hwnd_, nullptr);
        app_ = CurrentApp();
        ASSERT_NE(app_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) {
            DestroyWindow(hwnd_);
        }
        testsupport::PumpPending();
        DeleteFileA(kSettingsFileName);
    }
    // Resizes the window so that its client area is cx x cy.
    void SetClientSize(int cx, int cy) {
        RECT outer{0, 0, cx, cy};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    WindowLayout Expected() const {
        RECT client;
        GetClientRect(hwnd_, &client);
        return ComputeLayout(client.right, client.bottom, app_->live.splitRatio, 5, 14,
                             app_->parts.scaleLabels[0]->Width());
    }
    HWND hwnd_ = nullptr;
    App* app_ = nullptr;
};

RECT Placed(HWND hwnd) {
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    GetWindowPlacement(hwnd, &p);
    return p.rcNormalPosition;
}

void ExpectView(const Bitmaplib::PlotView& view, const LayoutRect& want, const char* which) {
    EXPECT_EQ(view.Left(), want.x) << which;
    EXPECT_EQ(view.Top(), want.y) << which;
    EXPECT_EQ(view.Width(), want.width) << which;
    EXPECT_EQ(view.Height(), want.height) << which;
    const RECT r = Placed(view.Handle());
    EXPECT_EQ(r.left, want.x) << which;
    EXPECT_EQ(r.top, want.y) << which;
    EXPECT_EQ(r.right - r.left, want.width) << which;
    EXPECT_EQ(r.bottom - r.top, want.height) << which;
}

void ExpectLaidOut(const App& app, const WindowLayout& l) {
    const WindowParts& parts = app.parts;
    ASSERT_TRUE(parts.upperView && parts.lowerView && parts.colourScaleBar && parts.divider);
    ExpectView(*parts.upperView, l.upperView, "upper");
    ExpectView(*parts.lowerView, l.lowerView, "lower");
    const RECT strip = Placed(parts.colourScaleBar->Handle());
    EXPECT_EQ(strip.top, l.colourScale.y);
    EXPECT_EQ(parts.colourScaleBar->BitmapHeight(), l.colourScale.height);
    EXPECT_EQ(parts.colourScaleBar->BitmapWidth(), l.colourScale.width);
    const RECT bar = Placed(parts.divider->Handle());
    EXPECT_EQ(bar.top, l.barTop);
    EXPECT_EQ(bar.bottom, l.barBottom);
    EXPECT_EQ(bar.right, l.barRight);
    for (int i = 0; i < kScaleLabelCount; ++i) {
        const RECT r = Placed(parts.scaleLabels[i]->Handle());
        EXPECT_EQ(r.left, l.labelX) << "label " << i;
        EXPECT_EQ(r.top, l.labelY[i]) << "label " << i;
        // As wide as the default geometry, or as the widest text in the font
        // in use where that is wider; the lower view starts right of it.
        const int widest = parts.scaleLabels[i]->TextExtent(WidestScaleLabelText().data()).cx;
        EXPECT_EQ(r.right - r.left, std::max(kScaleLabelWidthPx, widest)) << "label " << i;
        EXPECT_GT(l.lowerView.x, r.right - 1) << "label " << i;
    }
}

// Whatever the font, the texts the labels show now fit in them whole.
void ExpectTextsFit(const WindowParts& parts) {
    for (int i = 0; i < kScaleLabelCount; ++i) {
        LabelText::Buffer text;
        parts.scaleLabels[i]->CopyText(text);
        EXPECT_LE(parts.scaleLabels[i]->TextExtent(text).cx, parts.scaleLabels[i]->Width()) << text;
    }
    LabelText::Buffer status;
    parts.statusLabel->CopyText(status);
    EXPECT_LE(parts.statusLabel->TextExtent(status).cx, parts.statusLabel->Width()) << status;
}

TEST_F(LayoutTest, FirstLayoutFollowsTheClientSize) {
    ExpectLaidOut(*app_, Expected());
    ExpectTextsFit(app_->parts);
    EXPECT_EQ(app_->parts.upperView->CursorKind(), Mylib::kCursorCross);  // FFT view
    EXPECT_EQ(app_->parts.lowerView->CursorKind(), Mylib::kCursorOwn);
}

// A band high up on the linear axis gives five-character kilohertz readings
// ("10.3k-"): every digit shows, in whatever font the labels get.
TEST_F(LayoutTest, KilohertzLabelsOfAHighBandShowWhole) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDM_GRID_LINEAR, 0), 0);
    app_->frameLoop->Stop();
    app_->parts.upperView->SetSelection(SelectionBlock{0.1, 10000.0 / 22050, 20000.0 / 22050, 0.9});
    UpdateScaleLabels(ReadoutsOf(app_->parts), app_->settings);
    LabelText::Buffer text;
    app_->parts.scaleLabels[0]->CopyText(text);
    EXPECT_EQ(std::string(text).substr(0, 2), "20") << text;
    EXPECT_EQ(std::string(text).size(), 6u) << text;
    ExpectTextsFit(app_->parts);
}

TEST_F(LayoutTest, ResizeRebuildsBothViewsAtTheNewGeometry) {
    // The selection the user left in the view is carried over, even when no
    // pass has copied it into the settings yet.
    app_->frameLoop->Stop();
    const SelectionBlock saved{0.2, 0.3, 0.6, 0.7};
    app_->parts.upperView->SetSelection(saved);
    const int sizes[][2] = {{584, 441}, {700, 340}, {420, 600}};
    for (const auto& size : sizes) {
        const HWND oldUpper = app_->parts.upperView->Handle();
        SetClientSize(size[0], size[1]);
        RECT client;
        GetClientRect(hwnd_, &client);
        ASSERT_EQ(client.right, size[0]);
        ASSERT_EQ(client.bottom, size[1]);
        const WindowLayout l = Expected();
        ExpectLaidOut(*app_, l);
        EXPECT_FALSE(IsWindow(oldUpper));
        const SelectionBlock b = app_->parts.upperView->Selection();
        EXPECT_EQ(b.x0, saved.x0);
        EXPECT_EQ(b.y1, saved.y1);
    }
    EXPECT_EQ(app_->parts.upperView->Height(), 220);  // 600 x 0.4 - 20
    // 420 - 38, or less where the labels had to be widened for their font.
    const int labelRight = kScaleLabelLeftPx + app_->parts.scaleLabels[0]->Width() + 1;
    EXPECT_EQ(app_->parts.lowerView->Width(), 420 - std::max(38, labelRight));
}

TEST_F(LayoutTest, MinimisingChangesNothing) {
    Bitmaplib::PlotView* upper = app_->parts.upperView.get();
    Bitmaplib::PlotView* lower = app_->parts.lowerView.get();
    SplitBar* strip = app_->parts.colourScaleBar.get();
    const int width = upper->Width();
    SendMessageA(hwnd_, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    ShowWindow(hwnd_, SW_MINIMIZE);
    EXPECT_EQ(app_->parts.upperView.get(), upper);
    EXPECT_EQ(app_->parts.lowerView.get(), lower);
    EXPECT_EQ(app_->parts.colourScaleBar.get(), strip);
    EXPECT_EQ(upper->Width(), width);
    ShowWindow(hwnd_, SW_RESTORE);
    ExpectLaidOut(*app_, Expected());
}

TEST_F(LayoutTest, WaveViewGetsTheArrow) {
    app_->settings.showWave = 1;
    app_->settings.showSpectrum = 0;
    Relayout(hwnd_);
    EXPECT_EQ(app_->parts.upperView->CursorKind(), Mylib::kCursorArrow);
    app_->settings.showSpectrum = 1;
    Relayout(hwnd_);
    EXPECT_EQ(app_->parts.upperView->CursorKind(), Mylib::kCursorCross);
}

TEST_F(LayoutTest, UnusableSplitRatioIsReplaced) {
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -0.5, 1.5}) {
        app_->live.splitRatio = bad;
        Relayout(hwnd_);
        EXPECT_EQ(app_->live.splitRatio, kDefaultSplitRatio) << bad;
        ExpectLaidOut(*app_, Expected());
    }
}

TEST_F(LayoutTest, ValueZeroRowKeepsItsRelativeHeight) {
    // With a spectrum shown each frame sets the offset again; in WAVE mode
    // the scaled one lasts (the spectrogram uses it).
    app_->settings.showSpectrum = 0;
    app_->settings.showWave = 1;
    PublishSettings(*app_);
    // A pass that took the settings before they were published is over.
    const long passes = app_->frameLoop->PassCount() + 2;
    ASSERT_TRUE(testsupport::PumpUntil([&] { return app_->frameLoop->PassCount() >= passes; }, 5000));
    SetClientSize(584, 441);
    app_->live.activeOffset = 78.0;  // half of the 156-row upper view
    app_->live.specOffset = 78.0;    // both displays' rows follow, not only the one drawn
    app_->live.cepOffset = -39.0;
    SetClientSize(584, 541);         // upper view 196 rows
    EXPECT_DOUBLE_EQ(app_->live.activeOffset, 98.0);
    EXPECT_DOUBLE_EQ(app_->live.specOffset, 98.0);
    EXPECT_DOUBLE_EQ(app_->live.cepOffset, -49.0);
    // The window keeps a size at which its parts stay readable.
    SetClientSize(120, 60);
    RECT client;
    GetClientRect(hwnd_, &client);
    const ClientSize least = MinimumClientSize(14, 5, app_->live.splitRatio);
    EXPECT_GE(client.right, least.width);
    EXPECT_GE(client.bottom, least.height);
}

TEST_F(LayoutTest, WheelGoesToTheUpperView) {
    app_->frameLoop->Stop();  // a pass would take the wheel first
    SendMessageA(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    SendMessageA(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    SendMessageA(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, 120 * 3), 0);
    EXPECT_EQ(app_->parts.upperView->TakeWheel(), 120);
}

TEST_F(LayoutTest, DraggedDividerIsReportedAndRelaidOut) {
    app_->frameLoop->Stop();  // a pass would take the report first
    SplitBar& divider = *app_->parts.divider;
    const RECT before = Placed(divider.Handle());
    testsupport::SendMouse(divider.Handle(), WM_LBUTTONDOWN, 5, 2, MK_LBUTTON);
    testsupport::SendMouse(divider.Handle(), WM_MOUSEMOVE, 5, 2 + 40, MK_LBUTTON);
    testsupport::SendMouse(divider.Handle(), WM_LBUTTONUP, 5, 2 + 40);
    ASSERT_TRUE(divider.TakeMoved());
    const RECT after = Placed(divider.Handle());
    EXPECT_EQ(after.top, before.top + 40);
    RECT client;
    GetClientRect(hwnd_, &client);
    app_->live.splitRatio = *DividerRatio(after.top, client.bottom);  // as the frame loop stores it
    Relayout(hwnd_);
    EXPECT_EQ(Placed(divider.Handle()).top, after.top);
    ExpectLaidOut(*app_, Expected());
}

TEST_F(LayoutTest, ManyResizesLeakNothing) {
    SetClientSize(500, 400);
    const long before = gdi::LiveGdiObjects();
    const DWORD systemBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 300; ++i) {
        SetClientSize(500 + i % 11, 400 - i % 13);
    }
    SetClientSize(500, 400);
    EXPECT_EQ(gdi::LiveGdiObjects(), before);
    if (systemBefore != 0) {
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), systemBefore);
    }
}

}  // namespace
