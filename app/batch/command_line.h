// The program's command line: either the window (no arguments, or the WAV
// file to play in it) or a batch job that opens no window, named by options
// that begin with "--":
//
//   tavrin.exe [file.wav]                 the window, playing the file if named
//   tavrin.exe --pitch out.csv in.wav     the pitch track of in.wav into out.csv
//   tavrin.exe --png out.png [--csv out.csv] [--size WxH] [--length N]
//              [--window NAME] [--log|--linear] in.wav...
//                                         the whole file's spectrogram as a
//                                         picture, its averaged spectrum as CSV
//
// Every option but --log and --linear takes the next argument as its value;
// the arguments that are no option and no option's value are the input
// files, which may hold the wildcards * and ? in their last part. With more
// than one input (or a wildcard), every output name must hold a '*', which
// stands for each input's name without its folder and extension:
// `--png pictures/*.png *.wav` writes pictures/a.png for a.wav. Messages are
// plain English for the console.
//
// Pure; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/settings.h"

inline constexpr std::int32_t kBatchDefaultWidth = 1280;
inline constexpr std::int32_t kBatchDefaultHeight = 600;
inline constexpr std::int32_t kBatchMaxSide = 16384;
inline constexpr std::int32_t kBatchDefaultLength = 1024;

// What a batch run makes of its inputs.
struct BatchJob {
    std::vector<std::wstring> inputs;  // the WAV files read, as given (wildcards not yet expanded)
    std::wstring pitchCsv;  // --pitch: the pitch track's CSV file; empty when not asked for
    std::wstring png;       // --png: the overview picture
    std::wstring welchCsv;  // --csv: the averaged spectrum
    std::int32_t width = kBatchDefaultWidth;  // --size: the picture's, pixels
    std::int32_t height = kBatchDefaultHeight;
    std::int32_t frameLength = kBatchDefaultLength;  // --length: data length N
    std::int32_t windowKind = kWindowHanning;        // --window: WindowKind
    bool logAxis = false;                            // --log / --linear
};

struct CommandLine {
    enum class Kind { kWindow, kBatch, kError };
    Kind kind = Kind::kWindow;
    BatchJob job;          // kBatch
    std::wstring message;  // kError: what is wrong, and the usage
};

// `args`: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// The output file for `input` from the option's value `pattern`: each '*'
// replaced by the input's name without folder and extension. A pattern
// without '*' names one file: it serves only when `several` is false (else
// the result is empty).
std::wstring BatchOutputName(const std::wstring& pattern, const std::wstring& input, bool several);

// True when the name's last part holds a wildcard (* or ?).
bool HasWildcard(const std::wstring& name);
