#include "display/value_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "display/overview_picture.h"
#include "display/spectrogram.h"

namespace {

constexpr char kNoValueText[] = "-";
// MIDI number of A4, and the notes of an octave.
constexpr int kConcertPitchMidi = 69;
constexpr int kNotesPerOctave = 12;
constexpr double kCentsPerSemitone = 100.0;
constexpr const char* kNoteNames[kNotesPerOctave] = {"C", "C#", "D", "D#", "E", "F",
                                                     "F#", "G", "G#", "A", "A#", "B"};
// Below this no note is named.
constexpr double kLowestNoteHz = 1.0;
constexpr double kMsPerSecond = 1000.0;

void AddLine(ReadoutText& r, const char* text) {
    if (r.count < kReadoutLines) {
        std::snprintf(r.lines[r.count++], kReadoutTextBytes, "%s", text);
    }
}

void HzText(double hz, char (&text)[kReadoutTextBytes]) {
    if (std::isfinite(hz)) {
        std::snprintf(text, kReadoutTextBytes, "%.1f Hz", hz);
    } else {
        std::snprintf(text, kReadoutTextBytes, "%s", kNoValueText);
    }
}

double BinHz(const FrameFacts& f, double bin) { return bin * f.sampleRate / f.length; }

double LagHz(const FrameFacts& f, double lag) {
    return lag > 0.0 ? f.sampleRate / lag : std::numeric_limits<double>::infinity();
}

}  // namespace

void NoteText(double hz, char (&text)[kReadoutTextBytes]) {
    if (!std::isfinite(hz) || hz < kLowestNoteHz) {
        std::snprintf(text, kReadoutTextBytes, "%s", kNoValueText);
        return;
    }
    const double midi = kConcertPitchMidi + kNotesPerOctave * std::log2(hz / kConcertPitchHz);
    const long note = std::lround(midi);
    const long cents = std::lround((midi - note) * kCentsPerSemitone);
    const long octave = (note >= 0 ? note / kNotesPerOctave : (note - kNotesPerOctave + 1) / kNotesPerOctave) - 1;
    const long index = note - (octave + 1) * kNotesPerOctave;
    std::snprintf(text, kReadoutTextBytes, "%s%ld %+ldc", kNoteNames[index], octave, cents);
}

double AxisBinAtX(const ViewAxis& axis, double x) {
    if (axis.logAxis) {
        return std::pow(10.0, x * std::log10(static_cast<double>(axis.bins)) / axis.width);
    }
    return x * axis.bins / axis.width;
}

double AxisXOfBin(const ViewAxis& axis, double bin) {
    if (axis.logAxis) {
        return std::log10(bin) * axis.width / std::log10(static_cast<double>(axis.bins));
    }
    return bin * axis.width / axis.bins;
}

BinRange SelectionBins(const ViewAxis& axis, double selX0, double selX1) {
    const double a = AxisBinAtX(axis, std::trunc(axis.width * selX0));
    const double b = AxisBinAtX(axis, std::trunc(axis.width * selX1));
    const auto clampBin = [&](double bin) {
        if (!std::isfinite(bin)) {
            return bin > 0 ? axis.bins - 1 : 0;
        }
        return static_cast<std::int32_t>(std::clamp(bin, 0.0, axis.bins - 1.0));
    };
    const std::int32_t lo = clampBin(std::min(a, b));
    const std::int32_t hi = clampBin(std::ceil(std::max(a, b)));
    return {lo, hi};
}

double ValueAtRow(const ViewLevels& levels, double y) { return (levels.offset - y) * levels.span / levels.height; }

double RowOfValue(const ViewLevels& levels, double value) { return levels.offset - value * levels.height / levels.span; }

double TraceValueAtX(const ViewAxis& axis, const double* values, std::int32_t binCount, int x) {
    double best = -std::numeric_limits<double>::infinity();
    if (values == nullptr || binCount <= 0 || x < 0 || x >= axis.width) {
        return best;
    }
    // The bins whose x truncates to this column, as the trace places them.
    const double first = std::ceil(AxisBinAtX(axis, x));
    const double end = std::ceil(AxisBinAtX(axis, x + 1));
    if (!(end > first)) {
        const double nearest = std::clamp(std::round(AxisBinAtX(axis, x + 0.5)), 0.0, binCount - 1.0);
        return values[static_cast<std::int32_t>(nearest)];
    }
    const auto lo = static_cast<std::int32_t>(std::clamp(first, 0.0, binCount - 1.0));
    const auto hi = static_cast<std::int32_t>(std::clamp(end - 1.0, 0.0, binCount - 1.0));
    for (std::int32_t k = lo; k <= hi; ++k) {
        best = std::max(best, values[k]);
    }
    return best;
}

ReadoutText SpectrumCursorReadout(const FrameFacts& f, const ViewAxis& axis, const ViewLevels& levels,
                                  const double* values, std::int32_t binCount, int x, int y) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    char hzText[kReadoutTextBytes];
    char note[kReadoutTextBytes];
    const double hz = BinHz(f, AxisBinAtX(axis, x));
    HzText(hz, hzText);
    NoteText(hz, note);
    std::snprintf(text, kReadoutTextBytes, "%.16s  %.16s", hzText, note);
    AddLine(r, text);
    const auto levelLine = [&](const char* what, double dbfs) {
        if (std::isfinite(f.splOffsetDb)) {
            std::snprintf(text, kReadoutTextBytes, "%s %.1f dBFS %.1f dB SPL", what, dbfs, dbfs + f.splOffsetDb);
        } else {
            std::snprintf(text, kReadoutTextBytes, "%s %.1f dBFS", what, dbfs);
        }
        AddLine(r, text);
    };
    levelLine("trace", LevelDbfs(TraceValueAtX(axis, values, binCount, x), f.windowKind, f.length));
    levelLine("pointer", LevelDbfs(ValueAtRow(levels, y), f.windowKind, f.length));
    return r;
}

ReadoutText CepstrumCursorReadout(const FrameFacts& f, const ViewAxis& axis, int x) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    const double lag = AxisBinAtX(axis, x);
    std::snprintf(text, kReadoutTextBytes, "lag %.2f ms", lag * kMsPerSecond / f.sampleRate);
    AddLine(r, text);
    const double hz = LagHz(f, lag);
    HzText(hz, text);
    AddLine(r, text);
    NoteText(hz, text);
    AddLine(r, text);
    return r;
}

ReadoutText WaveCursorReadout(const FrameFacts& f, int width, const double* samples, std::int32_t count, int x) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    if (width <= 0 || count <= 0 || samples == nullptr) {
        return r;
    }
    // The first sample the waveform draws in column x.
    const std::int32_t i = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::ceil(static_cast<double>(x) * count / width)), 0, count - 1);
    std::snprintf(text, kReadoutTextBytes, "time %.2f ms", i * kMsPerSecond / f.sampleRate);
    AddLine(r, text);
    std::snprintf(text, kReadoutTextBytes, "value %.0f", samples[i]);
    AddLine(r, text);
    return r;
}

ReadoutText PeakReadout(const FrameFacts& f, const SpectrumPeak& peak) {
    ReadoutText r;
    if (!peak.found) {
        return r;
    }
    char text[kReadoutTextBytes];
    char note[kReadoutTextBytes];
    const double hz = BinHz(f, peak.bin);
    std::snprintf(text, kReadoutTextBytes, "Peak %.1f Hz", hz);
    AddLine(r, text);
    NoteText(hz, note);
    const double dbfs = LevelDbfs(peak.level, f.windowKind, f.length);
    std::snprintf(text, kReadoutTextBytes, "%.1f dBFS  %.12s", dbfs, note);
    AddLine(r, text);
    if (std::isfinite(f.splOffsetDb)) {
        std::snprintf(text, kReadoutTextBytes, "%.1f dB SPL", dbfs + f.splOffsetDb);
        AddLine(r, text);
    }
    return r;
}

ReadoutText PitchReadout(bool voiced, double hz) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    if (!voiced || !std::isfinite(hz)) {
        std::snprintf(text, kReadoutTextBytes, "Pitch %s", kNoValueText);
        AddLine(r, text);
        return r;
    }
    char note[kReadoutTextBytes];
    NoteText(hz, note);
    std::snprintf(text, kReadoutTextBytes, "Pitch %.1f Hz  %.12s", hz, note);
    AddLine(r, text);
    return r;
}

double SpectrogramBinAtRow(const SpectrogramAxis& axis, int y) {
    const SpectrogramBand band = SpectrogramBandOf(axis.binCount, axis.selection.x0, axis.selection.x1);
    const double row = axis.cepstrum ? y : axis.height - 1 - y;
    const double position = band.lo + row * (static_cast<double>(band.range) / axis.height);
    if (axis.logAxis) {
        return std::pow(10.0, position * std::log10(static_cast<double>(axis.binCount)) / axis.binCount);
    }
    return position;
}

ReadoutText SpectrogramCursorReadout(const FrameFacts& f, const SpectrogramAxis& axis, int y, double secondsAgo) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    const double bin = SpectrogramBinAtRow(axis, y);
    if (axis.cepstrum) {
        std::snprintf(text, kReadoutTextBytes, "lag %.2f ms", bin * kMsPerSecond / f.sampleRate);
        AddLine(r, text);
    }
    HzText(axis.cepstrum ? LagHz(f, bin) : BinHz(f, bin), text);
    AddLine(r, text);
    if (secondsAgo >= 0.0) {
        std::snprintf(text, kReadoutTextBytes, "%.1f s ago", secondsAgo);
    } else {
        std::snprintf(text, kReadoutTextBytes, "%s", kNoValueText);
    }
    AddLine(r, text);
    return r;
}

ReadoutText OverviewCursorReadout(const FrameFacts& f, double seconds, double bin, double level) {
    ReadoutText r;
    char text[kReadoutTextBytes];
    std::snprintf(text, kReadoutTextBytes, "%s", MinutesSecondsText(seconds, 3).c_str());
    AddLine(r, text);
    char hzText[kReadoutTextBytes];
    char note[kReadoutTextBytes];
    const double hz = BinHz(f, bin);
    HzText(hz, hzText);
    NoteText(hz, note);
    std::snprintf(text, kReadoutTextBytes, "%.16s  %.16s", hzText, note);
    AddLine(r, text);
    const double dbfs = LevelDbfs(level, f.windowKind, f.length);
    if (std::isfinite(f.splOffsetDb)) {
        std::snprintf(text, kReadoutTextBytes, "%.1f dBFS %.1f dB SPL", dbfs, dbfs + f.splOffsetDb);
    } else {
        std::snprintf(text, kReadoutTextBytes, "%.1f dBFS", dbfs);
    }
    AddLine(r, text);
    return r;
}

void ColumnClock::Push(std::int32_t width, double seconds) {
    if (width <= 0) {
        return;
    }
    if (width != width_) {
        width_ = width;
        times_.assign(static_cast<std::size_t>(width), 0.0);
        pushed_ = 0;
    }
    times_[static_cast<std::size_t>(pushed_ % width_)] = seconds;
    ++pushed_;
}

double ColumnClock::AgeOf(std::int32_t width, int x, double now) const {
    if (width != width_ || x < 0 || x >= width_) {
        return -1.0;
    }
    // Column width - 1 is the newest push, width - 2 the one before, ...
    const std::int64_t back = width_ - 1 - x;
    if (back >= pushed_) {
        return -1.0;
    }
    return now - times_[static_cast<std::size_t>((pushed_ - 1 - back) % width_)];
}
