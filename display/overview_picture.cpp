#include "display/overview_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "analysis/peak_estimate.h"
#include "display/axes_geometry.h"
#include "capture/sample_ring.h"
#include "display/frame_csv.h"

namespace {

// Margins of the picture, pixels: the frequency labels' column at the left,
// the time labels' row below, the key and its labels at the right.
constexpr std::int32_t kLeftMarginPx = 44;
constexpr std::int32_t kBottomMarginPx = 22;
constexpr std::int32_t kTopMarginPx = 8;
constexpr std::int32_t kKeyGapPx = 10;
constexpr std::int32_t kKeyWidthPx = 14;
constexpr std::int32_t kKeyLabelsPx = 56;
constexpr std::int32_t kTickLengthPx = 4;
// Least distance between two time labels and between two frequency labels, pixels.
constexpr double kTimeLabelSpacingPx = 90.0;
constexpr double kFrequencyLabelSpacingPx = 36.0;
constexpr double kLevelStepDb = 20.0;
constexpr std::uint32_t kTickColour = 0x00C0C0C0;
// Largest piece of the file read at once, bytes.
constexpr std::size_t kReadBytes = 256 * 1024;

std::uint32_t Pixel(RgbBytes c) {
    return static_cast<std::uint32_t>(c.blue) | (static_cast<std::uint32_t>(c.green) << 8) |
           (static_cast<std::uint32_t>(c.red) << 16);
}

double NyquistOf(std::int32_t rateHz) { return rateHz / 2.0; }

double HighHz(const OverviewLook& look, std::int32_t rateHz) {
    return look.highHz > 0.0 ? std::min(look.highHz, NyquistOf(rateHz)) : NyquistOf(rateHz);
}

// The band's low end; on the logarithmic axis no lower than one bin's width.
double LowHz(const OverviewLook& look, std::int32_t rateHz, std::int32_t bins) {
    const double binHz = NyquistOf(rateHz) / bins;
    return look.logAxis ? std::max(look.lowHz, binHz) : std::max(look.lowHz, 0.0);
}

// Frequency at height fraction t (0 at the plot's bottom edge, 1 at its top).
double FrequencyAt(const OverviewLook& look, double low, double high, double t) {
    return look.logAxis ? low * std::pow(high / low, t) : low + (high - low) * t;
}

// Fraction of the height at which f lies (inverse of FrequencyAt).
double HeightOf(const OverviewLook& look, double low, double high, double f) {
    return look.logAxis ? std::log(f / low) / std::log(high / low) : (f - low) / (high - low);
}

}  // namespace

WavError ComputeFileOverview(std::unique_ptr<ByteSource> source, const OverviewRequest& request,
                             OverviewProgress* progress, FileOverview& out) {
    WavFormat format;
    const WavError parsed = ParseWavHeader(*source, format);
    if (parsed != WavError::kNone) {
        return parsed;
    }
    OverviewRequest r = request;
    r.sourceSamples = format.frames;
    r.firstSample = std::min(r.firstSample, format.frames - 1);
    if (r.sampleCount == 0 || r.sampleCount > format.frames - r.firstSample) {
        r.sampleCount = format.frames - r.firstSample;
    }
    // The workers read one after another; each decodes its own bytes.
    std::mutex reading;
    ByteSource& bytes = *source;
    const OverviewFetch fetch = [&](std::uint64_t first, std::size_t count, double* dst) {
        // Pieces of at most kReadBytes: a file of many wide channels asks
        // for no more memory than one of one.
        const std::size_t frameBytes = static_cast<std::size_t>(format.blockAlign);
        const std::size_t piece = std::max<std::size_t>(1, kReadBytes / frameBytes);
        thread_local std::vector<std::uint8_t> raw;
        thread_local std::vector<float> decoded;
        for (std::size_t done = 0; done < count; done += piece) {
            const std::size_t n = std::min(piece, count - done);
            raw.resize(n * frameBytes);
            decoded.resize(n);
            {
                std::lock_guard<std::mutex> hold(reading);
                if (!bytes.ReadAt(format.dataOffset + (first + done) * frameBytes, raw.data(), raw.size())) {
                    return false;
                }
            }
            DecodeChannel(format, raw.data(), n, r.channel, decoded.data());
            for (std::size_t i = 0; i < n; ++i) dst[done + i] = decoded[i] * static_cast<double>(kRingFullScale);
        }
        return true;
    };
    Overview overview = ComputeOverview(r, fetch, progress);
    if (overview.readFailed || overview.bins == 0) {
        return WavError::kCannotRead;
    }
    out.format = format;
    out.request = r;
    out.overview = std::move(overview);
    return WavError::kNone;
}

std::string WelchCsv(const Overview& overview, std::int32_t rateHz, std::int32_t windowKind) {
    FrameSnapshot frame;
    frame.sampleRate = rateHz;
    frame.length = overview.bins * 2;
    frame.windowKind = windowKind;
    frame.values.reserve(overview.welch.size());
    for (double power : overview.welch) frame.values.push_back(10.0 * std::log(power));
    return FrameCsv(frame);
}

OverviewLayout OverviewLayoutOf(std::int32_t width, std::int32_t height) {
    width = std::max(width, kOverviewMinWidth);
    height = std::max(height, kOverviewMinHeight);
    OverviewLayout layout;
    layout.plot.x = kLeftMarginPx;
    layout.plot.y = kTopMarginPx;
    layout.plot.width = width - kLeftMarginPx - kKeyGapPx - kKeyWidthPx - kKeyLabelsPx;
    layout.plot.height = height - kTopMarginPx - kBottomMarginPx;
    layout.key.x = layout.plot.x + layout.plot.width + kKeyGapPx;
    layout.key.y = layout.plot.y;
    layout.key.width = kKeyWidthPx;
    layout.key.height = layout.plot.height;
    return layout;
}

std::string MinutesSecondsText(double seconds, int decimals) {
    decimals = std::clamp(decimals, 0, 3);
    const double scale = std::pow(10.0, decimals);
    const long long units = std::llround(std::max(seconds, 0.0) * scale);
    const long long whole = units / static_cast<long long>(scale);
    char text[48];
    if (decimals == 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld.%0*lld", whole / 60, whole % 60, decimals,
                      units % static_cast<long long>(scale));
    }
    return text;
}

std::vector<AxisTick> TimeTicks(const PixelRect& plot, double startSeconds, double seconds) {
    std::vector<AxisTick> ticks;
    if (plot.width <= 0 || !(seconds > 0.0)) {
        return ticks;
    }
    static constexpr double kSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,  0.2,  0.5,  1,    2,
                                        5,     10,    15,    30,   60,   120,  300,  600,  900,  1800, 3600};
    const double least = seconds * kTimeLabelSpacingPx / plot.width;
    double step = kSteps[std::size(kSteps) - 1];
    for (double s : kSteps) {
        if (s >= least) {
            step = s;
            break;
        }
    }
    const int decimals = step >= 1.0 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
    for (double t = std::ceil(startSeconds / step - 1e-9) * step; t <= startSeconds + seconds + 1e-9; t += step) {
        const auto x = static_cast<std::int32_t>(std::floor((t - startSeconds) / seconds * plot.width));
        ticks.push_back({plot.x + std::min(x, plot.width - 1), MinutesSecondsText(t, decimals)});
    }
    return ticks;
}

std::vector<AxisTick> FrequencyTicks(const PixelRect& plot, const OverviewLook& look, std::int32_t rateHz,
                                     std::int32_t bins) {
    std::vector<AxisTick> ticks;
    if (plot.height <= 0 || rateHz <= 0 || bins <= 0) {
        return ticks;
    }
    const double low = LowHz(look, rateHz, bins);
    const double high = HighHz(look, rateHz);
    if (!(high > low)) {
        return ticks;
    }
    std::vector<double> candidates;
    if (look.logAxis) {
        for (double decade = 1.0; decade <= high; decade *= 10.0) {
            for (double m : {1.0, 2.0, 5.0}) candidates.push_back(m * decade);
        }
    } else {
        const double least = (high - low) * kFrequencyLabelSpacingPx / plot.height;
        double step = std::pow(10.0, std::floor(std::log10(least)));
        for (double m : {1.0, 2.0, 5.0, 10.0}) {
            if (m * step >= least) {
                step *= m;
                break;
            }
        }
        for (double f = std::ceil(low / step) * step; f <= high; f += step) candidates.push_back(f);
    }
    std::int32_t lastY = plot.y + plot.height + static_cast<std::int32_t>(kFrequencyLabelSpacingPx);
    for (double f : candidates) {
        if (f < low || f > high) {
            continue;
        }
        const double t = HeightOf(look, low, high, f);
        const auto y = plot.y + plot.height - 1 - static_cast<std::int32_t>(std::floor(t * (plot.height - 1)));
        if (lastY - y < kFrequencyLabelSpacingPx / 2) {
            continue;
        }
        char text[kTickTextBytes];
        if (f < 1000.0) {
            std::snprintf(text, sizeof text, "%.0f", f);
        } else {
            std::snprintf(text, sizeof text, std::fmod(f, 1000.0) == 0.0 ? "%.0fk" : "%.1fk", f / 1000.0);
        }
        ticks.push_back({y, text});
        lastY = y;
    }
    return ticks;
}

std::vector<AxisTick> LevelTicks(const PixelRect& key, const OverviewLook& look) {
    std::vector<AxisTick> ticks;
    const double span = look.topDbfs - look.bottomDbfs;
    if (key.height <= 0 || !(span > 0.0)) {
        return ticks;
    }
    for (double db = std::ceil(look.bottomDbfs / kLevelStepDb) * kLevelStepDb; db <= look.topDbfs; db += kLevelStepDb) {
        const double t = (db - look.bottomDbfs) / span;
        const auto y = key.y + key.height - 1 - static_cast<std::int32_t>(std::floor(t * (key.height - 1)));
        char text[kTickTextBytes];
        std::snprintf(text, sizeof text, "%.0f dB", db);
        ticks.push_back({y, text});
    }
    return ticks;
}

void PaintOverviewPlot(const Overview& overview, std::int32_t rateHz, std::int32_t windowKind, const OverviewLook& look,
                       std::int32_t rows, std::uint32_t* pixels, std::ptrdiff_t stride) {
    const std::int32_t bins = overview.bins;
    if (rows <= 0 || bins <= 0 || rateHz <= 0 || pixels == nullptr) {
        return;
    }
    const double binHz = NyquistOf(rateHz) / bins;
    const double low = LowHz(look, rateHz, bins);
    const double high = std::max(HighHz(look, rateHz), low + binHz);
    // The bins each row covers: [first[r], end[r]), at least one; row 0 the top.
    std::vector<std::int32_t> first(static_cast<std::size_t>(rows));
    std::vector<std::int32_t> end(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int32_t fromBottom = rows - 1 - r;
        const double f0 = FrequencyAt(look, low, high, static_cast<double>(fromBottom) / rows);
        const double f1 = FrequencyAt(look, low, high, static_cast<double>(fromBottom + 1) / rows);
        const auto b0 = std::clamp(static_cast<std::int32_t>(std::floor(f0 / binHz + 0.5)), 0, bins - 1);
        const auto b1 = std::clamp(static_cast<std::int32_t>(std::floor(f1 / binHz + 0.5)), b0 + 1, bins);
        first[static_cast<std::size_t>(r)] = b0;
        end[static_cast<std::size_t>(r)] = b1;
    }
    // dBFS of a power: 10 log10(power) + offset.
    const double offsetDb = LevelDbfs(0.0, windowKind, bins * 2);
    const double stepsPerDb = kLevelColourSteps / std::max(look.topDbfs - look.bottomDbfs, 1e-9);
    for (std::int32_t c = 0; c < overview.columns; ++c) {
        const float* column = overview.peak.data() + static_cast<std::size_t>(c) * bins;
        for (std::int32_t r = 0; r < rows; ++r) {
            const float strongest = *std::max_element(column + first[static_cast<std::size_t>(r)],
                                                      column + end[static_cast<std::size_t>(r)]);
            const double db = 10.0 * std::log10(static_cast<double>(strongest)) + offsetDb;
            const double index = std::isfinite(db) ? (db - look.bottomDbfs) * stepsPerDb : 0.0;
            pixels[r * stride + c] = Pixel(LevelColour(index, look.colourMap));
        }
    }
}

void PaintOverviewPicture(const FileOverview& file, const OverviewLook& look, std::int32_t width,
                          std::int32_t height, std::vector<std::uint32_t>& pixels) {
    width = std::max(width, kOverviewMinWidth);
    height = std::max(height, kOverviewMinHeight);
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    const OverviewLayout layout = OverviewLayoutOf(width, height);
    const PixelRect& plot = layout.plot;
    if (file.overview.columns == plot.width) {
        PaintOverviewPlot(file.overview, file.format.rateHz, file.request.windowKind, look, plot.height,
                          pixels.data() + static_cast<std::size_t>(plot.y) * width + plot.x, width);
    }
    const PixelRect& key = layout.key;
    for (std::int32_t r = 0; r < key.height; ++r) {
        const double index = kLevelColourSteps * (key.height - 1 - r) / std::max(key.height - 1, 1);
        const std::uint32_t colour = Pixel(LevelColour(index, look.colourMap));
        std::fill_n(pixels.data() + static_cast<std::size_t>(key.y + r) * width + key.x, key.width, colour);
    }
    auto mark = [&](std::int32_t x, std::int32_t y) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[static_cast<std::size_t>(y) * width + x] = kTickColour;
    };
    const double rate = file.format.rateHz > 0 ? file.format.rateHz : 1;
    for (const AxisTick& t : TimeTicks(plot, file.request.firstSample / rate, file.request.sampleCount / rate)) {
        for (std::int32_t i = 0; i < kTickLengthPx; ++i) mark(t.position, plot.y + plot.height + i);
    }
    for (const AxisTick& t : FrequencyTicks(plot, look, file.format.rateHz, file.overview.bins)) {
        for (std::int32_t i = 1; i <= kTickLengthPx; ++i) mark(plot.x - i, t.position);
    }
    for (const AxisTick& t : LevelTicks(key, look)) {
        for (std::int32_t i = 0; i < kTickLengthPx; ++i) mark(key.x + key.width + i, t.position);
    }
}
