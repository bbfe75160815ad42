// WaveCapture: keeps ten buffers circulating through one open wave-input
// device, stores every filled buffer as the next block of the SampleRing,
// notices when the input stops and brings it back by itself.
//
// Format: mono samples at the opened rate, of the kind the open device gives
// (AudioInput::BufferKind): 16-bit PCM from the wave-input devices, float
// with full scale at +-1.0 from an audio endpoint. Each buffer is queued with
// room for 512 samples for every rate above 512 Hz (BufferBytesForRate gives
// the length in 16-bit samples, twice that for float); the first 512 samples
// of a returned buffer become one ring block, published and handed to the
// sink in their own kind, so a float source reaches the analysis and the
// recorder without rounding.
//
// Threads:
//   - the capture thread, owned by this object, is the device's only caller:
//     it opens, queues, starts, stops, resets and closes, takes the returned
//     buffers in arrival order, stores each block, gives the buffer back and
//     hands a copy of the block to the sink;
//   - the device's callback only leaves the returned buffer's tag in that
//     buffer's mailbox slot (atomics) and wakes the capture thread;
//   - OpenCapture, CloseCapture, PauseCapture, ResumeCapture, PostOpen,
//     PostPause, PostClose, Released, SetBlockSink and SetChangeHook: any
//     other thread (the user-interface thread). Requests reach the capture
//     thread through a queue and are carried out in the order they were made
//     (a posted open makes the posted requests still pending before it moot);
//     the first four wait for their result (start-up, tests), the three Post
//     calls return at once, whatever the device is doing: a close may take
//     kTakeBackTimeoutMs;
//   - FetchSamples/FetchContinuous: the frame loop (see SampleRing); the
//     state getters: any thread.
//
// States: Closed (nothing queued), Running (every returned buffer stored and
// queued again), Paused (device stopped; buffers handed back meanwhile are
// queued again by ResumeCapture). Only full buffers handed back while running
// are stored: not the partly filled one a stop hands back. Buffers of an
// earlier open or an earlier run are dropped.
//
// Lost input: while the caller wants the capture running (after an open or a
// resume, until a pause or a close), no block for kInputLostMs (or a device
// that could not be opened) makes the input lost: a gap is marked in the ring
// and, about every kRetryPeriodMs, the device is closed, the devices listed
// again and the chosen device looked for by its own identity: its name (a
// name listed once is that device, wherever it now stands); where several
// devices carry the name, the one at the chosen number; a device chosen by a
// number no device was listed at, that number. Nothing else is ever opened in
// its place: not another device at its number, not the default device. A
// close whose buffers do not all come back within
// kTakeBackTimeoutMs keeps the device and its buffers ("stuck"): nothing is
// opened over them until they are back and the close has succeeded.
//
// Dropped blocks: when the device has had no buffer queued, the samples it
// captured meanwhile (its position less the samples handed back) are counted
// as dropped blocks and a gap is marked after the last block before them.
// This assumes that the position counts every sample the device captured
// since the open, also those it had no buffer for, and no sample twice; a
// layer whose position counts only what it put into buffers shows no drops
// at all. Only whole blocks are counted (a part of a block is not), so the
// count errs towards zero, never towards drops that did not happen.
//
// Epochs: every open request has its number (1, 2, ...); each block handed to
// the sink carries the number of the open that delivered it, so that a
// recording started after a posted open takes nothing delivered before it.
//
// Ownership: owns its AudioInput and all buffers; no allocation on the way of
// a block. Destruction closes the device and ends the capture thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "capture/audio_input.h"
#include "capture/device_list.h"
#include "capture/sample_ring.h"

// Room of each buffer: one second of 16-bit mono at 44,100 Hz. Only the
// first kBlockBytes (16-bit) or twice that (float) are ever filled at the
// rates the menus offer.
inline constexpr std::uint32_t kCaptureBufferBytes = 88200;
// No block for this long while running: the input is lost.
inline constexpr int kInputLostMs = 500;
// While the input is lost, a re-open is tried this often.
inline constexpr int kRetryPeriodMs = 1000;
// How long a close waits for the device to hand its buffers back.
inline constexpr int kTakeBackTimeoutMs = 2000;
// Device number that asks OpenCapture for the system's default device; it is
// resolved to a listed device before anything is opened.
inline constexpr unsigned kDefaultDevice = 0xFFFFFFFFu;

// Receives every stored block on the capture thread, in capture order, from
// the capture's own copy (the device may already be refilling the buffer),
// with the epoch of the open that delivered it.
class BlockSink {
public:
    virtual ~BlockSink() = default;
    virtual void AppendBlock(std::span<const std::int16_t, kBlockSamples> block, std::uint32_t epoch) = 0;
    // The same for a source that delivers float samples (full scale +-1.0);
    // a sink that keeps no samples leaves it as it is.
    virtual void AppendBlock(std::span<const float, kBlockSamples>, std::uint32_t) {}
    // Called about once a second on the capture thread, between blocks, also
    // while no block arrives.
    virtual void Tick() {}
};

// Length in bytes a buffer of 16-bit samples is queued with at `rateHz`:
// 1,024 above 512 Hz, one second (2 × rate) at and below; a buffer of float
// samples is twice as long.
std::uint32_t BufferBytesForRate(int rateHz);

class WaveCapture;

// Start-up: opens the stored device `deviceIndex` at `rateHz`; when no
// device of that number is listed at all (-1 included), the default device,
// whose number `deviceIndex` then becomes. A listed device that does not open
// stays the choice (the capture waits for it). Returns the open's result.
int OpenStoredDevice(WaveCapture& capture, int rateHz, std::int32_t& deviceIndex);

class WaveCapture {
public:
    explicit WaveCapture(std::unique_ptr<AudioInput> input);
    ~WaveCapture();
    WaveCapture(const WaveCapture&) = delete;
    WaveCapture& operator=(const WaveCapture&) = delete;

    // Closes whatever is open, chooses device `deviceId` (kDefaultDevice: the
    // default device; with `orDefault`, also when no device of that number is
    // listed), opens it at `rateHz`, queues all buffers and starts. 1 on
    // success; 0 when it does not open (then it stays closed, and the capture
    // keeps looking for the chosen device as for a lost input). Clears the
    // dropped count.
    int OpenCapture(int rateHz, unsigned deviceId, bool orDefault = false);
    // OpenCapture(rateHz, deviceId) without waiting; returns its epoch.
    std::uint32_t PostOpen(int rateHz, unsigned deviceId);
    // PauseCapture without waiting.
    void PostPause();
    // CloseCapture without waiting; the change hook runs once it is done.
    void PostClose();
    // True once every request made so far has been carried out and the last
    // one that opened or closed was a close: from then on no capture block is
    // published until the next open or resume is requested. The ring's
    // producer side is then free for another source (a file).
    bool Released() const;
    // Stops, takes all buffers back and closes the device. Safe to call on a
    // closed device and twice. Always 1.
    int CloseCapture();
    // Stops the device; buffers still queued stay with it. Ends the retries
    // of a lost input and clears the dropped count. Always 1.
    int PauseCapture();
    // Queues again the buffers handed back while paused, then starts. 1 when
    // the start succeeded; 0 on failure or on a closed device (which, when a
    // device was chosen, is then tried again as a lost input).
    int ResumeCapture();

    // The newest `count` samples, oldest first (SampleRing::FetchSamples).
    int FetchSamples(std::span<double> values, int count) { return ring_.FetchSamples(values, count); }
    // The same, only when they all follow the last gap (SampleRing::FetchContinuous).
    bool FetchContinuous(std::span<double> values, int count) { return ring_.FetchContinuous(values, count); }

    // Sets (or, with null, removes) the sink of stored blocks. Once it
    // returns, no append to a previous sink is in progress nor will follow.
    void SetBlockSink(BlockSink* sink);
    // Called on the capture thread when the input is lost or back, when the
    // device list changed, when a re-open chose a device and when a posted
    // close is done: it must only post (never wait for the thread that calls
    // the capture).
    void SetChangeHook(std::function<void()> hook);

    bool isRunning() const { return isRunning_.load(std::memory_order_acquire); }
    bool isOpen() const { return isOpen_.load(std::memory_order_acquire); }
    // True while the capture should run but no block arrives.
    bool inputLost() const { return inputLost_.load(std::memory_order_acquire); }
    // Blocks the device dropped since the last open or pause.
    std::uint32_t droppedBlocks() const { return droppedBlocks_.load(std::memory_order_acquire); }
    // Number of the open device, -1 while none is open.
    int openedDevice() const { return openedDevice_.load(std::memory_order_acquire); }
    // The chosen device's number as last listed (it follows the device when
    // it comes back at another number), once every request made so far has
    // been carried out; nothing while one is pending or nothing was chosen.
    std::optional<unsigned> SettledChoice() const;
    // The epoch of the last open requested.
    std::uint32_t lastOpenEpoch() const { return epochsRequested_.load(std::memory_order_acquire); }
    // The devices as last listed (at construction, by each retry, and by an
    // open after the layer's listing changed).
    std::vector<InputDevice> Devices() const;
    // The chosen device's name while it is away: the input is lost and no
    // listed device carries the name it was listed under when chosen. Empty
    // otherwise (also for a device chosen by a number no name was listed for).
    std::string GoneDeviceName() const;

    AudioInput& input() { return *input_; }
    const SampleRing& ring() const { return ring_; }
    // The ring's producer side for another source (a file) while Released()
    // (or once CloseCapture has returned): no capture block is being
    // published then, and none is until the next open or resume.
    SampleRing& ring() { return ring_; }

private:
    enum class BufferState : std::uint8_t { kIdle, kWithDevice, kHandedBack };
    enum class Op : std::uint8_t { kOpen, kClose, kPause, kResume, kQuit };
    struct Request {
        Op op;
        int rateHz = 0;
        unsigned device = 0;
        bool orDefault = false;
        std::uint32_t epoch = 0;
        std::optional<int>* reply = nullptr;  // the waiting caller's, or null
    };
    // What the callback leaves for the capture thread, one slot per buffer
    // (a buffer is with the device at most once, so its slot is free again).
    struct Mailbox {
        std::atomic<std::uint32_t> tag{0};
        std::atomic<std::uint32_t> bytesRecorded{0};
        std::atomic<std::uint32_t> runWord{0};  // runWord_ when the buffer came back
        std::atomic<std::uint64_t> arrival{0};  // order of arrival over all buffers
        std::atomic<bool> full{false};
    };
    struct Returned {
        std::uint32_t tag;
        std::uint32_t bytesRecorded;
        std::uint32_t runWord;
        std::uint64_t arrival;
    };
    using Clock = std::chrono::steady_clock;

    static void CaptureCallback(void* context, std::uint32_t tag, std::uint32_t bytesRecorded);
    int Call(Request request);
    void Post(Request request);
    void CaptureThread();
    int Execute(const Request& request);
    void TakeReturned();
    void TakeBack(const Returned& item);
    template <typename Sample>
    void Store(int slot, bool stored);
    void CountDropped();
    void Watch();
    void Recover();
    void Choose(unsigned device);
    std::optional<unsigned> FindChosen() const;
    bool OpenDevice(int rateHz, unsigned device);
    bool CloseDevice();
    bool FinishClose();
    void StartRun(bool running);
    void RefreshDevices();
    void SetLost(bool lost);
    void Notify();
    bool AllBuffersBack() const;
    std::uint32_t TagOf(int slot) const;
    void QueueBuffer(int slot);

    std::unique_ptr<AudioInput> input_;
    SampleRing ring_;

    // Requests from other threads, oldest first; `busy_` while one is being
    // carried out. All under requestLock_.
    mutable std::mutex requestLock_;
    std::condition_variable requestDone_;
    std::deque<Request> requests_;
    bool busy_ = false;
    bool released_ = true;  // the last open, resume or close carried out was a close
    std::atomic<std::uint32_t> epochsRequested_{0};

    // Capture thread only.
    bool open_ = false;
    bool stuck_ = false;        // a close timed out: the device keeps buffers
    bool wantRunning_ = false;  // opened or resumed, not paused or closed since
    int rateHz_ = 0;
    unsigned chosenDevice_ = kDefaultDevice;
    std::string chosenName_;  // empty: no device of that number was listed
    std::uint32_t epoch_ = 0;  // of the open carried out last
    std::uint32_t openGeneration_ = 0;
    std::uint32_t run_ = 0;
    std::uint32_t bufferBytes_ = 0;
    std::uint64_t nextArrival_ = 0;
    std::optional<std::uint64_t> gapBeforeArrival_;  // dropped blocks: mark a gap before this arrival
    std::uint32_t droppedSamples_ = 0;
    Clock::time_point lastBlock_{};
    Clock::time_point lastRetry_{};
    Clock::time_point lastTick_{};
    std::array<BufferState, kCaptureBuffers> bufferState_{};
    BufferSamples bufferKind_ = BufferSamples::kInt16;  // of the open device
    // Float storage, so that either kind of sample is aligned in it.
    std::array<std::array<float, kCaptureBufferBytes / sizeof(float)>, kCaptureBuffers> captureBuffers_{};

    // Between the callback and the capture thread.
    std::array<Mailbox, kCaptureBuffers> mailbox_{};
    std::atomic<std::uint64_t> arrivals_{0};
    std::atomic<std::uint32_t> samplesHandedBack_{0};  // since the open, wraps
    std::atomic<std::uint32_t> sampleBytes_{2};        // of the open device's samples
    std::atomic<int> buffersWithDevice_{0};
    // Run number << 1 | running: read by the callback for each buffer.
    std::atomic<std::uint32_t> runWord_{0};

    // Read by any thread.
    std::atomic<bool> isRunning_{false};
    std::atomic<bool> isOpen_{false};
    std::atomic<bool> inputLost_{false};
    std::atomic<std::uint32_t> droppedBlocks_{0};
    std::atomic<int> openedDevice_{-1};
    std::atomic<unsigned> chosenShown_{kDefaultDevice};  // chosenDevice_ for other threads

    mutable std::mutex devicesLock_;
    std::vector<InputDevice> devices_;
    std::string chosenNameShown_;  // chosenName_ for other threads

    std::mutex sinkLock_;
    BlockSink* sink_ = nullptr;
    std::function<void()> hook_;

    std::thread captureThread_;  // last: starts after every member above exists
};
