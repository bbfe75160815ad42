// The status line: state, rate, data length, window, grid, pause and frames
// per second, as one ANSI (Shift-JIS) line for the status label.
#pragma once

#include <cstddef>

#include "base/settings.h"

// Size of the status line buffer, bytes, terminator included.
inline constexpr std::size_t kStatusTextBytes = 128;

// Formats " %s, %dHz, %dpt, %s, %s, %dmsec, %dfps" from the settings into
// `out` (always terminated, never longer than the buffer). A state, window or
// grid value outside its table shows as "?". While a file plays in place of
// the live input (`playingFile`), the state RUN reads "FILE".
void FormatStatus(char (&out)[kStatusTextBytes], const AppSettings& s, bool playingFile = false);

// The widest line the status can show, to size its label by: the longest
// text of each table, the highest rate, length and pause of the menus and a
// four-digit frame rate.
void FormatWidestStatus(char (&out)[kStatusTextBytes]);

// Texts of the tables, "?" for values outside them. The REC text starts with
// the black circle in the Japanese ANSI code page (bytes 0x81 0x9C).
const char* RunStateText(std::int32_t runState);
const char* WindowKindText(std::int32_t windowKind);
const char* GridText(std::uint8_t logGrid);
