#include "display/frame_csv.h"

#include <cstdio>
#include <limits>

#include "analysis/peak_estimate.h"
#include "base/settings.h"

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr int kRowBytes = 128;

void AppendRow(std::string& out, double a, double b, double c) {
    char row[kRowBytes];
    std::snprintf(row, sizeof row, "%.4f,%.4f,%.4f\r\n", a, b, c);
    out += row;
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
    std::string out;
    char header[kRowBytes];
    std::snprintf(header, sizeof header, "%s,rate=%d,length=%d,window=%s\r\n",
                  frame.cepstrum ? "quefrency_ms,frequency_hz,value" : "frequency_hz,value,dbfs",
                  static_cast<int>(frame.sampleRate), static_cast<int>(frame.length), WindowName(frame.windowKind));
    out += header;
    if (frame.sampleRate <= 0 || frame.length <= 0) {
        return out;
    }
    out.reserve(out.size() + frame.values.size() * 40);
    for (std::size_t k = 0; k < frame.values.size(); ++k) {
        const double v = frame.values[k];
        if (frame.cepstrum) {
            const double hz = k == 0 ? std::numeric_limits<double>::infinity()
                                     : static_cast<double>(frame.sampleRate) / static_cast<double>(k);
            AppendRow(out, k * kMsPerSecond / frame.sampleRate, hz, v);
        } else {
            const double hz = static_cast<double>(k) * frame.sampleRate / frame.length;
            AppendRow(out, hz, v, LevelDbfs(v, frame.windowKind, frame.length));
        }
    }
    return out;
}
