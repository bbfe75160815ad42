#include "capture/sample_ring.h"

#include <algorithm>

namespace {

// The sequence word a slot carries once block `block` is complete in it; a
// negative block number stands for "never written" (the slot is still silence).
std::uint64_t CompleteSequence(std::int64_t block) {
    return block < 0 ? 0 : 2 * (static_cast<std::uint64_t>(block) + 1);
}

int SlotOfBlock(std::int64_t block) {
    return static_cast<int>(((block % kRingSlots) + kRingSlots) % kRingSlots);
}

}  // namespace

SampleRing::SampleRing() = default;

void SampleRing::Publish(std::span<const std::int16_t, kBlockSamples> block) { Store(block, 1.0f); }

void SampleRing::Publish(std::span<const float, kBlockSamples> block) { Store(block, kRingFullScale); }

template <typename Sample, typename Scale>
void SampleRing::Store(std::span<const Sample, kBlockSamples> block, Scale scale) {
    // Only this thread writes the count and the sequences: relaxed reads suffice.
    const std::uint64_t number = blocksPublished_.load(std::memory_order_relaxed);
    const int slot = SlotOfBlock(static_cast<std::int64_t>(number));
    auto& sequence = slotSequence_[slot];
    sequence.store(CompleteSequence(static_cast<std::int64_t>(number)) - 1, std::memory_order_relaxed);
    // Orders the odd sequence before any sample store (seqlock writer side).
    std::atomic_thread_fence(std::memory_order_release);
    auto& samples = slots_[slot];
    for (int i = 0; i < kBlockSamples; ++i) {
        std::atomic_ref<float>(samples[i]).store(static_cast<float>(block[i]) * scale, std::memory_order_relaxed);
    }
    sequence.store(CompleteSequence(static_cast<std::int64_t>(number)), std::memory_order_release);
    blocksPublished_.store(number + 1, std::memory_order_release);
}

void SampleRing::MarkGap() {
    runStart_.store(blocksPublished_.load(std::memory_order_relaxed), std::memory_order_release);
}

bool SampleRing::FetchContinuous(std::span<double> values, int count) {
    if (count <= 0) {
        return false;
    }
    const std::size_t wanted = std::min<std::size_t>({static_cast<std::size_t>(count), values.size(),
                                                      static_cast<std::size_t>(kRingSamples)});
    const std::span<double> window = values.first(wanted);
    for (;;) {
        const std::uint64_t published = blocksPublished_.load(std::memory_order_acquire);
        const std::uint64_t start = runStart_.load(std::memory_order_acquire);
        if (published < start || (published - start) * kBlockSamples < wanted) {
            return false;
        }
        if (CopyWindow(published, window)) {
            return true;
        }
    }
}

int SampleRing::FetchSamples(std::span<double> values, int count) {
    if (count <= 0) {
        return 0;
    }
    const std::size_t wanted = std::min<std::size_t>({static_cast<std::size_t>(count), values.size(),
                                                      static_cast<std::size_t>(kRingSamples)});
    const std::span<double> window = values.first(wanted);
    // Retried only when the producer rewrote a slot of the window meanwhile;
    // the next pass takes the newer window.
    while (!CopyWindow(blocksPublished_.load(std::memory_order_acquire), window)) {
    }
    return static_cast<int>(wanted);
}

bool SampleRing::CopyWindow(std::uint64_t published, std::span<double> values) {
    const std::int64_t n = static_cast<std::int64_t>(values.size());
    // Sample number (capture order, may be negative before the first blocks)
    // of the window's first sample: the window ends with the newest sample.
    std::int64_t sample = static_cast<std::int64_t>(published) * kBlockSamples - n;
    std::int64_t j = 0;
    while (j < n) {
        const std::int64_t block = sample >= 0 ? sample / kBlockSamples : -((-sample + kBlockSamples - 1) / kBlockSamples);
        const int offset = static_cast<int>(sample - block * kBlockSamples);
        const int run = static_cast<int>(std::min<std::int64_t>(kBlockSamples - offset, n - j));
        auto& sequence = slotSequence_[SlotOfBlock(block)];
        const std::uint64_t expected = CompleteSequence(block);
        if (sequence.load(std::memory_order_acquire) != expected) {
            return false;
        }
        auto& samples = slots_[SlotOfBlock(block)];
        for (int k = 0; k < run; ++k) {
            values[j + k] = std::atomic_ref<float>(samples[offset + k]).load(std::memory_order_relaxed);
        }
        // Orders the sample loads before the second sequence read (seqlock reader side).
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence.load(std::memory_order_relaxed) != expected) {
            return false;
        }
        j += run;
        sample += run;
    }
    return true;
}
