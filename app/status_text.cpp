#include "app/status_text.h"

#include <cstdio>

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
