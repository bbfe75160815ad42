// SampleRing: the last 256 captured blocks of 512 mono samples, where capture
// and analysis meet.
//
// Samples: 32-bit float on the scale of 16-bit samples (full scale is
// +-32,768), so that the analysis reads the same values for a 16-bit source as
// it always did, and a 24-bit or float source keeps its low bits (a float holds
// any 24-bit sample exactly). Producers hand over 16-bit samples as they are
// or float samples with full scale at +-1.0; both are stored without rounding.
//
// Layout: slot s holds one whole block, samples in capture order. Slot indices are 8 bits wide, so one past 255 is
// 0. `newestSlot` is the slot written last; it starts at 255, so the first
// block lands in slot 0. Every slot starts as silence.
//
// Threads: one producer (the capture thread) calls Publish; one consumer (the
// frame loop) calls FetchSamples. They meet without a lock:
//   - blocks are numbered from 0 in capture order; block b goes to slot
//     b mod 256 and `newestSlot` is the slot of the last published block;
//   - each slot carries a sequence word (a per-slot seqlock): 0 while it has
//     never been written, 2(b + 1) once block b is complete in it, odd while
//     the producer is copying into it. Samples move with relaxed atomic
//     accesses, so the race with the reader is defined behaviour;
//   - the producer copies the whole block first and then publishes the block
//     count (release); the consumer reads it once (acquire), which fixes the
//     window, so the newest block it sees is always complete;
//   - when the producer laps the consumer and rewrites a slot of the window
//     before or during its copy, the slot's sequence word tells, and the fetch
//     starts again with the newer window. A fetch therefore never returns a
//     partly written block nor blocks out of capture order.
//
// Continuity: the producer marks a gap (MarkGap) wherever the next block does
// not follow the one before in time: a (re)start of the input, a lost device,
// blocks the device dropped. The ring keeps the number of the first block
// after the last gap (0 at construction: the silence before the first block
// is a gap too). FetchContinuous hands over a window only when it lies wholly
// after that block, so an analysis never sees the jump between two runs.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

inline constexpr int kBlockSamples = 512;
inline constexpr int kBlockBytes = kBlockSamples * 2;  // a block of 16-bit samples
// Float full scale (1.0) on the ring's scale.
inline constexpr float kRingFullScale = 32768.0f;
inline constexpr int kRingSlots = 256;
inline constexpr int kRingSamples = kBlockSamples * kRingSlots;  // 131,072: about 3 s at 44,100 Hz

class SampleRing {
public:
    SampleRing();
    SampleRing(const SampleRing&) = delete;
    SampleRing& operator=(const SampleRing&) = delete;

    // Producer: copies one block into the slot after the newest and makes it
    // the newest. 16-bit samples, or float samples with full scale at +-1.0.
    void Publish(std::span<const std::int16_t, kBlockSamples> block);
    void Publish(std::span<const float, kBlockSamples> block);

    // Producer: the next published block does not continue the ones before
    // it. Called on the producer's thread, between two Publish calls.
    void MarkGap();

    // Consumer: writes the newest `count` samples, oldest first and newest
    // last, converted to double on the 16-bit scale (a 16-bit source gives
    // -32,768 to 32,767, whole numbers). Never writes
    // more than `values` holds nor more than the ring holds: the number written
    // is min(count, values.size(), kRingSamples), and that many newest samples
    // end at values[written - 1]. Returns the number written (0 when count <= 0).
    int FetchSamples(std::span<double> values, int count);

    // Consumer: as FetchSamples, but only when all of the newest `count`
    // samples (at most what `values` and the ring hold) were published after
    // the last gap. Returns false, and leaves `values` untouched, otherwise.
    bool FetchContinuous(std::span<double> values, int count);

    // Blocks published since the last gap.
    std::uint64_t blocksSinceGap() const {
        const std::uint64_t published = blocksPublished_.load(std::memory_order_acquire);
        const std::uint64_t start = runStart_.load(std::memory_order_acquire);
        return published > start ? published - start : 0;
    }

    // The slot written last (255 before the first block; 8 bits wide, so
    // it wraps from 255 to 0).
    std::uint8_t newestSlot() const {
        return static_cast<std::uint8_t>(blocksPublished_.load(std::memory_order_acquire) - 1);
    }

    // Blocks published since construction.
    std::uint64_t blocksPublished() const { return blocksPublished_.load(std::memory_order_acquire); }

private:
    template <typename Sample, typename Scale>
    void Store(std::span<const Sample, kBlockSamples> block, Scale scale);
    bool CopyWindow(std::uint64_t published, std::span<double> values);

    std::array<std::array<float, kBlockSamples>, kRingSlots> slots_{};
    std::array<std::atomic<std::uint64_t>, kRingSlots> slotSequence_{};
    std::atomic<std::uint64_t> blocksPublished_{0};
    // Number of the first block after the last gap; written by the producer only.
    std::atomic<std::uint64_t> runStart_{0};
};
