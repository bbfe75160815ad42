#include "app/layout/layout_win.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "display/axes_painter_win.h"
#include "display/plot_view_win.h"
#include "display/readouts_win.h"
#include "display/selection.h"

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

void PlaceLabels(App& app, const WindowLayout& l) {
    for (int i = 0; i < kScaleLabelCount; ++i) {
        HWND label = app.parts.scaleLabels[i] ? app.parts.scaleLabels[i]->Handle() : nullptr;
        RECT r = gdi::NormalRect(label);
        r = RECT{l.labelX, l.labelY[i], l.labelX + (r.right - r.left), l.labelY[i] + (r.bottom - r.top)};
        gdi::SetNormalRect(label, r);
    }
}

void PlaceDivider(SplitBar& divider, const WindowLayout& l) {
    RECT r = gdi::NormalRect(divider.Handle());
    r.top = l.barTop;
    r.bottom = l.barBottom;
    r.right = l.barRight;
    gdi::SetNormalRect(divider.Handle(), r);
    divider.AllowVerticalDrag(true);
}

void RebuildParts(App& app, const WindowLayout& l) {
    WindowParts& parts = app.parts;
    const AppSettings& s = app.settings;
    LiveViewState& live = app.live;
    // The selection as the user left it, even if no pass has copied it yet.
    if (parts.upperView) {
        SaveSelection(live, parts.upperView->Selection());
    }
    const SelectionBlock saved = SavedSelection(live);

    const LayoutRect& up = l.upperView;
    RebuildView(parts.upperView, app.hwnd, up.x, up.y, up.width, up.height, saved, &app.drawLock);
    // The WAVE view alone gets the plain grid: no labels, no colouring.
    const bool freqView = s.showSpectrum != 0;
    DrawAxes(*parts.upperView, s.sampleRate, s.halfLength, freqView && s.logGrid, freqView && s.colourSpectrum,
             freqView, s.cepstrumMode != 0);
    const bool arrow = !s.showSpectrum && s.showWave;
    parts.upperView->SetCursorKind(arrow ? Mylib::kCursorArrow : Mylib::kCursorCross);

    const LayoutRect& strip = l.colourScale;
    parts.colourScaleBar.reset();
    parts.colourScaleBar = std::make_unique<SplitBar>(app.hwnd, strip.x, strip.y, strip.width, strip.height);
    PaintColourScale(ReadoutsOf(app.parts, app.options.Map()));

    const LayoutRect& low = l.lowerView;
    RebuildView(parts.lowerView, app.hwnd, low.x, low.y, low.width, low.height, saved, &app.drawLock);
    parts.lowerView->SetCursorKind(Mylib::kCursorOwn);

    PlaceLabels(app, l);
    UpdateScaleLabels(ReadoutsOf(app.parts, app.options.Map()), s);
    // The value-0 rows of both displays keep their places relative to the
    // view's height, so the same levels stay on screen and the selection's
    // edges keep their levels. The reference is the recorded upper-view
    // height rather than the old view's: at start-up the old view is the
    // placeholder, and scaling the stored offsets by it would compound over
    // every restart.
    if (const int height = parts.upperView->Height(); height > 0) {
        const std::int32_t recorded = live.upperHeight.load(kRelaxed);
        for (std::atomic<double>* offset : {&live.activeOffset, &live.specOffset, &live.cepOffset}) {
            offset->store(RescaledOffset(offset->load(kRelaxed), recorded, height), kRelaxed);
        }
        live.upperHeight.store(height, kRelaxed);
    }
    if (parts.divider) {
        PlaceDivider(*parts.divider, l);
    }
}

}  // namespace

void OnSize(App& app, int cx, WPARAM kind, int cy) {
    WindowParts& parts = app.parts;
    // The frame loop stores a dragged ratio in the live state.
    std::atomic<double>& split = app.live.splitRatio;
    const double asked = SaneSplitRatio(split.load(kRelaxed));
    const int thickness = parts.divider && parts.divider->BitmapHeight() > 0 ? parts.divider->BitmapHeight()
                                                                              : kDividerThicknessPx;
    const int labelHeight = parts.scaleLabels[0] ? parts.scaleLabels[0]->Height() : kLabelHeightPx;
    const int labelWidth = parts.scaleLabels[0] ? parts.scaleLabels[0]->Width() : kScaleLabelWidthPx;
    const WindowLayout l = ComputeLayout(cx, cy, asked, thickness, labelHeight, labelWidth);
    if (kind == SIZE_MINIMIZED) {
        split.store(asked, kRelaxed);
        return;
    }
    // A stored or dragged ratio that would hide a view or the divider is
    // replaced by the one the layout could show, and saved as such.
    split.store(l.splitRatio, kRelaxed);
    if (l.buildViews) {
        std::lock_guard<std::mutex> hold(app.drawLock);
        RebuildParts(app, l);
    }
    InvalidateRect(app.hwnd, nullptr, TRUE);
}

void Relayout(HWND mainWindow) {
    RECT client{};
    GetClientRect(mainWindow, &client);
    SendMessageA(mainWindow, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
}

void OnGetMinMaxInfo(const App* app, HWND hwnd, MINMAXINFO& info) {
    int labelHeight = kLabelHeightPx;
    int thickness = kDividerThicknessPx;
    double split = kDefaultSplitRatio;
    if (app) {
        split = app->live.splitRatio.load(kRelaxed);
        const WindowParts& parts = app->parts;
        if (parts.scaleLabels[0]) labelHeight = parts.scaleLabels[0]->Height();
        if (parts.divider && parts.divider->BitmapHeight() > 0) thickness = parts.divider->BitmapHeight();
    }
    const ClientSize least = MinimumClientSize(labelHeight, thickness, split);
    RECT window{};
    RECT client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    // Frame, caption and menu bar as the window has them now (a menu bar
    // that wraps takes more); a window still being made has no client yet.
    if (client.right <= 0 || client.bottom <= 0) {
        window = RECT{0, 0, 0, 0};
        AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), GetMenu(hwnd) != nullptr,
                           static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
        client = RECT{0, 0, 0, 0};
    }
    const LONG frameWidth = (window.right - window.left) - client.right;
    const LONG frameHeight = (window.bottom - window.top) - client.bottom;
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, least.width + frameWidth);
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, least.height + frameHeight);
}
