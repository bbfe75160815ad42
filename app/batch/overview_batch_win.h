// The overview job of a batch run: one WAV file's spectrogram as a PNG
// picture (display/overview_picture.h, its labels drawn with GDI on a
// bitmap of its own, encoded by app/files/export_win.h) and its averaged
// spectrum as CSV. Both are computed before anything is written, so a file
// that cannot be read leaves no output; each output is written whole or not
// at all.
//
// Threads: the program's main thread (the overview's workers come and go
// inside); no window exists.
#pragma once

#include <string>

#include "app/batch/command_line.h"

// Writes the outputs named (an empty path is skipped). True when done;
// false with `message` saying what went wrong.
bool RunOverviewJob(const BatchJob& job, const std::wstring& input, const std::wstring& pngPath,
                    const std::wstring& csvPath, std::wstring& message);
