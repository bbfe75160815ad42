// Analyzer: one analysis channel. It holds one frame of samples, the window
// tables, the work arrays of both analysis paths, the point buffers of the
// traces, the spectrogram work arrays and the plot view they are drawn into.
//
// Memory: every array is a fixed-capacity member sized for the longest frame
// (kMaxFrameLength), so the record is allocated once (about 7.5 MB, on the
// heap: use makeAnalyzer) and no set-up or frame ever allocates or frees.
//
// Units and layout: samples are raw signed 16-bit values held as doubles,
// oldest first. Frame lengths N are powers of two, kMinFrameLength ... kMaxFrameLength.
//
// Threads:
//  - Construction and the first setupAnalyzer run on the user-interface
//    thread before the frame loop starts.
//  - Afterwards setupAnalyzer may only run between two frames: the frame loop
//    applies a new length itself between passes (or the caller otherwise
//    guarantees that no frame is running). A frame must see one set-up's
//    frameLength and tables throughout. Because a set-up never frees memory,
//    a violation yields one wrong frame, never a read of freed memory.
//  - applyWindow, computeSpectrum and computeCepstrum run on the frame-loop
//    thread and only on the upper Analyzer.
//  - peakPoints is also reset by the status thread (see the display code).
//
// Platform seam: `view` and `ownerWnd` are set by the Win32 layer
// (analyzer construction there creates the plot view at x 10, y
// initialViewTop, 100 x 100 pixels as a child of the owner window, and the
// status label on the first construction in the process). The view is owned
// and replaced by the display layer; this portable code never touches it.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/band_segment.h"
#include "analysis/rdft.h"
#include "base/pixel_coord.h"

struct AppSettings;
struct HWND__;  // the platform's window handle type, opaque here
namespace Bitmaplib {
class clsBitmap;
}

inline constexpr std::int32_t kMinFrameLength = 1024;
inline constexpr std::int32_t kMaxFrameLength = 32768;
static_assert(kMaxFrameLength <= kRdftMaxLength);

// Capacities of the record's arrays. The frame arrays have room for twice the
// longest frame; the point buffers for two points per column of a view up to
// 32,767 pixels wide.
inline constexpr std::int32_t kFrameCapacity = 65536;
inline constexpr std::int32_t kFftTableCapacity = 81920;
inline constexpr std::int32_t kPointCapacity = 65536;
inline constexpr std::int32_t kBandSegmentCapacity = 2000;
static_assert(kFftTableCapacity >= kRdftMaxLength / 2);


struct Analyzer {
    // Window tables, frameLength entries valid (built by buildWindows).
    double hanningTable[kMaxFrameLength];
    double hammingTable[kMaxFrameLength];
    double blackmanTable[kMaxFrameLength];
    std::int32_t frameLength;    // N, samples per frame; 0 before the first set-up
    std::int32_t halfFrame;      // N / 2
    std::int32_t log2Length;     // log2 N
    std::int32_t activeWindow;   // WindowKind applied by applyWindow; other values mean none

    double rawFrame[kFrameCapacity];     // the frame before windowing (waveform trace)
    double sampleFrame[kFrameCapacity];  // the frame, windowed in place; the transforms' input
    double imagInput[kFrameCapacity];    // zero; in cepstrum mode the scaled log magnitudes
    double outRe[kFrameCapacity];        // display values: N/2 spectrum levels or N cepstrum values
    double outIm[kFrameCapacity];        // imaginary output of the spectrum's complex FFT
    double cepWork[kFrameCapacity];      // inverse real transform of the cepstrum path
    double fftTable[kFftTableCapacity];  // rdft's w table
    std::int32_t fftIndex[kRdftIndexEntries];  // rdft's ip table; belongs with fftTable
    double calReference[kMaxFrameLength];      // CAL reference subtracted from the cepstrum

    // Caches of the spectrum path, rebuilt by setupAnalyzer: the bit-reversal
    // permutation of frameLength, and the twiddles of every butterfly stage
    // (stage with half-size h: entries h ... 2h-1).
    std::int32_t bitReverse[kMaxFrameLength];
    double stageTwiddleRe[kMaxFrameLength];
    double stageTwiddleIm[kMaxFrameLength];
    // imagInput entries [0, imagInputUsed) may be nonzero (left by the cepstrum path).
    std::int32_t imagInputUsed;

    Bitmaplib::clsBitmap* view;  // plot view, owned by the display layer (see above)
    std::int32_t binCount;       // display values: halfLength at the last set-up
    std::int32_t sampleCount;    // fftLength at the last set-up

    TracePoint wavePoints[kPointCapacity];
    TracePoint tracePoints[kPointCapacity];
    TracePoint peakPoints[kPointCapacity];
    double log10Table[kFrameCapacity];  // log10(i) for i < binCount; entry 0 is -infinity
    double rowBins[kFrameCapacity];     // spectrogram row-to-bin map (logarithmic axis)
    BandSegment bandSegments[kBandSegmentCapacity];
    HWND__* ownerWnd;  // main window, parent of the view
};

// A zero-filled Analyzer (activeWindow 0, no set-up yet), on the heap.
std::unique_ptr<Analyzer> makeAnalyzer();

// True for a frame length this code can analyse: a power of two within
// kMinFrameLength ... kMaxFrameLength.
bool isSupportedFrameLength(std::int32_t length);

// Sets the Analyzer up for fftLength / halfLength of the settings: log10Table,
// the window tables and the spectrum caches. Returns 1; returns 0 and changes
// nothing when the lengths are not a supported N and N/2. See Threads above.
int setupAnalyzer(Analyzer& an, const AppSettings& settings);

// Fills the three window tables for frameLength (called by setupAnalyzer).
void buildWindows(Analyzer& an);

// Copies sampleFrame[0, N) to rawFrame and multiplies sampleFrame by the
// table that activeWindow selects. Frame-loop thread.
void applyWindow(Analyzer& an);
