// The status line: state, rate, data length, window, grid, pause and frames
// per second, the band view's width and weighting while it is shown and the
// spectrum's averaging when it is on, as one ANSI (Shift-JIS) line for the
// status label.
#pragma once

#include <cstddef>
#include <optional>

#include "analysis/octave_bands.h"
#include "analysis/spectrum_average.h"
#include "base/settings.h"
#include "capture/channel_choice.h"
#include "capture/wav_recorder.h"

// Size of the status line buffer, bytes, terminator included.
inline constexpr std::size_t kStatusTextBytes = 192;

// What the capture adds to the line. While RUN/REC has no fresh samples the
// frame-rate figure gives way to "no input" (the device delivers nothing) or
// "filling" (samples arrive, a frame of them is not complete yet); dropped
// blocks are counted after it. In RUN, a take that ended by itself says why
// last (", take ended: disk too slow" and the like).
enum class InputState { kFlowing, kFilling, kNoInput };
struct InputStatus {
    InputState state = InputState::kFlowing;
    std::uint32_t droppedBlocks = 0;
    bool playingFile = false;  // a WAV file plays in place of the device
    AverageChoice average;     // the spectrum's averaging in force
    TakeEnd takeEnd = TakeEnd::kNone;  // why the last take ended without a STOP
    bool calibrated = false;   // a CAL reference is in use: ", CAL" after the state
    int sourceChannels = 1;    // channels of the source that plays
    int channel = kChannelLeft;  // the one it plays (ChannelInUse), or kChannelMix
    std::optional<BandChoice> bands{};  // the band view's choice while it is shown
    int overviewPercent = -1;    // the file's overview being computed: percent done; -1 none
};

// Formats " %s, %dHz, %dpt, %s, %s, %dmsec, %dfps" from the settings into
// `out` (always terminated, never longer than the buffer). A state, window or
// grid value outside its table shows as "?". In RUN/REC "%dfps" becomes
// "no input" or "filling" as `input` says; with dropped blocks ", N dropped"
// follows. While a file plays in place of the live input, the state RUN reads
// "FILE". ", CAL" follows the state while a CAL reference is in use. The
// band view names its width and weighting after the dropped blocks,
// ", 1/3 oct A". In the spectrum views an averaging in force is named next:
// ", avg fast" or ", avg slow" for the menu's time constants, ", avg 0.5s"
// for another, ", avg 16" for the mean of 16 frames, ", max hold". A source
// of more than one channel names the one that plays last: ", left",
// ", right", ", mix", ", ch 3". While a file's overview is being computed
// ", overview 42%" comes last.
void FormatStatus(char (&out)[kStatusTextBytes], const AppSettings& s, const InputStatus& input = {});

// The widest line the status can show, to size its label by: the longest
// text of each table, the highest rate, length and pause of the menus, the
// longer of a four-digit frame rate and "no input", a five-digit count of
// dropped blocks, the band view at 1/24 octave, the longest averaging and the
// longest reason a take ended.
void FormatWidestStatus(char (&out)[kStatusTextBytes]);

// Texts of the tables, "?" for values outside them. The REC text starts with
// the black circle in the Japanese ANSI code page (bytes 0x81 0x9C).
const char* RunStateText(std::int32_t runState);
const char* WindowKindText(std::int32_t windowKind);
const char* GridText(std::uint8_t logGrid);
