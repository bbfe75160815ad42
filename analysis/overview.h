// The overview of a recording: its spectrogram over a time range at a given
// number of pixel columns, and its averaged (Welch) spectrum, computed from a
// stream of samples in memory proportional to the picture, never to the
// recording.
//
// Frames: N = frameLength samples, hop N / 2, windowed by `windowKind`
// (the same cosine sums as the live view, over N - 1). Frame k starts at
// firstSample + k x N/2; there are 1 + ceil((count - N) / (N/2)) of them
// (one when count <= N), so every sample of the range lies in a frame. A
// frame that runs past the recording's end reads zeros there.
//
// Columns: column c covers the range's samples
// [ceil(c x count / columns), ceil((c + 1) x count / columns)), i.e. sample
// offset s lies in column floor(s x columns / count); it holds,
// bin by bin, the strongest power of all frames that overlap it (a 5 ms
// click keeps its level however many frames a column spans) and, when asked
// for, their mean power beside it.
//
// Units: power is |X[k]|^2 of the unnormalised transform of the windowed
// frame (analysis/rdft.h), samples in 16-bit units, so 10 ln(power) is the
// live view's level 20 ln|X| (analysis/spectrum.h). Bins k = 0 ... N/2 - 1,
// k x rate / N Hz.
//
// Threads: ComputeOverview splits the columns over `threads` workers of its
// own and returns when all have finished; `fetch` is called from all of them
// at once and must allow that. `progress` may be read and cancelled from any
// thread while it runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// Copies the recording's samples [first, first + count) to `out` (16-bit
// units); false when they cannot be read. Only samples that exist are asked for.
using OverviewFetch = std::function<bool(std::uint64_t first, std::size_t count, double* out)>;

struct OverviewRequest {
    std::uint64_t sourceSamples = 0;  // the recording's length
    std::uint64_t firstSample = 0;    // the range shown: [firstSample, firstSample + sampleCount)
    std::uint64_t sampleCount = 0;    // at least 1, within the recording
    std::int32_t columns = 1;         // at least 1
    std::int32_t frameLength = 1024;  // a power of two, 16 ... kRdftMaxLength
    std::int32_t windowKind = 1;      // WindowKind
    bool averaged = false;            // also the mean power per column
    int threads = 0;                  // workers; 0: one per processor
    int channel = 1;                  // of a source with several, the one read (its reader's choice: 0 the mix, 1 left ...)
};

// Watched and steered from outside while the overview is computed.
struct OverviewProgress {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> framesDone{0};  // of OverviewFrameCount
};

struct Overview {
    std::int32_t columns = 0;
    std::int32_t bins = 0;      // N / 2
    std::uint64_t frames = 0;   // frames computed
    std::vector<float> peak;    // columns x bins, column by column: peak[c x bins + k]
    std::vector<float> mean;    // the same layout; empty unless averaged
    std::vector<double> welch;  // bins: the mean power of all frames
    bool complete = false;      // false when cancelled or a read failed (the rest is then partial)
    bool readFailed = false;
};

// Frames of the request (see Frames above).
std::uint64_t OverviewFrameCount(const OverviewRequest& request);
// The column that holds the range's sample `offset` (0-based within the
// range), clamped to the columns; and the first sample of column c.
std::int32_t OverviewColumnOf(const OverviewRequest& request, std::uint64_t offset);
std::uint64_t OverviewColumnStart(const OverviewRequest& request, std::int32_t column);

// An empty, incomplete overview when the request is not valid.
Overview ComputeOverview(const OverviewRequest& request, const OverviewFetch& fetch,
                         OverviewProgress* progress = nullptr);
