#include "display/band_bars.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "base/trunc_to_int.h"

namespace {

// Display levels are 20 ln|X|: one dB is ln 10 of them.
const double kDisplayPerDb = std::numbers::ln10;
constexpr char kWeightingLetters[] = {'Z', 'A', 'C'};

double XOfHz(const BandScale& scale, double hz) { return AxisXOfBin(scale.axis, hz / scale.binHz); }

char WeightingLetter(BandWeighting weighting) {
    const auto w = static_cast<std::size_t>(weighting);
    return w < std::size(kWeightingLetters) ? kWeightingLetters[w] : '?';
}

void AddLine(ReadoutText& r, const char* text) {
    if (r.count < kReadoutLines) std::snprintf(r.lines[r.count++], kReadoutTextBytes, "%s", text);
}

}  // namespace

double DisplayLevelOfDbfs(const BandScale& scale, double dbfs) { return scale.fullScaleLevel + dbfs * kDisplayPerDb; }

BandColumns BandColumnsOf(const BandScale& scale, const Band& band) {
    BandColumns columns{0, 0, false};
    const double left = XOfHz(scale, band.lowerHz);
    const double right = XOfHz(scale, band.upperHz);
    if (!(right > 0.0) || !(left < scale.axis.width)) return columns;
    columns.left = std::max(0, truncToInt(std::ceil(left)));
    // Neighbours share an edge: each bar ends a column short of the next one.
    columns.right = std::min(scale.axis.width - 1, std::max(columns.left, truncToInt(std::ceil(right)) - 2));
    columns.shown = columns.left <= columns.right;
    return columns;
}

int BandTopRow(const BandScale& scale, double levelDbfs) {
    if (!std::isfinite(levelDbfs)) return scale.levels.height;
    const double row = RowOfValue(scale.levels, DisplayLevelOfDbfs(scale, levelDbfs));
    return truncToInt(std::clamp(row, -1.0, static_cast<double>(scale.levels.height)));
}

int BandAtX(const BandScale& scale, std::span<const Band> bands, int x) {
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (XOfHz(scale, bands[i].lowerHz) <= x && x < XOfHz(scale, bands[i].upperHz)) return static_cast<int>(i);
    }
    return -1;
}

ReadoutText BandViewTitle(int fraction, BandWeighting weighting) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    std::snprintf(text, kReadoutTextBytes, "Bands 1/%d octave", fraction);
    AddLine(r, text);
    std::snprintf(text, kReadoutTextBytes, "Weighting %c", WeightingLetter(weighting));
    AddLine(r, text);
    return r;
}

ReadoutText BandCursorReadout(int fraction, BandWeighting weighting, const Band& band, double levelDbfs,
                              double splOffsetDb) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    std::snprintf(text, kReadoutTextBytes, "1/%d oct %c  %.1f Hz", fraction, WeightingLetter(weighting),
                  band.centreHz);
    AddLine(r, text);
    if (!band.resolved) {
        AddLine(r, band.cutOff ? "band - (past the top)" : "band - (too narrow)");
        return r;
    }
    std::snprintf(text, kReadoutTextBytes, "band %.1f dBFS", levelDbfs);
    AddLine(r, text);
    if (std::isfinite(splOffsetDb)) {
        std::snprintf(text, kReadoutTextBytes, "band %.1f dB SPL", levelDbfs + splOffsetDb);
        AddLine(r, text);
    }
    return r;
}
