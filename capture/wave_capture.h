// WaveCapture: keeps ten buffers circulating through one open wave-input
// device and stores every filled buffer as the next block of the SampleRing.
//
// Format: 16-bit signed mono PCM at the opened rate. Each buffer is queued
// with a length of 1,024 bytes (512 samples) for every rate above 512 Hz
// (BufferBytesForRate); the first 1,024 bytes of a returned buffer become one
// ring block.
//
// Threads:
//   - OpenCapture, CloseCapture, PauseCapture, ResumeCapture and
//     SetBlockSink: the user-interface thread (a control lock also
//     serialises them against each other);
//   - FetchSamples: the frame loop (see SampleRing);
//   - the device's callback only posts the returned buffer's tag, in arrival
//     order, to a capture thread owned by this object. That thread stores the
//     block, gives the buffer back to the device and hands its own copy of the
//     block to the sink, one buffer at a time, in arrival order.
//   - The capture lock serialises giving a buffer back with open, close,
//     pause and resume. It is never held across Reset or Close of the device,
//     nor does the callback ever take it.
//
// States: Closed (nothing queued, not running), Running (every returned
// buffer stored and queued again), Paused (device stopped; buffers handed
// back meanwhile are kept and queued again by ResumeCapture). Only full
// buffers handed back while running are stored and passed to the sink: the
// partly filled one a stop hands back is not, even when its callback comes
// after a quick resume. Buffers of an earlier open are dropped.
//
// Ownership: owns its AudioInput and all buffers; no allocation after
// construction. Destruction closes the device and ends the capture thread.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "capture/audio_input.h"
#include "capture/sample_ring.h"

// Room of each buffer: one second of 16-bit mono at 44,100 Hz. Only the
// first kBlockBytes are ever filled at the rates the menus offer.
inline constexpr std::uint32_t kCaptureBufferBytes = 88200;

// Receives every stored block on the capture thread, in capture order, from
// the capture's own copy (the device may already be refilling the buffer).
class BlockSink {
public:
    virtual ~BlockSink() = default;
    virtual void AppendBlock(std::span<const std::int16_t, kBlockSamples> block) = 0;
};

// Length in bytes a buffer is queued with at `rateHz`: 1,024 above 512 Hz,
// one second (2 × rate) at and below.
std::uint32_t BufferBytesForRate(int rateHz);

class WaveCapture;

// Opens `deviceIndex` at `rateHz`; when that fails, device 0, and
// `deviceIndex` becomes 0. Returns the result of the last open.
int OpenStoredDevice(WaveCapture& capture, int rateHz, std::int32_t& deviceIndex);

class WaveCapture {
public:
    explicit WaveCapture(std::unique_ptr<AudioInput> input);
    ~WaveCapture();
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;

    // Closes whatever is open, opens device `deviceId` at `rateHz`, queues
    // all buffers and starts. 1 on success; 0 when the device cannot be opened
    // (then it stays closed).
    int OpenCapture(int rateHz, unsigned deviceId);
    // Stops, takes all buffers back and closes the device. Safe to call on a
    // closed device and twice. Always 1.
    int CloseCapture();
    // Stops the device; buffers still queued stay with it. Nothing on a
    // closed device. Always 1.
    int PauseCapture();
    // Queues again the buffers handed back while paused, then starts. 1 when
    // the start succeeded; 0 on failure or on a closed device.
    int ResumeCapture();

    // The newest `count` samples, oldest first (SampleRing::FetchSamples).
    int FetchSamples(std::span<double> values, int count) { return ring_.FetchSamples(values, count); }

    // Sets (or, with null, removes) the sink of stored blocks. Once it
    // returns, no append to a previous sink is in progress nor will follow.
    void SetBlockSink(BlockSink* sink);

    bool isRunning() const { return isRunning_.load(std::memory_order_acquire); }
    bool isOpen() const;
    AudioInput& input() { return *input_; }
    const SampleRing& ring() const { return ring_; }
    // The ring's producer side for another source (a file) while the device
    // is closed: once CloseCapture has returned no capture block is being
    // published, and none is until the next OpenCapture.
    SampleRing& ring() { return ring_; }

private:
    enum class BufferState : std::uint8_t { kIdle, kWithDevice, kHandedBack };

    // One handed-back buffer on its way from the callback to the capture thread.
    struct Returned {
        std::uint32_t tag;
        std::uint32_t bytesRecorded;
        bool whileRunning;  // isRunning when the device handed it back
    };

    static void CaptureCallback(void* context, std::uint32_t tag, std::uint32_t bytesRecorded);
    void CaptureThread();
    void TakeBack(Returned item);
    int CloseLocked();
    bool AllBuffersBack() const;  // capture lock held
    std::uint32_t TagOf(int slot) const;  // capture lock held
    void QueueLocked(int slot);  // capture lock held

    std::unique_ptr<AudioInput> input_;
    SampleRing ring_;

    std::mutex controlLock_;  // serialises the four public device operations

    mutable std::mutex captureLock_;
    std::condition_variable buffersBack_;
    bool open_ = false;
    std::uint32_t openGeneration_ = 0;
    std::uint32_t bufferBytes_ = 0;
    std::array<BufferState, kCaptureBuffers> bufferState_{};
    std::array<std::array<std::int16_t, kCaptureBufferBytes / 2>, kCaptureBuffers> captureBuffers_{};

    // Written under the capture lock, read by the callback without it.
    std::atomic<bool> isRunning_{false};

    // Mailbox from the callback to the capture thread: a fixed ring, so the
    // callback never allocates. Each buffer is in it at most once per open.
    static constexpr int kMailboxSlots = 4 * kCaptureBuffers;
    std::mutex mailboxLock_;
    std::condition_variable mailboxReady_;
    std::array<Returned, kMailboxSlots> mailbox_{};
    int mailboxHead_ = 0;
    int mailboxCount_ = 0;
    bool stopThread_ = false;

    std::mutex sinkLock_;
    BlockSink* sink_ = nullptr;

    std::thread captureThread_;
};
