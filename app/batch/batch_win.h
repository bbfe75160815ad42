// A batch run: the jobs of the command line carried out without a window.
// Messages go to the standard error the program was given or, when it has
// none (started from a console as a windowed program is), to the console of
// the process that started it. Neither "param.bin" nor "tavrin.ini" is read
// or written.
//
// Exit codes: 0 done; 1 the input could not be read or an output not
// written; 2 the command line was wrong.
//
// Threads: the program's main thread, before any window exists.
#pragma once

#include <string>
#include <vector>

#include "app/batch/command_line.h"

inline constexpr int kBatchDone = 0;
inline constexpr int kBatchFailed = 1;
inline constexpr int kBatchUsage = 2;

// The process's arguments after the program's name, as the shell split them.
std::vector<std::wstring> ProgramArguments();

// Writes `text` (and a line end) to the standard error or the parent's console.
void WriteBatchMessage(const std::wstring& text);

// Runs a kBatch or reports a kError command line; returns the exit code.
int RunBatch(const CommandLine& line);
