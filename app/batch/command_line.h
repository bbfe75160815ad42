// The program's command line: either the window (no arguments, or the WAV
// file to play in it) or a batch job that opens no window, named by options
// that begin with "--":
//
//   tavrin.exe [file.wav]                 the window, playing the file if named
//   tavrin.exe --pitch out.csv in.wav     the pitch track of in.wav into out.csv
//
// Every option that takes a value takes the next argument; the one argument
// that is no option and no option's value is the input file. Messages are
// plain English for the console.
//
// Pure; any thread.
#pragma once

#include <string>
#include <vector>

// What a batch run makes of its input.
struct BatchJob {
    std::wstring input;     // the WAV file read
    std::wstring pitchCsv;  // --pitch: the pitch track's CSV file; empty when not asked for
};

struct CommandLine {
    enum class Kind { kWindow, kBatch, kError };
    Kind kind = Kind::kWindow;
    BatchJob job;          // kBatch
    std::wstring message;  // kError: what is wrong, and the usage
};

// `args`: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);
