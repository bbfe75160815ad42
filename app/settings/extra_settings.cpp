#include "app/settings/extra_settings.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kInputDeviceKey = "input_device";
constexpr std::string_view kColourMapKey = "colour_map";
constexpr std::string_view kAverageKey = "average";
constexpr std::string_view kAverageSecondsKey = "average_seconds";
constexpr std::string_view kAverageFramesKey = "average_frames";
constexpr std::string_view kInputPathKey = "input_path";
constexpr std::string_view kEndpointIdKey = "endpoint_id";
constexpr std::string_view kChannelKey = "channel";
constexpr std::string_view kRecordFormatKey = "record_format";
constexpr std::string_view kBandViewKey = "band_view";
constexpr std::string_view kBandFractionKey = "band_fraction";
constexpr std::string_view kWeightingKey = "weighting";
constexpr std::string_view kCalibrationKey = "calibration";

// Values of the named keys, in the order of their enumerations.
constexpr std::string_view kColourMapNames[] = {"rainbow", "magma", "grey"};
constexpr std::string_view kAverageNames[] = {"off", "exponential", "linear", "max"};
constexpr std::string_view kInputPathNames[] = {"wave", "endpoint"};
// Channels by name, from kChannelMix on; the others by number.
constexpr std::string_view kChannelNames[] = {"mix", "left", "right"};
constexpr std::string_view kRecordFormatNames[] = {"16", "24", "float"};
static_assert(std::size(kRecordFormatNames) == kRecordFormatCount);
constexpr std::string_view kOnOffNames[] = {"off", "on"};
constexpr std::string_view kWeightingNames[] = {"Z", "A", "C"};

template <typename Enum, std::size_t N>
void ReadName(std::string_view value, const std::string_view (&names)[N], Enum& out) {
    for (std::size_t i = 0; i < N; ++i) {
        if (value == names[i]) out = static_cast<Enum>(i);
    }
}

// A number the whole value spells, within lo ... hi; otherwise `out` stays.
template <typename Number>
void ReadNumber(std::string_view value, Number lo, Number hi, Number& out) {
    Number n{};
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (error == std::errc{} && end == value.data() + value.size() && n >= lo && n <= hi) out = n;
}

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Length of the UTF-8 sequence at the start of `s`, 0 when it is not a
// well-formed one (overlong forms, surrogates and values past U+10FFFF included).
std::size_t SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) return 0;
        value = (value << 6) | (byte(i) & 0x3Fu);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

bool IsCleanText(std::string_view s) {
    while (!s.empty()) {
        const auto c = static_cast<std::uint8_t>(s[0]);
        if (c < 0x20 || c == 0x7F) return false;
        const std::size_t length = SequenceLength(s);
        if (length == 0) return false;
        s.remove_prefix(length);
    }
    return true;
}

// "OFFSET NAME": a finite offset within range and a storable name.
void ReadCalibration(std::string_view value, ExtraSettings& extra) {
    const std::size_t space = value.find(' ');
    if (space == std::string_view::npos) return;
    double offset = kMaxCalibrationOffsetDb + 1.0;
    ReadNumber(value.substr(0, space), -kMaxCalibrationOffsetDb, kMaxCalibrationOffsetDb, offset);
    const std::string name = StorableDeviceName(value.substr(space + 1));
    if (offset > kMaxCalibrationOffsetDb || name.empty()) return;
    if (extra.calibrations.size() >= kMaxCalibrations && !extra.calibrations.contains(name)) return;
    extra.calibrations[name] = offset;
}

void ReadLine(std::string_view line, ExtraSettings& extra) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kExtraSettingsMaxLineBytes) return;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty() || key[0] == '#' || key[0] == ';') return;
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == kInputDeviceKey) {
        extra.inputDevice = StorableDeviceName(value);
    } else if (key == kColourMapKey) {
        ReadName(value, kColourMapNames, extra.colourMap);
    } else if (key == kAverageKey) {
        ReadName(value, kAverageNames, extra.average.mode);
    } else if (key == kAverageSecondsKey) {
        ReadNumber(value, kAverageMinSeconds, kAverageMaxSeconds, extra.average.seconds);
    } else if (key == kAverageFramesKey) {
        ReadNumber(value, 1, kAverageMaxFrames, extra.average.frames);
    } else if (key == kInputPathKey) {
        ReadName(value, kInputPathNames, extra.endpointInput);
    } else if (key == kEndpointIdKey) {
        extra.endpointId = StorableEndpointId(value);
    } else if (key == kChannelKey) {
        ReadName(value, kChannelNames, extra.channel);
        ReadNumber(value, kChannelLeft, kMaxChosenChannel, extra.channel);
    } else if (key == kRecordFormatKey) {
        ReadName(value, kRecordFormatNames, extra.recordFormat);
    } else if (key == kBandViewKey) {
        ReadName(value, kOnOffNames, extra.bandView);
    } else if (key == kBandFractionKey) {
        int fraction = 0;
        ReadNumber(value, 1, kBandFractions[kBandFractionCount - 1], fraction);
        for (int b : kBandFractions) {
            if (fraction == b) extra.bands.fraction = b;
        }
    } else if (key == kWeightingKey) {
        ReadName(value, kWeightingNames, extra.bands.weighting);
    } else if (key == kCalibrationKey) {
        ReadCalibration(value, extra);
    }
}

}  // namespace

std::string StorableDeviceName(std::string_view name) {
    const std::string_view trimmed = Trim(name);
    if (trimmed.size() > kStoredDeviceNameMaxBytes || !IsCleanText(trimmed)) return {};
    return std::string(trimmed);
}

std::string StorableEndpointId(std::string_view id) {
    const std::string_view trimmed = Trim(id);
    if (trimmed.size() > kStoredEndpointIdMaxBytes || !IsCleanText(trimmed)) return {};
    return std::string(trimmed);
}

ExtraSettings ParseExtraSettings(std::string_view text) {
    if (text.size() > kExtraSettingsMaxBytes) {
        text = text.substr(0, kExtraSettingsMaxBytes);
        const std::size_t lastEnd = text.rfind('\n');
        text = lastEnd == std::string_view::npos ? std::string_view{} : text.substr(0, lastEnd + 1);
    }
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    ExtraSettings extra;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        ReadLine(text.substr(0, end), extra);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return extra;
}

std::string SerializeExtraSettings(const ExtraSettings& extra) {
    std::string text;
    const auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append("\r\n");
    };
    line(kInputDeviceKey, StorableDeviceName(extra.inputDevice));
    const auto nameOf = [](const auto& names, auto value) {
        const auto i = static_cast<std::size_t>(value);
        return i < std::size(names) ? names[i] : names[0];
    };
    line(kColourMapKey, nameOf(kColourMapNames, extra.colourMap));
    line(kAverageKey, nameOf(kAverageNames, extra.average.mode));
    char number[32];
    const auto spell = [&number](auto value) {
        const auto result = std::to_chars(number, number + sizeof number, value);
        return std::string_view(number, static_cast<std::size_t>(result.ptr - number));
    };
    line(kAverageSecondsKey, spell(extra.average.seconds));
    line(kAverageFramesKey, spell(extra.average.frames));
    line(kInputPathKey, kInputPathNames[extra.endpointInput ? 1 : 0]);
    line(kEndpointIdKey, StorableEndpointId(extra.endpointId));
    const bool named = extra.channel >= kChannelMix && extra.channel < static_cast<int>(std::size(kChannelNames));
    const bool numbered = extra.channel > kChannelRight && extra.channel <= kMaxChosenChannel;
    line(kChannelKey, named ? kChannelNames[extra.channel] : numbered ? spell(extra.channel) : kChannelNames[kChannelLeft]);
    line(kRecordFormatKey, nameOf(kRecordFormatNames, extra.recordFormat));
    line(kBandViewKey, nameOf(kOnOffNames, extra.bandView));
    line(kBandFractionKey, spell(extra.bands.fraction));
    line(kWeightingKey, nameOf(kWeightingNames, extra.bands.weighting));
    for (const auto& [name, offset] : extra.calibrations) {
        const std::string storable = StorableDeviceName(name);
        if (storable.empty() || !(std::fabs(offset) <= kMaxCalibrationOffsetDb)) continue;
        std::string value(spell(offset));
        line(kCalibrationKey, value.append(" ").append(storable));
    }
    return text;
}
