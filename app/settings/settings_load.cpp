#include "app/settings/settings_load.h"

#include "analysis/analyzer.h"
#include "app/layout/layout.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

constexpr std::int32_t kDefaultFftLength = 4096;
constexpr std::int32_t kMaxPauseMs = 1000;
constexpr std::int32_t kDefaultPauseMs = 10;
constexpr std::int32_t kMinSampleRateHz = 8000;
constexpr std::int32_t kMaxSampleRateHz = 192000;
constexpr std::int32_t kDefaultSampleRateHz = 44100;
constexpr double kDefaultSpan = 400.0;
constexpr double kDefaultOffset = 150.0;
// Spans the wheel can undo in a few dozen notches (30 each) and that still
// leave a level difference visible; outside them the trace stays off the view.
constexpr double kMinUsableSpan = 0.01;
constexpr double kMaxUsableSpan = 100000.0;
// Taller than any view: a stored height beyond it is not a height.
constexpr std::int32_t kMaxViewHeightPx = 32767;

bool IsFraction(double v) { return std::isfinite(v) && v >= 0.0 && v <= 1.0; }
// The selection's top and bottom edges are levels and may lie outside the
// view after a zoom; beyond this many view heights no drag brings them back.
constexpr double kMaxSelectionEdge = 1000.0;
bool IsSelectionEdge(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxSelectionEdge; }

// Counts a replacement when `bad` holds.
template <typename T>
int Replace(T& field, bool bad, T value) {
    if (!bad) return 0;
    field = value;
    return 1;
}

void KeepOnPrimaryScreen(AppSettings& s, const ScreenMetrics& screen) {
    if (screen.primaryHeight < s.winY || screen.primaryWidth < s.winX) {
        s.winX = CentredOrigin(screen.primaryWidth, s.winWidth);
        s.winY = CentredOrigin(screen.primaryHeight, s.winHeight);
    }
}

}  // namespace

int SanitizeSettings(AppSettings& s, const ScreenMetrics& screen) {
    int replaced = 0;
    replaced += Replace(s.fftLength, !IsSupportedFrameLength(s.fftLength), kDefaultFftLength);
    replaced += Replace(s.halfLength, s.halfLength != s.fftLength / 2, s.fftLength / 2);
    replaced += Replace(s.pauseMs, s.pauseMs < 0 || s.pauseMs > kMaxPauseMs, kDefaultPauseMs);
    replaced += Replace(s.sampleRate, s.sampleRate < kMinSampleRateHz || s.sampleRate > kMaxSampleRateHz,
                        kDefaultSampleRateHz);
    if (!IsSelectionEdge(s.selY0) || !IsFraction(s.selX0) || !IsFraction(s.selX1) || !IsSelectionEdge(s.selY1)) {
        s.selY0 = 0.1;
        s.selX0 = 0.1;
        s.selX1 = 0.9;
        s.selY1 = 0.9;
        ++replaced;
    }
    replaced += Replace(s.splitRatio, !IsFraction(s.splitRatio), kDefaultSplitRatio);
    for (double* span : {&s.activeSpan, &s.specSpan, &s.cepSpan}) {
        replaced += Replace(*span, !(*span >= kMinUsableSpan && *span <= kMaxUsableSpan), kDefaultSpan);
    }
    for (double* offset : {&s.activeOffset, &s.specOffset, &s.cepOffset}) {
        replaced += Replace(*offset, !(std::fabs(*offset) <= kMaxOffsetPx), kDefaultOffset);
    }
    // 0 means "no height recorded yet": the first layout then keeps the offset.
    replaced += Replace(s.upperHeight, s.upperHeight < 0 || s.upperHeight > kMaxViewHeightPx, std::int32_t{0});
    if (s.winWidth <= 0 || s.winHeight <= 0 || s.winWidth > screen.virtualWidth ||
        s.winHeight > screen.virtualHeight) {
        s.winWidth = kDefaultWindowWidth;
        s.winHeight = kDefaultWindowHeight;
        s.winX = CentredOrigin(screen.primaryWidth, s.winWidth);
        s.winY = CentredOrigin(screen.primaryHeight, s.winHeight);
        ++replaced;
    }
    return replaced;
}

bool LoadSettingsImage(AppSettings& s, const void* bytes, std::size_t count, const ScreenMetrics& screen) {
    const bool complete = bytes != nullptr && count >= kSettingsBytes;
    if (complete) {
        std::memcpy(&s, bytes, kSettingsBytes);
    }
    const bool accepted = complete && HasSettingsMagic(s);
    if (accepted) {
        s.runState = kRun;
        s.frameCount = 0;
        SanitizeSettings(s, screen);
    } else {
        InstallDefaults(s, screen.primaryWidth, screen.primaryHeight);
    }
    KeepOnPrimaryScreen(s, screen);
    return accepted;
}
