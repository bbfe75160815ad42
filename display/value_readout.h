// The numbers read off the picture: what lies under the cursor in the upper
// view (frequency, level and note; quefrency; time and sample) and in the
// spectrogram (frequency and age of the column), the peak and pitch readouts,
// and the musical note of a frequency.
//
// Coordinates are view pixels (x right, y down, origin top-left). Bins
// (lags in the cepstrum views) sit on the upper view's axis as the traces
// put them: bin k at x = k x width / bins on the linear axis, at
// x = log10 k x width / log10 bins on the logarithmic one; the frequency of
// bin k is k x rate / length, the pitch of lag q is rate / q.
//
// Texts are ASCII, at most kReadoutTextBytes - 1 characters, always
// terminated; a value without digits (no note below 1 Hz, an infinite
// pitch, a column not yet drawn) prints "-".
//
// Pure, except ColumnClock, which one thread (the frame loop's) owns.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/peak_estimate.h"
#include "display/selection.h"

inline constexpr int kReadoutLines = 3;
inline constexpr int kReadoutTextBytes = 48;
// The note every other is tuned from: A4, in Hz.
inline constexpr double kConcertPitchHz = 440.0;

struct ReadoutText {
    int count = 0;
    char lines[kReadoutLines][kReadoutTextBytes] = {};
};

// The nearest equal-tempered note ("A4", "C#5") and how far the frequency is
// from it, in cents rounded to whole ones: "A4 +0c", "C8 -1c".
void NoteText(double hz, char (&text)[kReadoutTextBytes]);

// What the readouts need to know of the frame.
struct FrameFacts {
    std::int32_t sampleRate;  // Hz
    std::int32_t length;      // data length N; the spectrum has N / 2 bins
    std::int32_t windowKind;  // WindowKind
    // dB SPL minus dBFS of the input's calibration; NaN: not calibrated,
    // levels read dBFS alone.
    double splOffsetDb = std::numeric_limits<double>::quiet_NaN();
};

// The upper view's horizontal axis.
struct ViewAxis {
    std::int32_t width;  // pixels, > 0
    std::int32_t bins;   // bins (lags) across the width, > 1
    bool logAxis;
};

// Fractional bin at pixel x, and the pixel x of a fractional bin.
double AxisBinAtX(const ViewAxis& axis, double x);
double AxisXOfBin(const ViewAxis& axis, double bin);

// The bins between the selection's left and right edges (x = width x
// fraction, as the outline is drawn), in order, within 0 ... bins - 1.
struct BinRange {
    std::int32_t first;
    std::int32_t last;
};
BinRange SelectionBins(const ViewAxis& axis, double selX0, double selX1);

// The vertical scale of the spectrum views: value v at row offset - v x height / span.
struct ViewLevels {
    std::int32_t height;
    double span;
    double offset;
};
double ValueAtRow(const ViewLevels& levels, double y);
double RowOfValue(const ViewLevels& levels, double value);

// The largest of the `binCount` display values that the trace draws in
// column x (the nearest bin where bins are wider than a column); -inf for a
// column outside the view or no values.
double TraceValueAtX(const ViewAxis& axis, const double* values, std::int32_t binCount, int x);

// Spectrum views at (x, y) over the frame's `values`: "440.0 Hz  A4 +0c",
// "trace -6.0 dBFS" (the trace's level in that column), "pointer -12.0 dBFS"
// (the level at the pointer's height); with a calibration each level is
// followed by its dB SPL ("trace -6.0 dBFS 88.0 dB SPL").
ReadoutText SpectrumCursorReadout(const FrameFacts& f, const ViewAxis& axis, const ViewLevels& levels,
                                  const double* values, std::int32_t binCount, int x, int y);
// Cepstrum views at x: "lag 4.54 ms", "220.3 Hz", "A3 +1c".
ReadoutText CepstrumCursorReadout(const FrameFacts& f, const ViewAxis& axis, int x);
// Waveform at x of a `width`-pixel view over `count` raw samples:
// "time 12.34 ms", "value -1234" (the sample drawn there).
ReadoutText WaveCursorReadout(const FrameFacts& f, int width, const double* samples, std::int32_t count, int x);
// Spectrum views: "Peak 440.0 Hz", "-6.0 dBFS  A4 +0c", and with a
// calibration "88.0 dB SPL"; nothing when not found.
ReadoutText PeakReadout(const FrameFacts& f, const SpectrumPeak& peak);
// Cepstrum views: "Pitch 220.3 Hz  A3 +1c", or "Pitch -" for no pitch.
ReadoutText PitchReadout(bool voiced, double hz);

// The spectrogram's row at y: the band between the selection's edges spread
// over `height` rows as the columns are painted (row 0, the band's low end,
// at the bottom, or at the top in the cepstrum views).
struct SpectrogramAxis {
    std::int32_t height;    // rows, > 0
    std::int32_t binCount;  // bins of the frame
    SelectionBlock selection;
    bool logAxis;
    bool cepstrum;
};
double SpectrogramBinAtRow(const SpectrogramAxis& axis, int y);
// "440.0 Hz", "3.2 s ago" ("-" for a column not drawn since the clock began);
// in the cepstrum views "lag 4.54 ms", "220.3 Hz", "3.2 s ago".
ReadoutText SpectrogramCursorReadout(const FrameFacts& f, const SpectrogramAxis& axis, int y, double secondsAgo);

// Over a file's overview: the pointer's time "1:15.250" (m:ss.ms), the
// frequency of fractional bin `bin` with its note as the spectrum's readout
// gives them, and the overview's level there (display value 20 ln|X|) in
// dBFS, with dB SPL beside it when the input is calibrated.
ReadoutText OverviewCursorReadout(const FrameFacts& f, double seconds, double bin, double level);

// When each spectrogram column was drawn: one time per column, newest last.
// Restarts when the width changes (a new view starts empty).
class ColumnClock {
public:
    // A column was drawn into a view `width` pixels wide at `seconds`.
    void Push(std::int32_t width, double seconds);
    // Seconds between the drawing of column x (0 = left edge) and `now`;
    // negative when that column has not been drawn since the restart.
    double AgeOf(std::int32_t width, int x, double now) const;

private:
    std::vector<double> times_;  // a ring of `width` times
    std::int32_t width_ = 0;
    std::int64_t pushed_ = 0;
};
