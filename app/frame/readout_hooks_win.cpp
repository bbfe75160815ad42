#include "app/frame/readout_hooks_win.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "analysis/peak_estimate.h"
#include "app/program/app_win.h"
#include "app/layout/window_parts_win.h"
#include "base/trunc_to_int.h"
#include "display/band_bars.h"
#include "display/pitch_readout.h"
#include "display/plot_view_win.h"
#include "display/readout_overlay_win.h"
#include "display/value_readout.h"

namespace {

struct ReadoutState {
    ReadoutOverlay upper;
    ReadoutOverlay lower;
    ColumnClock columns;
    PitchReadoutFilter pitch;
};

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void DrawUpperReadouts(App& app, ReadoutState& state, Bitmaplib::PlotView& view, const FrameData& frame,
                       const AppSettings& s) {
    if (view.Width() <= 0 || view.Height() <= 0 || frame.binCount < 2 || frame.sampleCount <= 0) {
        return;
    }
    const FrameFacts facts{s.sampleRate, frame.sampleCount, frame.windowKind, app.options.SplOffsetDb()};
    const ViewAxis axis{view.Width(), frame.binCount, s.logGrid != 0};
    const ViewLevels levels{view.Height(), app.live.activeSpan.load(std::memory_order_relaxed),
                            app.live.activeOffset.load(std::memory_order_relaxed)};
    const bool cepstrum = s.cepstrumMode == 1;
    if (s.showSpectrum) {
        ReadoutText corner;
        double markerBin = 0.0;
        double markerValue = 0.0;
        bool marked = false;
        if (cepstrum) {
            if (frame.fresh) {
                state.pitch.Add(frame.pitch, NowSeconds());
            }
            const PitchEstimate& shown = state.pitch.Shown();
            corner = PitchReadout(shown.voiced, shown.hz);
            if (shown.voiced) {
                // The marker sits on the lag of the period shown.
                markerBin = s.sampleRate / shown.hz;
                const auto lag = std::clamp<std::int32_t>(static_cast<std::int32_t>(std::lround(markerBin)), 0,
                                                          frame.binCount - 1);
                markerValue = frame.displayValues[lag];
                marked = true;
            }
        } else if (!frame.bands.empty()) {
            corner = BandViewTitle(frame.bandFraction, frame.bandWeighting);
        } else {
            const SelectionBlock sel = view.Selection();
            const BinRange band = SelectionBins(axis, sel.x0, sel.x1);
            const SpectrumPeak peak =
                FindSpectrumPeak(frame.displayValues, frame.binCount, band.first, band.last, facts.windowKind);
            corner = PeakReadout(facts, peak);
            markerBin = peak.bin;
            markerValue = peak.found ? frame.displayValues[peak.index] : 0.0;
            marked = peak.found;
        }
        // While the status line says "no input" or "filling", the frame
        // shown is an old one: no peak or pitch is named for it.
        const bool old = app.waitingForSamples.load(std::memory_order_relaxed);
        if (marked && !old) {
            state.upper.DrawMarker(view, truncToInt(AxisXOfBin(axis, markerBin)),
                                   truncToInt(RowOfValue(levels, markerValue)));
        }
        if (corner.count > 0 && !old) {
            state.upper.DrawTextBox(view, corner, BoxPlacement::kTopRight, 0, 0);
        }
    }
    int x = 0;
    int y = 0;
    if (!view.CursorPoint(x, y)) {
        return;
    }
    ReadoutText text;
    if (s.showSpectrum && !cepstrum && !frame.bands.empty()) {
        const int band = BandAtX(BandScaleOf(frame, s, view.Width(), levels), frame.bands, x);
        if (band >= 0) {
            text = BandCursorReadout(frame.bandFraction, frame.bandWeighting, frame.bands[band],
                                     frame.bandLevels[band], facts.splOffsetDb);
        }
    } else if (s.showSpectrum) {
        text = cepstrum ? CepstrumCursorReadout(facts, axis, x) : SpectrumCursorReadout(facts, axis, levels, frame.displayValues,
                                                                                   frame.binCount, x, y);
    } else if (s.showWave) {
        // The waveform shows the frame's first half (see the frame loop).
        text = WaveCursorReadout(facts, view.Width(), frame.rawFrame, frame.sampleCount / 2, x);
    }
    state.upper.DrawTextBox(view, text, BoxPlacement::kNearCursor, x, y);
}

void DrawLowerReadout(App& app, ReadoutState& state, Bitmaplib::PlotView& view, const FrameData& frame,
                      const AppSettings& s) {
    int x = 0;
    int y = 0;
    if (frame.binCount < 2 || !view.CursorPoint(x, y)) {
        return;
    }
    const FrameFacts facts{s.sampleRate, frame.sampleCount, frame.windowKind};
    const SpectrogramAxis axis{view.Height(), frame.binCount, view.Selection(), s.logGrid != 0,
                               s.cepstrumMode == 1};
    const double age = state.columns.AgeOf(view.Width(), x, NowSeconds());
    state.lower.DrawTextBox(view, SpectrogramCursorReadout(facts, axis, y, age), BoxPlacement::kNearCursor, x, y);
}

}  // namespace

void AddReadoutHooks(App& app, FrameHooks& hooks) {
    auto state = std::make_shared<ReadoutState>();
    hooks.spectrogramColumn = [&app, state, column = std::move(hooks.spectrogramColumn)](const FrameData& frame,
                                                                                          const AppSettings& s) {
        if (column) {
            column(frame, s);
        }
        if (Bitmaplib::PlotView* lower = app.parts.lowerView.get()) {
            state->columns.Push(lower->Width(), NowSeconds());
        }
    };
    hooks.drawReadouts = [&app, state](const FrameData& frame, const AppSettings& s, bool overview) {
        if (Bitmaplib::PlotView* upper = app.parts.upperView.get()) {
            DrawUpperReadouts(app, *state, *upper, frame, s);
        }
        if (Bitmaplib::PlotView* lower = app.parts.lowerView.get(); lower && !overview) {
            DrawLowerReadout(app, *state, *lower, frame, s);
        }
    };
    hooks.clearReadouts = [&app, state] {
        if (Bitmaplib::PlotView* upper = app.parts.upperView.get()) {
            state->upper.Restore(*upper);
        }
        if (Bitmaplib::PlotView* lower = app.parts.lowerView.get()) {
            state->lower.Restore(*lower);
        }
    };
}
