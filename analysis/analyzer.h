// Analyzer: the analysis of one frame. It holds the plan for the current
// frame length (the window tables, the transforms' tables, the log10 table
// of the bin indices) and the work buffers of both analysis paths, and
// nothing of the screen: the trace points belong to the frame loop
// (display/trace_points.h), the calibration to CepstrumCalibration
// (analysis/cepstrum.h).
//
// Memory: every array is a fixed-capacity member sized for the longest frame
// (kMaxFrameLength), so the record is allocated once (about 3.1 MiB, on the
// heap: use MakeAnalyzer) and no set-up or frame ever allocates or frees.
//
// Units and layout: samples are doubles on the 16-bit scale (full scale
// +-32,768; a 24-bit or float source adds the fractions),
// oldest first. Frame lengths N are powers of two, kMinFrameLength ... kMaxFrameLength.
//
// Threads:
//  - Construction and the first SetupAnalyzer run on the user-interface
//    thread before the frame loop starts.
//  - Afterwards SetupAnalyzer may only run between two frames: the frame loop
//    applies a new length itself between passes (or the caller otherwise
//    guarantees that no frame is running). A frame must see one set-up's
//    frameLength and tables throughout. Because a set-up never frees memory,
//    a violation yields one wrong frame, never a read of freed memory.
//  - ApplyWindow, ComputeSpectrum and ComputeCepstrum run on the frame-loop
//    thread. What a frame leaves in the work buffers is read by the drawing
//    through FrameData (app/frame_analysis.h) until the next frame.
//
// Ownership: the program's one Analyzer belongs to its frame analysis
// (AnalyzerFrameAnalysis); tests and benchmarks make their own.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/rdft.h"

struct AppSettings;

inline constexpr std::int32_t kMinFrameLength = 1024;
inline constexpr std::int32_t kMaxFrameLength = 32768;
static_assert(kMaxFrameLength <= kRdftMaxLength);

// Capacities of the record's arrays: the frame arrays hold the longest frame,
// the bin arrays its N/2 bins, rdft's w table the n/2 entries it needs.
inline constexpr std::int32_t kFrameCapacity = kMaxFrameLength;
inline constexpr std::int32_t kBinCapacity = kMaxFrameLength / 2;
inline constexpr std::int32_t kFftTableCapacity = kRdftMaxLength / 2;

struct Analyzer {
    // The plan, rebuilt by SetupAnalyzer.
    std::int32_t frameLength;    // N, samples per frame; 0 before the first set-up
    std::int32_t halfFrame;      // N / 2
    std::int32_t log2Length;     // log2 N
    std::int32_t binCount;       // display values: halfLength at the last set-up
    std::int32_t sampleCount;    // fftLength at the last set-up
    // Window tables, frameLength entries valid (built by BuildWindows).
    double hanningTable[kMaxFrameLength];
    double hammingTable[kMaxFrameLength];
    double blackmanTable[kMaxFrameLength];
    double fftTable[kFftTableCapacity];        // rdft's w table
    std::int32_t fftIndex[kRdftIndexEntries];  // rdft's ip table; belongs with fftTable
    // Caches of the spectrum path: the bit-reversal permutation of
    // frameLength, and the twiddles of every butterfly stage (stage with
    // half-size h: entries h ... 2h-1).
    std::int32_t bitReverse[kMaxFrameLength];
    double stageTwiddleRe[kMaxFrameLength];
    double stageTwiddleIm[kMaxFrameLength];
    double log10Table[kBinCapacity];  // log10(i) for i < binCount; entry 0 is -infinity

    // The work buffers of one frame.
    std::int32_t activeWindow;            // WindowKind applied by ApplyWindow; other values mean none
    double rawFrame[kFrameCapacity];     // the frame before windowing (waveform trace)
    double sampleFrame[kFrameCapacity];  // the frame, windowed in place; the transforms' input
    double imagInput[kFrameCapacity];    // zero; in cepstrum mode the scaled log magnitudes
    double outRe[kFrameCapacity];        // display values: N/2 spectrum levels or N cepstrum values
    double outIm[kFrameCapacity];        // imaginary output of the spectrum's complex FFT
    double binPower[kBinCapacity];       // spectrum path: |X[k]|^2 of the N/2 bins, before the levels
    double cepWork[kFrameCapacity];      // inverse real transform of the cepstrum path
    // imagInput entries [0, imagInputUsed) may be nonzero (left by the cepstrum path).
    std::int32_t imagInputUsed;
};

// A zero-filled Analyzer (activeWindow 0, no set-up yet), on the heap.
std::unique_ptr<Analyzer> MakeAnalyzer();

// True for a frame length this code can analyse: a power of two within
// kMinFrameLength ... kMaxFrameLength.
bool IsSupportedFrameLength(std::int32_t length);

// Sets the Analyzer up for fftLength / halfLength of the settings: log10Table,
// the window tables and the spectrum caches. Returns 1; returns 0 and changes
// nothing when the lengths are not a supported N and N/2. See Threads above.
int SetupAnalyzer(Analyzer& an, const AppSettings& settings);

// Fills the three window tables for frameLength (called by SetupAnalyzer).
void BuildWindows(Analyzer& an);

// Sum of the squares of the window table that activeWindow selects over
// frameLength points (frameLength for none): the factor by which the window
// scales the power of noise and of a tone alike.
double WindowPowerSum(const Analyzer& an);

// Copies sampleFrame[0, N) to rawFrame and multiplies sampleFrame by the
// table that activeWindow selects. Frame-loop thread.
void ApplyWindow(Analyzer& an);
