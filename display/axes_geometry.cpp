#include "display/axes_geometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The switch point and divisor of the "k" texts, and the amount added before
// dividing (so 1,450 prints as 2k and 1,449 as 1k).
constexpr double kKiloSwitch = 1000.0;
constexpr double kKiloRounding = 50.0;
constexpr double kMillisecondsPerSecond = 1000.0;

// Table positions of the decades 10 Hz, 100 Hz, 1 kHz and 10 kHz: only they
// carry labels on the logarithmic axis.
constexpr int kDecadeEntries[] = {9, 18, 27, 36};

std::array<double, kLogGridEntries> MakeLogGridFrequencies() {
    std::array<double, kLogGridEntries> table{};
    int n = 0;
    for (double decade = 1.0; decade <= 10000.0; decade *= 10.0) {
        for (int step = (n == 0 ? 1 : 2); step <= 10; ++step) {
            table[n++] = step * decade;
        }
    }
    table[n++] = 200000.0;
    assert(n == kLogGridEntries);
    return table;
}

// snprintf into a fixed buffer, with non-finite values printed as
// kNotFiniteText so that every platform's library prints the same.
void PrintBounded(char (&text)[kTickTextBytes], const char* format, double value) {
    if (!std::isfinite(value)) {
        std::snprintf(text, kTickTextBytes, "%s", kNotFiniteText);
        return;
    }
    std::snprintf(text, kTickTextBytes, format, value);
}

// "%.0f" of a value, or "%.0fk" of its thousands; `wrap` puts the text in
// parentheses.
void KiloText(double value, bool wrap, char (&text)[kTickTextBytes]) {
    if (value < kKiloSwitch) {
        PrintBounded(text, wrap ? "(%.0f)" : "%.0f", value);
    } else {
        PrintBounded(text, wrap ? "(%.0fk)" : "%.0fk", (value + kKiloRounding) / kKiloSwitch);
    }
}

void MakeTexts(double frequencyHz, std::int32_t fs, std::int32_t bins, bool quefrency, TickLabel& label) {
    if (quefrency) {
        QuefrencyTexts(frequencyHz, fs, bins, label.rowA, label.rowB);
    } else {
        FrequencyText(frequencyHz, label.rowA);
        label.rowB[0] = '\0';
    }
}

}  // namespace

const std::array<double, kLogGridEntries> kLogGridFrequenciesHz = MakeLogGridFrequencies();

AxisScale MakeAxisScale(std::int32_t fs, std::int32_t bins, std::int32_t width) {
    assert(fs > 0 && bins > 0 && width > 0);
    AxisScale s{};
    s.nyquistHz = static_cast<double>(fs / 2);
    s.stepXPx = static_cast<double>(width / kLinearGridLines);
    s.stepHz = fs * 0.5 / kLinearGridLines;
    s.decades = std::log10(s.nyquistHz);
    s.pxPerDecade = width / s.decades;
    s.binHz = s.nyquistHz / bins;
    s.logOrigin = std::log10(s.binHz) * s.pxPerDecade;
    s.logStretch = (s.pxPerDecade * s.decades) / (s.pxPerDecade * s.decades - s.logOrigin);
    return s;
}

std::int32_t LogAxisX(const AxisScale& scale, double frequencyHz) {
    return truncToInt((std::log10(frequencyHz) * scale.pxPerDecade - scale.logOrigin) * scale.logStretch);
}

int VerticalGridLines(const AxisScale& scale, bool logAxis, std::array<std::int32_t, kLogGridEntries>& xs) {
    if (logAxis) {
        for (int i = 0; i < kLogGridEntries; ++i) {
            xs[i] = LogAxisX(scale, kLogGridFrequenciesHz[i]);
        }
        return kLogGridEntries;
    }
    for (int i = 0; i < kLinearGridLines; ++i) {
        xs[i] = truncToInt(i * scale.stepXPx);
    }
    return kLinearGridLines;
}

std::array<std::int32_t, kHorizontalGridLines> HorizontalGridLines(std::int32_t height) {
    const double stepY = static_cast<double>(height / kHorizontalGridLines);
    std::array<std::int32_t, kHorizontalGridLines> ys{};
    for (int i = 0; i < kHorizontalGridLines; ++i) {
        ys[i] = truncToInt(i * stepY);
    }
    return ys;
}

void FrequencyText(double frequencyHz, char (&text)[kTickTextBytes]) { KiloText(frequencyHz, false, text); }

void QuefrencyTexts(double frequencyHz, std::int32_t fs, std::int32_t bins, char (&rowA)[kTickTextBytes],
                    char (&rowB)[kTickTextBytes]) {
    const double seconds = frequencyHz * (2.0 * bins / fs) * (1.0 / fs);
    PrintBounded(rowA, "%.1fm", kMillisecondsPerSecond * seconds);
    KiloText(1.0 / seconds, true, rowB);
}

void BinWidthText(double binHz, char (&text)[kTickTextBytes]) { PrintBounded(text, "%.0f", binHz); }

int TickLabels(const AxisScale& scale, std::int32_t fs, std::int32_t bins, bool logAxis, bool quefrency,
               std::array<TickLabel, kLinearTickLabels>& labels) {
    int n = 0;
    if (logAxis) {
        for (int entry : kDecadeEntries) {
            const std::int32_t x = LogAxisX(scale, kLogGridFrequenciesHz[entry]);
            if (x < 1) {
                continue;
            }
            TickLabel& label = labels[n++];
            label.x = x;
            label.centred = true;
            MakeTexts(kLogGridFrequenciesHz[entry], fs, bins, quefrency, label);
        }
        return n;
    }
    for (int k = 0; k < kLinearTickLabels; ++k) {
        TickLabel& label = labels[n++];
        label.x = truncToInt(k * scale.stepXPx);
        label.centred = k != 0;
        MakeTexts(k * scale.stepHz, fs, bins, quefrency, label);
    }
    return n;
}

std::int32_t LabelLeft(const TickLabel& label, std::int32_t textWidth) {
    return label.centred ? label.x - textWidth / 2 : kFirstLabelLeftPx;
}

int PlaceAxisLabels(const AxisScale& scale, std::int32_t fs, std::int32_t bins, bool logAxis, bool quefrency,
                    std::int32_t width, const TextWidthFn& textWidth,
                    std::array<PlacedLabel, kMostPlacedLabels>& placed) {
    int n = 0;
    // Right end of the last label drawn; the first may touch the left edge.
    std::int32_t taken = -kLabelGapPx;
    const auto place = [&](std::int32_t left, std::int32_t wide, const char* rowA, const char* rowB) {
        left = std::min(left, width - wide);
        left = std::max(left, std::int32_t{0});
        if (wide > width || left < taken + kLabelGapPx) {
            return;
        }
        PlacedLabel& p = placed[n++];
        p.left = left;
        p.right = left + wide;
        std::snprintf(p.rowA, kTickTextBytes, "%s", rowA);
        std::snprintf(p.rowB, kTickTextBytes, "%s", rowB);
        taken = p.right;
    };
    if (logAxis && !quefrency) {
        char text[kTickTextBytes];
        BinWidthText(scale.binHz, text);
        place(0, textWidth(text), text, "");
    }
    std::array<TickLabel, kLinearTickLabels> labels{};
    const int count = TickLabels(scale, fs, bins, logAxis, quefrency, labels);
    for (int i = 0; i < count; ++i) {
        const TickLabel& label = labels[i];
        const std::int32_t wideA = textWidth(label.rowA);
        const std::int32_t wide = std::max(wideA, textWidth(label.rowB));
        place(LabelLeft(label, wideA), wide, label.rowA, label.rowB);
    }
    return n;
}

int PlaceLevelLabels(std::int32_t width, std::int32_t height, std::int32_t textHeight, const LevelAtRowFn& levelAtRow,
                     const TextWidthFn& textWidth, std::array<LevelLabel, kHorizontalGridLines>& placed,
                     double splOffsetDb) {
    int n = 0;
    // The frequency labels' rows, which the level labels keep clear of.
    const std::int32_t rowsTop = RowAY(height);
    const std::int32_t rowsBottom = RowBY(height) + textHeight;
    std::int32_t taken = 0;  // bottom of the last label drawn
    for (const std::int32_t line : HorizontalGridLines(height)) {
        const double level = std::round(levelAtRow(line));
        const std::int32_t top = line + 1;
        const std::int32_t bottom = top + textHeight;
        if (!std::isfinite(level) || bottom > height || top < taken || (bottom > rowsTop && top < rowsBottom)) {
            continue;
        }
        LevelLabel& label = placed[n];
        // -0.5 rounds to -0: print it as 0.
        if (std::isfinite(splOffsetDb)) {
            const double spl = std::round(level + splOffsetDb);
            std::snprintf(label.text, kTickTextBytes, n == 0 ? "%.0f dBFS %.0f SPL" : "%.0f dB %.0f SPL",
                          level == 0.0 ? 0.0 : level, spl == 0.0 ? 0.0 : spl);
        } else {
            std::snprintf(label.text, kTickTextBytes, n == 0 ? "%.0f dBFS" : "%.0f dB", level == 0.0 ? 0.0 : level);
        }
        const std::int32_t right = kFirstLabelLeftPx + textWidth(label.text);
        if (right > width) {
            continue;
        }
        label.left = kFirstLabelLeftPx;
        label.top = top;
        label.right = right;
        taken = bottom;
        ++n;
    }
    return n;
}
