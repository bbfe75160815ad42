// Arithmetic of the upper view's background: where the grid lines go and
// what the frequency or quefrency tick labels read.
//
// Coordinates are view pixels (x right, y down, origin top-left). On the
// linear axis bin k lies at x = k x width / bins; on the logarithmic axis
// frequency f lies at x = width x (log10 f - log10 binHz) / (log10 nyq -
// log10 binHz), truncated, so the first bin's width in Hz lands on the left
// edge and the Nyquist frequency on the right one.
//
// Label texts are ANSI, at most kTickTextBytes - 1 characters; they are made
// with bounded formatting, and a value that is not finite (the quefrency 0 on
// the linear axis has an infinite pitch) prints kNotFiniteText.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>

#include "base/pixel_coord.h"

inline constexpr int kLinearGridLines = 10;     // vertical lines of the linear grid
inline constexpr int kLinearTickLabels = 11;    // one more than the lines: both edges
inline constexpr int kHorizontalGridLines = 8;  // in every view
inline constexpr int kLogGridEntries = 47;      // 1 Hz ... 200 kHz, 1-2-...-9 per decade
inline constexpr int kTickTextBytes = 32;
// Left edge of the linear axis's first label, pixels.
inline constexpr std::int32_t kFirstLabelLeftPx = 2;
// Least empty space between two labels of one row, pixels: less reads as
// one number.
inline constexpr std::int32_t kLabelGapPx = 4;
// Label rows: row A (frequency, or quefrency) and row B (the quefrency's
// pitch), measured from the view's vertical centre.
inline constexpr std::int32_t kRowAAboveCentrePx = 20;
inline constexpr std::int32_t kRowBAboveCentrePx = 4;
inline constexpr char kNotFiniteText[] = "-";

// The grid frequencies of the logarithmic axis, in Hz.
extern const std::array<double, kLogGridEntries> kLogGridFrequenciesHz;

// The derived values of one axis.
struct AxisScale {
    double nyquistHz;   // fs / 2 (integer division)
    double stepXPx;     // linear grid spacing: width / 10 (integer division)
    double stepHz;      // linear label spacing: fs / 20
    double decades;     // log10 of the Nyquist frequency
    double pxPerDecade; // width / decades
    double binHz;       // width of one bin: nyquist / bins
    double logOrigin;   // log10(binHz) x pxPerDecade
    double logStretch;  // stretches [binHz, nyquist] over the full width
};

// fs in Hz, bins = half the data length, width in pixels (all positive).
AxisScale MakeAxisScale(std::int32_t fs, std::int32_t bins, std::int32_t width);

// x of frequency f on the logarithmic axis (kTruncInvalid-safe truncation).
std::int32_t LogAxisX(const AxisScale& scale, double frequencyHz);

// x of the vertical lines: the 47 table entries on the logarithmic axis
// (those outside the view are left to clipping), else 10 equal steps.
// Returns the number of lines written to `xs`.
int VerticalGridLines(const AxisScale& scale, bool logAxis, std::array<std::int32_t, kLogGridEntries>& xs);

// y of the 8 horizontal lines of a view `height` pixels high.
std::array<std::int32_t, kHorizontalGridLines> HorizontalGridLines(std::int32_t height);

// Row A text of a frequency: "%.0f" below 1,000 Hz, else "%.0fk" of
// (f + 50) / 1000.
void FrequencyText(double frequencyHz, char (&text)[kTickTextBytes]);
// Row A and row B texts of the quefrency that stands at frequency position f:
// q = f x (2 bins / fs) / fs seconds, printed "%.1fm" in milliseconds, and its
// pitch 1 / q as "(%.0f)" or, from 1,000 on, "(%.0fk)" of (p + 50) / 1000.
void QuefrencyTexts(double frequencyHz, std::int32_t fs, std::int32_t bins, char (&rowA)[kTickTextBytes],
                    char (&rowB)[kTickTextBytes]);
// The bin-width text printed at the left edge of the logarithmic frequency
// axis: "%.0f" of binHz (no control character: fonts draw those as boxes).
void BinWidthText(double binHz, char (&text)[kTickTextBytes]);

struct TickLabel {
    std::int32_t x;  // the tick's position
    bool centred;    // centred on x with row A's width; else left edge at x
    char rowA[kTickTextBytes];
    char rowB[kTickTextBytes];  // empty on the frequency axis
};

// Every label of the axis, in drawing order (the bin-width text is not among
// them: see BinWidthText). Logarithmic axis: the decades 10 Hz ... 10 kHz
// whose x is at least 1; linear axis: the 11 labels, the first left-aligned at
// x = kFirstLabelLeftPx. Returns the number written.
int TickLabels(const AxisScale& scale, std::int32_t fs, std::int32_t bins, bool logAxis, bool quefrency,
               std::array<TickLabel, kLinearTickLabels>& labels);

// Left edge of a label whose row A text is `textWidth` pixels wide.
std::int32_t LabelLeft(const TickLabel& label, std::int32_t textWidth);

// Width in pixels of a text as the painter draws it (the view's axis font).
using TextWidthFn = std::function<std::int32_t(const char* text)>;

// A label as drawn: both rows start at `left` and the wider one ends before
// `right`.
struct PlacedLabel {
    std::int32_t left;
    std::int32_t right;
    char rowA[kTickTextBytes];
    char rowB[kTickTextBytes];  // empty on the frequency axis
};

// The bin-width text (logarithmic frequency axis) and the tick labels.
inline constexpr int kMostPlacedLabels = kLinearTickLabels + 1;

// The labels of a view `width` pixels wide that are drawn, left to right. On
// the logarithmic frequency axis the bin-width text comes first, at x = 0.
// Every tick label keeps its place (LabelLeft) unless it would stick out of
// the view: then it is moved in until it fits whole. A label that would then
// come closer than kLabelGapPx to the one before it, or that is wider than
// the view, is left out. Returns the number written.
int PlaceAxisLabels(const AxisScale& scale, std::int32_t fs, std::int32_t bins, bool logAxis, bool quefrency,
                    std::int32_t width, const TextWidthFn& textWidth,
                    std::array<PlacedLabel, kMostPlacedLabels>& placed);

// The level axis of the spectrum views: the level of each horizontal grid
// line, in dBFS, printed just below the line, kFirstLabelLeftPx from the left
// edge, rounded to whole dB: the topmost label drawn names the scale
// ("-12 dBFS"), the others read "-34 dB" (the unit sets them apart from the
// bin-width text of the logarithmic axis, which stands at the same edge). A label that would pass the
// view's bottom or right edge, run into the label above it, or cross the
// frequency labels' rows (RowAY ... RowBY + textHeight) is left out, and so is
// a level that is not finite. With a calibration (splOffsetDb finite) each
// label adds the level in dB SPL: "-12 dBFS 82 SPL", "-34 dB 60 SPL".
struct LevelLabel {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    char text[kTickTextBytes];
};
using LevelAtRowFn = std::function<double(std::int32_t row)>;
int PlaceLevelLabels(std::int32_t width, std::int32_t height, std::int32_t textHeight, const LevelAtRowFn& levelAtRow,
                     const TextWidthFn& textWidth, std::array<LevelLabel, kHorizontalGridLines>& placed,
                     double splOffsetDb = std::numeric_limits<double>::quiet_NaN());

// The two text rows of a view `height` pixels high.
inline std::int32_t RowAY(std::int32_t height) { return height / 2 - kRowAAboveCentrePx; }
inline std::int32_t RowBY(std::int32_t height) { return height / 2 - kRowBAboveCentrePx; }
