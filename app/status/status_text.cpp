#include "app/status/status_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "app/commands/menu_tables.h"

namespace {

constexpr const char* kUnknownText = "?";

template <std::size_t N>
const char* Lookup(const char* const (&table)[N], long long index) {
    return index >= 0 && index < static_cast<long long>(N) ? table[index] : kUnknownText;
}

template <std::size_t N>
void FormatAverage(char (&out)[N], const AverageChoice& a) {
    switch (a.mode) {
        case AverageMode::kExponential:
            if (a.seconds == kAverageFastSeconds) {
                std::snprintf(out, N, ", avg fast");
            } else if (a.seconds == kAverageSlowSeconds) {
                std::snprintf(out, N, ", avg slow");
            } else {
                std::snprintf(out, N, ", avg %.3gs", a.seconds);
            }
            break;
        case AverageMode::kLinear:
            std::snprintf(out, N, ", avg %d", a.frames);
            break;
        case AverageMode::kMaxHold:
            std::snprintf(out, N, ", max hold");
            break;
        default:
            break;
    }
}

template <std::size_t N>
void FormatChannel(char (&out)[N], const InputStatus& input) {
    if (input.sourceChannels <= 1) return;
    switch (input.channel) {
        case kChannelMix: std::snprintf(out, N, ", mix"); break;
        case kChannelLeft: std::snprintf(out, N, ", left"); break;
        case kChannelRight: std::snprintf(out, N, ", right"); break;
        default: std::snprintf(out, N, ", ch %d", input.channel); break;
    }
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

const char* TakeEndText(TakeEnd end) {
    switch (end) {
    case TakeEnd::kNone:
        return "";
    case TakeEnd::kWriteFailed:
        return ", take ended: write failed";
    case TakeEnd::kQueueFull:
        return ", take ended: disk too slow";
    case TakeEnd::kSizeLimit:
        return ", take ended: 4 GiB file";
    }
    return "";
}

void FormatStatus(char (&out)[kStatusTextBytes], const AppSettings& s, const InputStatus& input) {
    const bool live = s.runState == kRun || s.runState == kRec;
    const char* state = input.playingFile && s.runState == kRun ? "FILE" : RunStateText(s.runState);
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
    char bands[24] = "";
    if (s.cepstrumMode == 0 && input.bands) {
        constexpr char kWeightingLetters[] = {'Z', 'A', 'C'};
        const auto w = static_cast<std::size_t>(input.bands->weighting);
        std::snprintf(bands, sizeof bands, ", 1/%d oct %c", input.bands->fraction,
                      w < std::size(kWeightingLetters) ? kWeightingLetters[w] : '?');
    }
    char average[24] = "";
    if (s.cepstrumMode == 0) FormatAverage(average, input.average);
    char channel[16] = "";
    FormatChannel(channel, input);
    const char* ended = s.runState == kRun && !input.playingFile ? TakeEndText(input.takeEnd) : "";
    char overview[24] = "";
    if (input.playingFile && input.overviewPercent >= 0) {
        std::snprintf(overview, sizeof overview, ", overview %d%%", std::min(input.overviewPercent, 100));
    }
    std::snprintf(out, sizeof out, " %s%s, %dHz, %dpt, %s, %s, %dmsec, %s%s%s%s%s%s%s", state,
                  input.calibrated ? ", CAL" : "", static_cast<int>(s.sampleRate), static_cast<int>(s.fftLength),
                  WindowKindText(s.windowKind), GridText(s.logGrid), static_cast<int>(s.pauseMs), rate, dropped,
                  bands, average, channel, ended, overview);
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
    constexpr std::uint32_t kWidestDropped = 99999;
    out[0] = '\0';
    // The longest averaging text, a time constant of the most digits, beside
    // the widest band view's, the highest channel and, while a file plays,
    // its overview's progress.
    const AverageChoice widestAverage{AverageMode::kExponential, 0.0125, kAverageMaxFrames};
    for (std::int32_t state : {static_cast<std::int32_t>(kRun), s.runState}) {
        AppSettings each = s;
        each.runState = state;
        for (InputState input : {InputState::kFlowing, InputState::kNoInput}) {
            for (TakeEnd end : {TakeEnd::kWriteFailed, TakeEnd::kQueueFull, TakeEnd::kSizeLimit}) {
                char line[kStatusTextBytes];
                for (bool playing : {false, true}) {
                    InputStatus status{input, kWidestDropped, playing, widestAverage, end, true};
                    status.bands = BandChoice{kBandFractions[kBandFractionCount - 1], BandWeighting::kZ};
                    status.sourceChannels = kMaxChosenChannel;
                    status.channel = kChannelRight;
                    status.overviewPercent = playing ? 100 : -1;
                    FormatStatus(line, each, status);
                    if (std::strlen(line) > std::strlen(out)) std::memcpy(out, line, sizeof out);
                }
            }
        }
    }
}
