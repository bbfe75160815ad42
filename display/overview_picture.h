// A WAV file's overview as a picture and as a table: reading the file for
// the overview engine (analysis/overview.h), painting its spectrogram with
// frequency and time axes and a colour key, and its averaged (Welch)
// spectrum in the form of the live CSV export (display/frame_csv.h).
//
// Picture: 32-bit pixels, bytes blue, green, red, unused; rows top-down.
// The plot fills the picture but for the margins of the axes' labels (left,
// bottom) and the colour key (right). Row 0 of the plot is its top line, the
// band's high end; column c is the overview's column c. A pixel's colour is
// the level of the strongest bin among the bins its row covers, in dBFS
// (analysis/peak_estimate.h) on the scale bottomDbfs ... topDbfs, coloured by
// the map (display/level_colour.h). The label texts are left to the caller,
// which has the fonts: their places and texts are given here.
//
// Time texts read m:ss (minutes run on past 59), with as many decimals of
// the second as the step between ticks needs.
//
// Threads: ComputeFileOverview runs on the thread that calls it (and the
// engine's workers); the rest is pure; any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/overview.h"
#include "capture/wav_reader.h"
#include "display/level_colour.h"

// The overview of a whole file (or a time range of it: request.firstSample
// and sampleCount; a sampleCount of 0 means to the end). On kNone `overview`
// holds the result and `format` the file's format; a read that fails on the
// way gives kCannotRead. Cancelled: kNone with overview.complete false.
struct FileOverview {
    WavFormat format;
    OverviewRequest request;
    Overview overview;
};
WavError ComputeFileOverview(std::unique_ptr<ByteSource> source, const OverviewRequest& request,
                             OverviewProgress* progress, FileOverview& out);

// The Welch spectrum as CSV text: FrameCsv of a spectrum whose value per bin
// is 10 ln(mean power), i.e. the live view's 20 ln|X| scale.
std::string WelchCsv(const Overview& overview, std::int32_t rateHz, std::int32_t windowKind);

struct OverviewLook {
    double lowHz = 0.0;    // band shown; highHz <= 0 means the Nyquist frequency
    double highHz = 0.0;
    bool logAxis = false;  // logarithmic frequency axis (from the first bin's width up)
    double bottomDbfs = -120.0;
    double topDbfs = 0.0;
    ColourMap colourMap = ColourMap::kRainbow;
};

struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct OverviewLayout {
    PixelRect plot;
    PixelRect key;  // the colour key's strip, bottomDbfs at its bottom
};

// Smallest picture with room for a plot.
inline constexpr std::int32_t kOverviewMinWidth = 160;
inline constexpr std::int32_t kOverviewMinHeight = 80;

// Where the plot and the key go in a picture of the given size (at least the minimum).
OverviewLayout OverviewLayoutOf(std::int32_t width, std::int32_t height);

// A tick: its position along the axis in picture pixels (x for time, y for
// frequency and level) and its label.
struct AxisTick {
    std::int32_t position;
    std::string text;
};

// "m:ss" with `decimals` digits of the second (0 ... 3), e.g. 75.5 s -> "1:15.5".
std::string MinutesSecondsText(double seconds, int decimals);

// Ticks of the time axis under `plot` for the range [startSeconds, startSeconds + seconds).
std::vector<AxisTick> TimeTicks(const PixelRect& plot, double startSeconds, double seconds);
// Ticks of the frequency axis beside `plot`, and of the colour key.
std::vector<AxisTick> FrequencyTicks(const PixelRect& plot, const OverviewLook& look, std::int32_t rateHz,
                                     std::int32_t bins);
std::vector<AxisTick> LevelTicks(const PixelRect& key, const OverviewLook& look);

// The picture without its texts: black, the plot, the key, the tick marks.
// `pixels` gets width x height entries.
void PaintOverviewPicture(const FileOverview& file, const OverviewLook& look, std::int32_t width,
                          std::int32_t height, std::vector<std::uint32_t>& pixels);

// The plot alone into `pixels` (plotWidth = overview.columns wide, `rows`
// high, `stride` pixels a row), as the picture paints it.
void PaintOverviewPlot(const Overview& overview, std::int32_t rateHz, std::int32_t windowKind, const OverviewLook& look,
                       std::int32_t rows, std::uint32_t* pixels, std::ptrdiff_t stride);
