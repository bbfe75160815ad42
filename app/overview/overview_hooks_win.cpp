#include "app/overview/overview_hooks_win.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "app/frame/view_zoom.h"
#include "app/layout/window_parts_win.h"
#include "app/overview/overview_job.h"
#include "app/program/app_win.h"
#include "display/axes_painter_win.h"
#include "display/plot_view_win.h"
#include "display/readout_overlay_win.h"
#include "display/spectrogram.h"
#include "display/value_readout.h"

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
// Power below which a bin counts as silence (the log of 0 has no colour).
constexpr double kPowerFloor = 1e-20;

// A bin's power on the live view's 20 ln|X| scale.
double LiveScaleLevel(float power) { return 10.0 * std::log(std::max<double>(power, kPowerFloor)); }
// Length of a time tick at the view's bottom edge, pixels.
constexpr int kTickLengthPx = 4;
// Workers of the overview's computation: one processor is left to the
// window, the frame loop and the player, so the window answers meanwhile.
const int kOverviewWorkers = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
// The frequency labels' strip along the left edge: no time label there.
constexpr int kFrequencyLabelsPx = 44;
// The line where playing stands (blue, green, red, unused).
constexpr std::uint32_t kPositionColour = 0x00FFFFFF;

// What the column pictures in `columns` were painted from.
struct ColourKey {
    const FileOverview* result = nullptr;
    int height = 0;
    double selX0 = 0.0;
    double selX1 = 0.0;
    double selY0 = 0.0;
    double selY1 = 0.0;
    std::int32_t upperHeight = 0;
    double span = 0.0;
    double offset = 0.0;
    bool logAxis = false;
    ColourMap map = ColourMap::kRainbow;
    bool operator==(const ColourKey&) const = default;
};

// What the lower view shows of the overview.
constexpr int kNoPointer = INT_MIN;
struct DrawnKey {
    const Bitmaplib::PlotView* view = nullptr;
    int width = 0;
    int height = 0;
    std::uint64_t first = 0;
    std::uint64_t count = 0;
    ColourKey colours;
    int positionX = -1;  // the line's column (outside the view: not drawn)
    int pointerX = kNoPointer;
    int pointerY = 0;
    bool operator==(const DrawnKey&) const = default;
};

// The frame-loop thread's own.
struct OverviewState {
    std::shared_ptr<const FileOverview> result;
    ColourKey key;
    // Holds the result `key` names, so that no later one can take its address.
    std::shared_ptr<const FileOverview> painted;
    // Each of the result's columns as `key.height` pixels, bottom row first,
    // one column after another: painted once per result and colouring.
    std::vector<std::uint32_t> columns;
    std::vector<double> values;
    SpectrogramWork work;
    ReadoutOverlay readout;
    bool shown = false;
    DrawnKey drawn;                  // valid while shown
    std::uint64_t lastPosition = 0;  // where playing stood at the last pass
};

void PaintColumns(OverviewState& state, const ColourKey& key) {
    state.columns.clear();
    if (!state.result || key.height <= 0) return;
    const Overview& o = state.result->overview;
    if (o.columns <= 0 || o.bins <= 0) return;
    const auto height = static_cast<std::size_t>(key.height);
    state.columns.assign(static_cast<std::size_t>(o.columns) * height, 0);
    state.values.resize(static_cast<std::size_t>(o.bins));
    const SelectionBlock selection{key.selY0, key.selX0, key.selX1, key.selY1};
    for (std::int32_t c = 0; c < o.columns; ++c) {
        const float* power = o.peak.data() + static_cast<std::size_t>(c) * o.bins;
        for (std::int32_t k = 0; k < o.bins; ++k) {
            state.values[static_cast<std::size_t>(k)] = LiveScaleLevel(power[k]);
        }
        const SpectrogramFrame frame{state.values.data(), o.bins, selection, key.upperHeight, key.span,
                                     key.offset, key.logAxis, false, false, false, key.map};
        // One pixel wide, so a row is one pixel: the column lies contiguous.
        PaintSpectrogramColumn(frame, state.work,
                               reinterpret_cast<std::uint8_t*>(state.columns.data() + static_cast<std::size_t>(c) * height),
                               1, key.height, 4);
    }
}

// The result's column that holds view pixel x of `span`, or -1 when the
// result does not reach there (the span changed and is still computed).
std::int32_t ResultColumnAt(const OverviewState& state, OverviewSpan span, std::int32_t width, std::int32_t x) {
    if (!state.result) return -1;
    const OverviewRequest& r = state.result->request;
    const std::uint64_t sample = OverviewSampleAtX(span, width, x);
    if (sample < r.firstSample || sample >= r.firstSample + r.sampleCount) return -1;
    return OverviewColumnOf(r, sample - r.firstSample);
}

// The picture of `span`, taken from the result's columns where it has them:
// while a new span is computed, the last result shows moved and stretched.
void CopyPicture(const OverviewState& state, const Bitmaplib::SurfacePixels& surface, OverviewSpan span) {
    const bool painted = !state.columns.empty() && state.key.height == surface.height;
    for (int x = 0; x < surface.width; ++x) {
        const std::int32_t column = painted ? ResultColumnAt(state, span, surface.width, x) : -1;
        const std::uint32_t* from =
            column >= 0 ? state.columns.data() + static_cast<std::size_t>(column) * surface.height : nullptr;
        for (int r = 0; r < surface.height; ++r) {
            reinterpret_cast<std::uint32_t*>(surface.bits + r * surface.stride)[x] = from ? from[r] : 0;
        }
    }
}

// The line where playing stands, at column x (nothing outside the view).
void DrawPositionLine(const Bitmaplib::SurfacePixels& surface, int x) {
    if (x < 0 || x >= surface.width) return;
    for (int r = 0; r < surface.height; ++r) {
        reinterpret_cast<std::uint32_t*>(surface.bits + r * surface.stride)[x] = kPositionColour;
    }
}

// Ticks and m:ss labels along the bottom edge (GDI, after the direct writes).
void DrawTimeAxis(Bitmaplib::PlotView& view, OverviewSpan span, std::int32_t rateHz) {
    HDC dc = view.MemoryDc();
    if (!dc || rateHz <= 0) return;
    const int width = view.Width();
    const int height = view.Height();
    const PixelRect plot{0, 0, width, height};
    const gdi::Selected font(dc, view.AxisFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTickTextColour);
    SIZE box{};
    GetTextExtentPoint32A(dc, "0", 1, &box);
    for (const AxisTick& tick : TimeTicks(plot, static_cast<double>(span.first) / rateHz,
                                          static_cast<double>(span.count) / rateHz)) {
        PatBlt(dc, tick.position, height - kTickLengthPx, 1, kTickLengthPx, WHITENESS);
        if (tick.position >= kFrequencyLabelsPx) {
            TextOutA(dc, tick.position + 2, height - box.cy - 1, tick.text.c_str(),
                     static_cast<int>(tick.text.size()));
        }
    }
}

void DrawReadout(App& app, OverviewState& state, Bitmaplib::PlotView& view, OverviewSpan span,
                 const AppSettings& s) {
    int x = 0;
    int y = 0;
    if (!state.result || !view.CursorPoint(x, y)) return;
    const FileOverview& file = *state.result;
    const Overview& o = file.overview;
    if (o.bins < 2 || o.columns <= 0 || file.format.rateHz <= 0) return;
    const std::int32_t length = file.request.frameLength;
    const FrameFacts facts{file.format.rateHz, length, file.request.windowKind, app.options.SplOffsetDb()};
    const SpectrogramAxis axis{view.Height(), o.bins, view.Selection(), s.logGrid != 0, false};
    const double bin = SpectrogramBinAtRow(axis, y);
    const std::int32_t column = ResultColumnAt(state, span, view.Width(), x);
    if (column < 0) return;
    const auto k = std::clamp<std::int64_t>(std::llround(bin), 0, o.bins - 1);
    const double level = LiveScaleLevel(o.peak[static_cast<std::size_t>(column) * o.bins + k]);
    const double seconds = static_cast<double>(OverviewSampleAtX(span, view.Width(), x)) / file.format.rateHz;
    state.readout.DrawTextBox(view, OverviewCursorReadout(facts, seconds, bin, level), BoxPlacement::kNearCursor, x,
                              y);
}

// The wheel, drag and click the view gathered since the last pass.
void TakePointer(App& app, OverviewJob& job, Bitmaplib::PlotView& view, const AppSettings& s) {
    const std::int32_t width = view.Width();
    const std::uint64_t total = job.Frames();
    const std::uint64_t minCount = OverviewMinCount(total, width, s.fftLength);
    OverviewSpan span = job.Span();
    if (const int wheel = view.TakeWheel(); wheel != 0) {
        int x = width / 2;
        int y = 0;
        view.CursorPoint(x, y);
        span = ZoomOverview(span, total, minCount, width, x, wheel);
    }
    span = ScrollOverview(span, total, width, view.TakeDragX());
    span = ClampOverviewSpan(span, total, minCount);
    job.SetSpan(span);
    int clickX = 0;
    if (view.TakeClick(clickX) && app.fileSource) {
        app.fileSource->Seek(OverviewSampleAtX(span, width, clickX), static_cast<std::uint32_t>(s.fftLength));
    }
}

// While the file plays and the span shows part of it, playing that runs
// past the span's end turns the page: the span moves on so that playing
// stands a tenth in from its left edge. Not while the user drags.
void FollowPlaying(App& app, OverviewJob& job, OverviewState& state, const Bitmaplib::PlotView& view,
                   const AppSettings& s) {
    if (!app.fileSource) return;
    const std::uint64_t position = app.fileSource->Position();
    const std::uint64_t before = std::exchange(state.lastPosition, position);
    const OverviewSpan span = job.Span();
    const std::uint64_t end = span.first + span.count;
    if (s.runState != kRun || view.IsDragging() || span.count >= job.Frames()) return;
    if (before >= span.first && before < end && position >= end && position - before < span.count) {
        OverviewSpan next{position > span.count / 10 ? position - span.count / 10 : 0, span.count};
        next.first = std::min(next.first, job.Frames() - span.count);
        job.SetSpan(next);
    }
}

bool DrawOverview(App& app, OverviewState& state, const AppSettings& s) {
    OverviewJob* job = app.overview.get();
    Bitmaplib::PlotView* lower = app.parts.lowerView.get();
    Bitmaplib::PlotView* upper = app.parts.upperView.get();
    const bool show = job && lower && upper && job->IsOpen() && s.cepstrumMode == 0 && lower->Width() > 0 &&
                      lower->Height() > 0 && app.playingFile.load(std::memory_order_acquire);
    if (!show) {
        if (state.shown && lower) {
            // The live columns scroll in over black, not over the last picture.
            PatBlt(lower->MemoryDc(), 0, 0, lower->Width(), lower->Height(), BLACKNESS);
        }
        state.shown = false;
        // The pictures of a file no longer shown go with it.
        state.result.reset();
        state.painted.reset();
        state.key = ColourKey{};
        std::vector<std::uint32_t>().swap(state.columns);
        if (job) job->SetShown(false);
        app.overviewPercent.store(-1, kRelaxed);
        return false;
    }
    TakePointer(app, *job, *lower, s);
    FollowPlaying(app, *job, state, *lower, s);
    const OverviewSpan wanted = job->Span();
    OverviewRequest request;
    request.firstSample = wanted.first;
    request.sampleCount = wanted.count;
    request.columns = lower->Width();
    request.frameLength = s.fftLength;
    request.windowKind = s.windowKind;
    request.threads = kOverviewWorkers;
    request.channel = app.fileSource ? app.fileSource->Channel() : kChannelLeft;
    job->Want(request);
    state.result = job->Latest();
    app.overviewPercent.store(job->ProgressPercent(), kRelaxed);

    const SelectionBlock selection = lower->Selection();
    const ColourKey key{state.result.get(),
                        lower->Height(),
                        selection.x0,
                        selection.x1,
                        selection.y0,
                        selection.y1,
                        app.live.upperHeight.load(kRelaxed),
                        app.live.activeSpan.load(kRelaxed),
                        app.live.activeOffset.load(kRelaxed),
                        s.logGrid != 0,
                        app.options.Map()};
    if (!(key == state.key)) {
        PaintColumns(state, key);
        state.key = key;
        state.painted = state.result;
    }
    // What the view would show: unless that changed, what it holds stays.
    DrawnKey drawn{lower, lower->Width(), lower->Height(), wanted.first, wanted.count, key, -1, kNoPointer, 0};
    if (app.fileSource) {
        const double x = OverviewXOfSample(wanted, lower->Width(), app.fileSource->Position());
        drawn.positionX = static_cast<int>(std::floor(std::clamp(x, -1.0, static_cast<double>(lower->Width()))));
    }
    if (!lower->CursorPoint(drawn.pointerX, drawn.pointerY)) {
        drawn.pointerX = kNoPointer;
        drawn.pointerY = 0;
    }
    if (state.shown && drawn == state.drawn) {
        return true;
    }
    state.drawn = drawn;
    state.readout.Restore(*lower);
    GdiFlush();
    const Bitmaplib::SurfacePixels surface = lower->Surface();
    if (!surface.bits) return false;
    CopyPicture(state, surface, wanted);
    DrawPositionLine(surface, drawn.positionX);
    DrawTimeAxis(*lower, wanted, job->RateHz());
    DrawReadout(app, state, *lower, wanted, s);
    state.shown = true;
    job->SetShown(true);
    return true;
}

}  // namespace

void AddOverviewHooks(App& app, FrameHooks& hooks) {
    auto state = std::make_shared<OverviewState>();
    hooks.overview = [&app, state](const FrameData&, const AppSettings& s) { return DrawOverview(app, *state, s); };
}

bool OverviewKey(App& app, int virtualKey) {
    OverviewJob* job = app.overview.get();
    Bitmaplib::PlotView* lower = app.parts.lowerView.get();
    if (!job || !lower || !job->Shown() || !app.fileSource) return false;
    const std::uint64_t total = job->Frames();
    if (total == 0) return false;
    const std::int32_t width = lower->Width();
    const std::uint64_t minCount = OverviewMinCount(total, width, app.settings.fftLength);
    OverviewSpan span = job->Span();
    const std::uint64_t position = std::min(app.fileSource->Position(), total - 1);
    const std::uint64_t step = std::max<std::uint64_t>(span.count / 10, 1);
    std::uint64_t target = position;
    switch (virtualKey) {
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = total - 1;
        break;
    case VK_LEFT:
        target = position > step ? position - step : 0;
        break;
    case VK_RIGHT:
        target = std::min(position + step, total - 1);
        break;
    case VK_UP:
    case VK_DOWN: {
        const int x = static_cast<int>(std::clamp(OverviewXOfSample(span, width, position), 0.0, double(width)));
        job->SetSpan(ZoomOverview(span, total, minCount, width, x, virtualKey == VK_UP ? 120 : -120));
        return true;
    }
    default:
        return false;
    }
    app.fileSource->Seek(target, static_cast<std::uint32_t>(app.settings.fftLength));
    job->SetSpan(ShowInOverview(span, total, target));
    return true;
}
