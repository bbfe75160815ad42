#include "display/frame_csv.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <iterator>

#include "analysis/peak_estimate.h"
#include "base/settings.h"

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr int kCellBytes = 64;

// One cell: the number with four decimals, or nothing for a value without digits.
std::string Cell(double value, const char* format = "%.4f") {
    if (!std::isfinite(value)) {
        return std::string();
    }
    char text[kCellBytes];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void AppendRow(std::string& out, std::initializer_list<std::string> cells) {
    bool first = true;
    for (const std::string& cell : cells) {
        if (!first) {
            out += ',';
        }
        out += cell;
        first = false;
    }
    out += "\r\n";
}

// A '#' line: a name and its value, padded to the table's width.
void AppendNote(std::string& out, const char* name, const std::string& value, int columns) {
    out += "# ";
    out += name;
    out += ',';
    out += value;
    out.append(static_cast<std::size_t>(columns - 2), ',');
    out += "\r\n";
}

std::string BandCsv(const FrameSnapshot& frame) {
    const bool calibrated = std::isfinite(frame.splOffsetDb);
    const int columns = calibrated ? 5 : 4;
    std::string out;
    AppendNote(out, "rate_hz", std::to_string(frame.sampleRate), columns);
    AppendNote(out, "length_points", std::to_string(frame.length), columns);
    AppendNote(out, "window", WindowName(frame.windowKind), columns);
    AppendNote(out, "bands_per_octave", std::to_string(frame.bandChoice.fraction), columns);
    constexpr const char* kWeightingNames[] = {"Z", "A", "C"};
    const auto w = static_cast<std::size_t>(frame.bandChoice.weighting);
    AppendNote(out, "weighting", w < std::size(kWeightingNames) ? kWeightingNames[w] : "?", columns);
    out += calibrated ? "centre_hz,lower_edge_hz,upper_edge_hz,level_dbfs,level_db_spl\r\n"
                      : "centre_hz,lower_edge_hz,upper_edge_hz,level_dbfs\r\n";
    for (std::size_t i = 0; i < frame.bands.size() && i < frame.bandLevels.size(); ++i) {
        const Band& band = frame.bands[i];
        std::string level = Cell(frame.bandLevels[i]);
        std::string spl = Cell(frame.bandLevels[i] + frame.splOffsetDb);
        if (!band.resolved) {
            level = spl = band.cutOff ? "past the top" : "too narrow";
        }
        if (calibrated) {
            AppendRow(out, {Cell(band.centreHz), Cell(band.lowerHz), Cell(band.upperHz), level, spl});
        } else {
            AppendRow(out, {Cell(band.centreHz), Cell(band.lowerHz), Cell(band.upperHz), level});
        }
    }
    return out;
}

}  // namespace

const char* WindowName(std::int32_t kind) {
    switch (kind) {
    case kWindowHanning:
        return "Hanning";
    case kWindowHamming:
        return "Hamming";
    case kWindowBlackman:
        return "Blackman";
    default:
        return "none";
    }
}

std::string FrameCsv(const FrameSnapshot& frame) {
    if (!frame.bands.empty() && !frame.wave) return BandCsv(frame);
    const int columns = frame.wave ? 2 : 3;
    std::string out;
    AppendNote(out, "rate_hz", std::to_string(frame.sampleRate), columns);
    AppendNote(out, "length_points", std::to_string(frame.length), columns);
    // The waveform shows the samples as they came, before any window.
    AppendNote(out, "window", frame.wave ? "none" : WindowName(frame.windowKind), columns);
    if (frame.wave) {
        out += "time_ms,sample_value\r\n";
    } else if (frame.cepstrum) {
        out += "quefrency_ms,frequency_hz,cepstrum\r\n";
    } else {
        out += "frequency_hz,level_20ln_magnitude,level_dbfs\r\n";
    }
    if (frame.sampleRate <= 0 || frame.length <= 0) {
        return out;
    }
    out.reserve(out.size() + frame.values.size() * 40);
    const double rate = frame.sampleRate;
    for (std::size_t k = 0; k < frame.values.size(); ++k) {
        const double v = frame.values[k];
        const double ms = static_cast<double>(k) * kMsPerSecond / rate;
        if (frame.wave) {
            AppendRow(out, {Cell(ms), Cell(v, "%.0f")});
        } else if (frame.cepstrum) {
            // Lag 0 has no period, so no frequency.
            AppendRow(out, {Cell(ms), k == 0 ? std::string() : Cell(rate / static_cast<double>(k)), Cell(v)});
        } else {
            const double hz = static_cast<double>(k) * rate / frame.length;
            AppendRow(out, {Cell(hz), Cell(v), Cell(LevelDbfs(v, frame.windowKind, frame.length))});
        }
    }
    return out;
}
