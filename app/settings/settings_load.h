// Turning the bytes of "param.bin" into the settings in force, and keeping
// them safe to use: the rules of the settings file without the file calls.
//
// Runs on the user-interface thread during start-up, before the worker
// threads exist.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/settings.h"

// The screens the window may be placed on, pixels. The primary screen starts
// at (0, 0); the virtual screen is the bounding box of all monitors.
struct ScreenMetrics {
    std::int32_t primaryWidth;
    std::int32_t primaryHeight;
    std::int32_t virtualWidth;
    std::int32_t virtualHeight;
};

// Reads a file image over the record and decides what is in force. `bytes` is
// null when the file could not be opened; `count` is what was read. A full
// image is always copied over the record (so that a wrong magic still passes
// `pitchOn`, `upperHeight` and the padding through), but only a full image
// with the magic is accepted; anything else installs the first-start
// defaults. An accepted record starts in RUN with no frames counted and its
// unsafe values replaced. Either way the window is then kept on the primary
// screen. Returns true when the file's record was accepted.
bool LoadSettingsImage(AppSettings& s, const void* bytes, std::size_t count, const ScreenMetrics& screen);

// Replaces the values of an accepted record that would be unsafe to use or
// leave the display where the user cannot bring it back (lengths, rates,
// pauses, fractions (the selection's top and bottom edges within 1,000
// view heights), spans outside [0.01, 100,000], offsets beyond
// +-kMaxOffsetPx, an impossible view height, window size) by their defaults;
// values merely outside the menu lists are kept. The split ratio only needs
// to be a fraction here: the layout moves a divider that would hide a view.
// Returns the number of fields replaced.
int SanitizeSettings(AppSettings& s, const ScreenMetrics& screen);
