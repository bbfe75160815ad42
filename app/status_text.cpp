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

void FormatStatus(char (&out)[kStatusTextBytes], const AppSettings& s, const InputStatus& input) {
    const bool live = s.runState == kRun || s.runState == kRec;
    char rate[24];
    if (live && input.state == InputState::kNoInput) {
        std::snprintf(rate, sizeof rate, "no input");
    } else if (live && input.state == InputState::kFilling) {
        std::snprintf(rate, sizeof rate, "filling");
    } else {
        std::snprintf(rate, sizeof rate, "%dfps", static_cast<int>(s.frameCount));
    }
    char dropped[24] = "";
    if (input.droppedBlocks > 0) {
        std::snprintf(dropped, sizeof dropped, ", %u dropped", static_cast<unsigned>(input.droppedBlocks));
    }
    std::snprintf(out, sizeof out, " %s, %dHz, %dpt, %s, %s, %dmsec, %s%s", RunStateText(s.runState),
                  static_cast<int>(s.sampleRate), static_cast<int>(s.fftLength), WindowKindText(s.windowKind),
                  GridText(s.logGrid), static_cast<int>(s.pauseMs), rate, dropped);
}
