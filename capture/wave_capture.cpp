#include "capture/wave_capture.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>

namespace {

// A tag is generation × kCaptureBuffers + slot; generations wrap before the
// product leaves 32 bits.
constexpr std::uint32_t kGenerations = UINT32_MAX / kCaptureBuffers;

// How long closing waits for the device to hand back its buffers after a
// reset. Devices hand them back at once (Wine even during the reset); the
// bound only keeps a broken driver from hanging the program.
constexpr auto kTakeBackTimeout = std::chrono::seconds(2);

}  // namespace

std::uint32_t BufferBytesForRate(int rateHz) {
    const std::int64_t bytesPerSecond = 2 * static_cast<std::int64_t>(rateHz);
    // The fraction of a second one buffer holds, kept single precision as
    // the length has always been computed.
    float fraction = static_cast<float>(kBlockBytes) / static_cast<float>(bytesPerSecond);
    if (fraction > 1.0f) {
        fraction = 1.0f;
    }
    return static_cast<std::uint32_t>(static_cast<double>(bytesPerSecond) * fraction + 0.5);
}

int OpenStoredDevice(WaveCapture& capture, int rateHz, std::int32_t& deviceIndex) {
    if (capture.OpenCapture(rateHz, static_cast<unsigned>(deviceIndex)) == 1) {
        return 1;
    }
    deviceIndex = 0;
    return capture.OpenCapture(rateHz, 0);
}

WaveCapture::WaveCapture(std::unique_ptr<AudioInput> input)
    : input_(std::move(input)), captureThread_([this] { CaptureThread(); }) {
    assert(input_);
}

WaveCapture::~WaveCapture() {
    CloseCapture();
    {
        std::lock_guard lock(mailboxLock_);
        stopThread_ = true;
    }
    mailboxReady_.notify_one();
    captureThread_.join();
}

bool WaveCapture::isOpen() const {
    std::lock_guard lock(captureLock_);
    return open_;
}

std::uint32_t WaveCapture::TagOf(int slot) const {
    return openGeneration_ * kCaptureBuffers + static_cast<std::uint32_t>(slot);
}

int WaveCapture::OpenCapture(int rateHz, unsigned deviceId) {
    std::lock_guard control(controlLock_);
    CloseLocked();
    if (rateHz <= 0) {
        return 0;
    }
    // No device holds a buffer now: clearing them races with nothing.
    for (auto& buffer : captureBuffers_) {
        buffer.fill(0);
    }
    if (!input_->Open(deviceId, rateHz, &WaveCapture::CaptureCallback, this)) {
        return 0;
    }
    std::lock_guard lock(captureLock_);
    open_ = true;
    bufferBytes_ = BufferBytesForRate(rateHz);
    for (int slot = 0; slot < kCaptureBuffers; ++slot) {
        QueueLocked(slot);
    }
    isRunning_.store(true, std::memory_order_release);
    input_->Start();
    return 1;
}

int WaveCapture::CloseCapture() {
    std::lock_guard control(controlLock_);
    return CloseLocked();
}

int WaveCapture::CloseLocked() {
    {
        std::lock_guard lock(captureLock_);
        isRunning_.store(false, std::memory_order_release);
        if (!open_) {
            return 1;
        }
        input_->Stop();
    }
    // Not under the capture lock: the reset may hand the buffers back on this
    // very thread, and the capture thread must be free to take them.
    input_->Reset();
    {
        std::unique_lock lock(captureLock_);
        buffersBack_.wait_for(lock, kTakeBackTimeout, [this] { return AllBuffersBack(); });
        open_ = false;
        openGeneration_ = (openGeneration_ + 1) % kGenerations;  // stragglers of this open are dropped
        bufferState_.fill(BufferState::kIdle);
    }
    input_->Close();
    return 1;
}

int WaveCapture::PauseCapture() {
    std::lock_guard control(controlLock_);
    std::lock_guard lock(captureLock_);
    isRunning_.store(false, std::memory_order_release);
    if (open_) {
        input_->Stop();
    }
    return 1;
}

int WaveCapture::ResumeCapture() {
    std::lock_guard control(controlLock_);
    std::lock_guard lock(captureLock_);
    if (!open_) {
        return 0;
    }
    // Buffers handed back while paused go back before the device restarts;
    // their partial contents are neither stored nor recorded.
    for (int slot = 0; slot < kCaptureBuffers; ++slot) {
        if (bufferState_[slot] == BufferState::kHandedBack) {
            QueueLocked(slot);
        }
    }
    isRunning_.store(true, std::memory_order_release);
    return input_->Start() ? 1 : 0;
}

void WaveCapture::SetBlockSink(BlockSink* sink) {
    std::lock_guard lock(sinkLock_);
    sink_ = sink;
}

void WaveCapture::QueueLocked(int slot) {
    if (input_->Queue(slot, captureBuffers_[slot].data(), bufferBytes_, TagOf(slot))) {
        bufferState_[slot] = BufferState::kWithDevice;
    } else {
        bufferState_[slot] = BufferState::kHandedBack;  // tried again at the next resume
    }
}

bool WaveCapture::AllBuffersBack() const {
    return std::none_of(bufferState_.begin(), bufferState_.end(),
                        [](BufferState s) { return s == BufferState::kWithDevice; });
}

// Runs on the device's service thread (or, during a reset under Wine, on the
// resetting thread). It may not call the device: it only posts the tag.
void WaveCapture::CaptureCallback(void* context, std::uint32_t tag, std::uint32_t bytesRecorded) {
    auto* self = static_cast<WaveCapture*>(context);
    const Returned item{tag, bytesRecorded, self->isRunning_.load(std::memory_order_acquire)};
    {
        std::lock_guard lock(self->mailboxLock_);
        // Each buffer of an open is posted at most once before it is taken
        // back, and closing waits for them all, so the mailbox cannot fill.
        assert(self->mailboxCount_ < kMailboxSlots);
        if (self->mailboxCount_ == kMailboxSlots) {
            return;
        }
        self->mailbox_[(self->mailboxHead_ + self->mailboxCount_) % kMailboxSlots] = item;
        ++self->mailboxCount_;
    }
    self->mailboxReady_.notify_one();
}

void WaveCapture::CaptureThread() {
    for (;;) {
        Returned item{};
        {
            std::unique_lock lock(mailboxLock_);
            mailboxReady_.wait(lock, [this] { return stopThread_ || mailboxCount_ > 0; });
            if (mailboxCount_ == 0) {
                return;
            }
            item = mailbox_[mailboxHead_];
            mailboxHead_ = (mailboxHead_ + 1) % kMailboxSlots;
            --mailboxCount_;
        }
        TakeBack(item);
    }
}

void WaveCapture::TakeBack(Returned item) {
    std::array<std::int16_t, kBlockSamples> block;
    bool stored = false;
    {
        std::lock_guard lock(captureLock_);
        const int slot = static_cast<int>(item.tag % kCaptureBuffers);
        if (!open_ || item.tag != TagOf(slot)) {
            return;  // a buffer of an earlier open
        }
        assert(bufferState_[slot] == BufferState::kWithDevice);
        if (item.whileRunning && item.bytesRecorded >= bufferBytes_) {
            std::memcpy(block.data(), captureBuffers_[slot].data(), kBlockBytes);
            // Published under the lock that closing takes: after a close no
            // block of this device reaches the ring, which another source may
            // feed by then.
            ring_.Publish(block);
            stored = true;
        }
        if (isRunning_.load(std::memory_order_relaxed)) {
            QueueLocked(slot);
        } else {
            bufferState_[slot] = BufferState::kHandedBack;
            buffersBack_.notify_all();
        }
    }
    if (stored) {
        std::lock_guard lock(sinkLock_);
        if (sink_ != nullptr) {
            sink_->AppendBlock(block);
        }
    }
}
