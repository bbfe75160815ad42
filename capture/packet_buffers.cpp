#include "capture/packet_buffers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kSampleBytes = BufferSampleBytes(BufferSamples::kFloat32);

}  // namespace

void PacketBuffers::Restart(AudioInput::BufferDone done, void* context) {
    std::lock_guard hold(lock_);
    done_ = done;
    context_ = context;
    accepting_ = false;
    first_ = 0;
    count_ = 0;
    queued_ = {};
    position_.store(0, std::memory_order_release);
}

bool PacketBuffers::Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) {
    std::lock_guard hold(lock_);
    if (slot < 0 || slot >= kCaptureBuffers || queued_[slot] || data == nullptr) {
        return false;
    }
    slots_[slot] = Slot{static_cast<float*>(data), bytes / kSampleBytes, 0, tag};
    queued_[slot] = true;
    order_[(first_ + count_) % kCaptureBuffers] = slot;
    ++count_;
    return true;
}

void PacketBuffers::SetAccepting(bool accepting) {
    std::lock_guard hold(lock_);
    accepting_ = accepting;
}

void PacketBuffers::Push(std::span<const float> samples) {
    std::lock_guard hold(lock_);
    if (!accepting_) {
        return;
    }
    position_.fetch_add(static_cast<std::uint32_t>(samples.size()), std::memory_order_acq_rel);
    while (!samples.empty() && count_ > 0) {
        Slot& slot = slots_[order_[first_]];
        const std::size_t n = std::min<std::size_t>(samples.size(), slot.capacity - slot.filled);
        std::memcpy(slot.data + slot.filled, samples.data(), n * kSampleBytes);
        slot.filled += static_cast<std::uint32_t>(n);
        samples = samples.subspan(n);
        if (slot.filled == slot.capacity) {
            HandBackFront();
        }
    }
}

void PacketBuffers::HandBackFilling() {
    std::lock_guard hold(lock_);
    if (count_ > 0 && slots_[order_[first_]].filled > 0) {
        HandBackFront();
    }
}

void PacketBuffers::HandBackAll() {
    std::lock_guard hold(lock_);
    while (count_ > 0) {
        HandBackFront();
    }
}

void PacketBuffers::Clear() {
    std::lock_guard hold(lock_);
    first_ = 0;
    count_ = 0;
    queued_ = {};
}

void PacketBuffers::HandBackFront() {
    const int slot = order_[first_];
    first_ = (first_ + 1) % kCaptureBuffers;
    --count_;
    queued_[slot] = false;
    if (done_ != nullptr) {
        done_(context_, slots_[slot].tag, slots_[slot].filled * kSampleBytes);
    }
}
