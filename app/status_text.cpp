#include "app/status_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/menu_tables.h"

namespace {

constexpr const char* kUnknownText = "?";

template <std::size_t N>
const char* Lookup(const char* const (&table)[N], long long index) {
    return index >= 0 && index < static_cast<long long>(N) ? table[index] : kUnknownText;
}

}  // namespace

const char* RunStateText(std::int32_t runState) {
    static const char* const kTexts[] = {"RUN", "STOP", "\x81\x9CREC.."};
    return Lookup(kTexts, runState);
}

const char* WindowKindText(std::int32_t windowKind) {
    static const char* const kTexts[] = {"none", "hanning", "hamming", "blackman"};
    return Lookup(kTexts, windowKind);
}

const char* GridText(std::uint8_t logGrid) {
    static const char* const kTexts[] = {"Linear", "Log"};
    return Lookup(kTexts, logGrid);
}

void FormatStatus(char (&out)[kStatusTextBytes], const AppSettings& s, bool playingFile) {
    const char* state = playingFile && s.runState == kRun ? "FILE" : RunStateText(s.runState);
    std::snprintf(out, sizeof out, " %s, %dHz, %dpt, %s, %s, %dmsec, %dfps", state,
                  static_cast<int>(s.sampleRate), static_cast<int>(s.fftLength), WindowKindText(s.windowKind),
                  GridText(s.logGrid), static_cast<int>(s.pauseMs), static_cast<int>(s.frameCount));
}

void FormatWidestStatus(char (&out)[kStatusTextBytes]) {
    constexpr std::int32_t kWidestFps = 9999;
    AppSettings s{};
    for (std::int32_t state : {kRun, kStop, kRec}) {
        if (std::strlen(RunStateText(state)) > std::strlen(RunStateText(s.runState))) s.runState = state;
    }
    for (std::int32_t kind : {kWindowNone, kWindowHanning, kWindowHamming, kWindowBlackman}) {
        if (std::strlen(WindowKindText(kind)) > std::strlen(WindowKindText(s.windowKind))) s.windowKind = kind;
    }
    s.logGrid = std::strlen(GridText(0)) >= std::strlen(GridText(1)) ? 0 : 1;
    const auto largest = [](const auto& items) {
        std::int32_t v = 0;
        for (const MenuItemValue& e : items) v = std::max(v, e.value);
        return v;
    };
    s.sampleRate = largest(kRateItems);
    s.fftLength = largest(kLengthItems);
    s.pauseMs = largest(kPauseItems);
    s.frameCount = kWidestFps;
    FormatStatus(out, s);
}
