// PacketBuffers: the buffers an AudioInput caller queues, for a layer whose
// system hands over packets of any length rather than filling buffers: the
// layer pushes what arrives, and the buffers fill in queue order and go back
// through the caller's BufferDone as each one is full (see audio_input.h for
// the caller's side of queue, stop, reset and close).
//
// Format: float mono samples with full scale at +-1.0 (BufferSamples::kFloat32).
//
// Threads: Queue, SetAccepting, HandBackFilling, HandBackAll, Clear and
// Restart are the caller's thread; Push is the layer's service thread;
// Position any thread. One small lock guards the queue; BufferDone runs under
// it (it may only wake the caller, as audio_input.h demands).
//
// Ownership: the memory of a queued buffer stays the caller's; nothing here
// allocates after Restart, whatever the packets.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "capture/audio_input.h"

class PacketBuffers {
public:
    // A fresh open: no buffer queued, not accepting, position 0.
    void Restart(AudioInput::BufferDone done, void* context);
    // False when `slot` is out of range or already queued.
    bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag);
    // Samples pushed while not accepting are dropped and not counted.
    void SetAccepting(bool accepting);
    // Fills the queued buffers with `samples` in queue order and hands back
    // each one that is full; samples for which no buffer is queued are lost
    // but counted in the position.
    void Push(std::span<const float> samples);
    // Hands back the buffer being filled (a stop), with the bytes it holds.
    void HandBackFilling();
    // Hands back every queued buffer (a reset).
    void HandBackAll();
    // Forgets every queued buffer without handing it back (a close).
    void Clear();
    // Samples pushed while accepting since Restart; wraps at 2^32.
    std::uint32_t Position() const { return position_.load(std::memory_order_acquire); }

private:
    struct Slot {
        float* data = nullptr;
        std::uint32_t capacity = 0;  // samples
        std::uint32_t filled = 0;
        std::uint32_t tag = 0;
    };
    void HandBackFront();

    std::mutex lock_;
    AudioInput::BufferDone done_ = nullptr;
    void* context_ = nullptr;
    bool accepting_ = false;
    // Queued slots in queue order: a ring of slot numbers.
    std::array<int, kCaptureBuffers> order_{};
    int first_ = 0;
    int count_ = 0;
    std::array<Slot, kCaptureBuffers> slots_{};
    std::array<bool, kCaptureBuffers> queued_{};
    std::atomic<std::uint32_t> position_{0};
};
