#include "capture/wave_capture.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// A tag is generation × kCaptureBuffers + slot; generations wrap before the
// product leaves 32 bits.
constexpr std::uint32_t kGenerations = UINT32_MAX / kCaptureBuffers;

// The capture thread looks at the clock at least this often, milliseconds.
constexpr int kWatchPeriodMs = 100;

// Sink ticks, milliseconds apart.
constexpr int kTickPeriodMs = 1000;

constexpr std::uint32_t kRunningBit = 1;

std::uint32_t RunWord(std::uint32_t run, bool running) { return (run << 1) | (running ? kRunningBit : 0); }

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
    const unsigned device = deviceIndex >= 0 ? static_cast<unsigned>(deviceIndex) : kDefaultDevice;
    const int opened = capture.OpenCapture(rateHz, device, true);
    if (const std::optional<unsigned> chosen = capture.SettledChoice()) {
        deviceIndex = static_cast<std::int32_t>(*chosen);
    }
    return opened;
}

WaveCapture::WaveCapture(std::unique_ptr<AudioInput> input) : input_(std::move(input)) {
    assert(input_);
    // The capture thread does not exist yet: nothing else calls the input.
    devices_ = ListInputDevices(*input_);
    captureThread_ = std::thread([this] { CaptureThread(); });
}

WaveCapture::~WaveCapture() {
    Call({Op::kQuit});
    captureThread_.join();
}

int WaveCapture::OpenCapture(int rateHz, unsigned deviceId, bool orDefault) {
    const std::uint32_t epoch = epochsRequested_.fetch_add(1, std::memory_order_acq_rel) + 1;
    return Call({Op::kOpen, rateHz, deviceId, orDefault, epoch});
}
int WaveCapture::CloseCapture() { return Call({Op::kClose}); }
int WaveCapture::PauseCapture() { return Call({Op::kPause}); }
int WaveCapture::ResumeCapture() { return Call({Op::kResume}); }

std::uint32_t WaveCapture::PostOpen(int rateHz, unsigned deviceId) {
    const std::uint32_t epoch = epochsRequested_.fetch_add(1, std::memory_order_acq_rel) + 1;
    Post({Op::kOpen, rateHz, deviceId, false, epoch});
    return epoch;
}
void WaveCapture::PostPause() { Post({Op::kPause}); }
void WaveCapture::PostClose() { Post({Op::kClose}); }

bool WaveCapture::Released() const {
    std::lock_guard lock(requestLock_);
    return released_ && !busy_ && requests_.empty();
}

std::optional<unsigned> WaveCapture::SettledChoice() const {
    std::lock_guard lock(requestLock_);
    const unsigned chosen = chosenShown_.load(std::memory_order_acquire);
    if (busy_ || !requests_.empty() || chosen == kDefaultDevice) {
        return std::nullopt;
    }
    return chosen;
}

void WaveCapture::SetBlockSink(BlockSink* sink) {
    std::lock_guard lock(sinkLock_);
    sink_ = sink;
}

void WaveCapture::SetChangeHook(std::function<void()> hook) {
    std::lock_guard lock(sinkLock_);
    hook_ = std::move(hook);
}

std::vector<InputDevice> WaveCapture::Devices() const {
    std::lock_guard lock(devicesLock_);
    return devices_;
}

std::string WaveCapture::GoneDeviceName() const {
    if (!inputLost()) {
        return {};
    }
    std::lock_guard lock(devicesLock_);
    for (const InputDevice& device : devices_) {
        if (device.name == chosenNameShown_) {
            return {};
        }
    }
    return chosenNameShown_;
}

int WaveCapture::Call(Request request) {
    std::optional<int> reply;
    request.reply = &reply;
    Post(request);
    std::unique_lock lock(requestLock_);
    requestDone_.wait(lock, [&reply] { return reply.has_value(); });
    return *reply;
}

void WaveCapture::Post(Request request) {
    {
        std::lock_guard lock(requestLock_);
        if (request.op == Op::kOpen) {
            // An open starts from a closed device whatever came before it:
            // what is still pending and waited for by no one need not be
            // carried out first (commands given faster than a device opens
            // never pile up).
            std::erase_if(requests_, [](const Request& r) { return r.reply == nullptr; });
        }
        requests_.push_back(request);
    }
    input_->Wake();
}

// Runs on the device's service thread (or, during a reset under Wine, on the
// capture thread itself). Only atomics and the wake-up: no lock, no wait.
void WaveCapture::CaptureCallback(void* context, std::uint32_t tag, std::uint32_t bytesRecorded) {
    auto* self = static_cast<WaveCapture*>(context);
    self->samplesHandedBack_.fetch_add(bytesRecorded / self->sampleBytes_.load(std::memory_order_relaxed),
                                       std::memory_order_relaxed);
    Mailbox& box = self->mailbox_[tag % kCaptureBuffers];
    box.tag.store(tag, std::memory_order_relaxed);
    box.bytesRecorded.store(bytesRecorded, std::memory_order_relaxed);
    box.runWord.store(self->runWord_.load(std::memory_order_acquire), std::memory_order_relaxed);
    box.arrival.store(self->arrivals_.fetch_add(1, std::memory_order_acq_rel), std::memory_order_relaxed);
    box.full.store(true, std::memory_order_release);
    // After the count above: whoever sees no buffer with the device sees every sample handed back.
    self->buffersWithDevice_.fetch_sub(1, std::memory_order_acq_rel);
    self->input_->Wake();
}

void WaveCapture::CaptureThread() {
    lastTick_ = Clock::now();
    for (;;) {
        TakeReturned();
        std::optional<Request> request;
        {
            std::lock_guard lock(requestLock_);
            if (!requests_.empty()) {
                request = requests_.front();
                requests_.pop_front();
                busy_ = true;
            }
        }
        if (request) {
            const int result = Execute(*request);
            {
                std::lock_guard lock(requestLock_);
                busy_ = false;
                if (request->op == Op::kClose || request->op == Op::kQuit) {
                    released_ = true;
                } else if (request->op == Op::kOpen || request->op == Op::kResume) {
                    released_ = false;
                }
                if (request->reply != nullptr) {
                    *request->reply = result;
                }
            }
            requestDone_.notify_all();
            if (request->op == Op::kClose && request->reply == nullptr) {
                Notify();  // the owner may hand the ring to another source now
            }
            if (request->op == Op::kQuit) {
                return;
            }
            continue;  // the next request first
        }
        Watch();
        bool pending = false;
        {
            // A wake-up consumed by a wait inside the work above must not
            // hold a request back.
            std::lock_guard lock(requestLock_);
            pending = !requests_.empty();
        }
        if (!pending) {
            input_->WaitForWake(kWatchPeriodMs);
        }
    }
}

int WaveCapture::Execute(const Request& request) {
    switch (request.op) {
    case Op::kOpen: {
        droppedBlocks_.store(0, std::memory_order_release);
        wantRunning_ = false;
        const bool closed = CloseDevice();
        SetLost(false);
        if (request.rateHz <= 0) {
            return 0;
        }
        rateHz_ = request.rateHz;
        epoch_ = request.epoch;
        // Another way in lists other devices: list them before choosing.
        if (closed && input_->ListingChanged()) {
            RefreshDevices();
        }
        const std::vector<InputDevice> listed = Devices();
        const bool unlisted = std::none_of(listed.begin(), listed.end(),
                                           [&](const InputDevice& d) { return d.number == request.device; });
        const unsigned device = request.device == kDefaultDevice || (request.orDefault && unlisted)
                                    ? input_->DefaultDevice()
                                    : request.device;
        Choose(device);
        wantRunning_ = true;  // a device that does not open is waited for
        lastRetry_ = Clock::now();
        return closed && OpenDevice(request.rateHz, device) ? 1 : 0;
    }
    case Op::kClose:
        wantRunning_ = false;
        CloseDevice();
        SetLost(false);
        return 1;
    case Op::kPause:
        droppedBlocks_.store(0, std::memory_order_release);
        wantRunning_ = false;
        isRunning_.store(false, std::memory_order_release);
        if (open_) {
            runWord_.store(RunWord(run_, false), std::memory_order_release);
            input_->Stop();
        }
        SetLost(false);
        return 1;
    case Op::kResume: {
        if (!open_) {
            wantRunning_ = rateHz_ > 0;
            return 0;
        }
        wantRunning_ = true;
        if ((runWord_.load(std::memory_order_relaxed) & kRunningBit) == 0) {
            // Buffers handed back while paused go back before the device
            // restarts; their partial contents are neither stored nor recorded.
            for (int slot = 0; slot < kCaptureBuffers; ++slot) {
                if (bufferState_[slot] == BufferState::kHandedBack) {
                    QueueBuffer(slot);
                }
            }
            StartRun(true);
        }
        return input_->Start() ? 1 : 0;
    }
    case Op::kQuit:
        wantRunning_ = false;
        CloseDevice();
        return 1;
    }
    return 0;
}

// The device a lost input is looked for again: its name as listed, and its number.
void WaveCapture::Choose(unsigned device) {
    chosenDevice_ = device;
    chosenShown_.store(device, std::memory_order_release);
    chosenName_.clear();
    for (const InputDevice& listed : Devices()) {
        if (listed.number == device) {
            chosenName_ = listed.name;
        }
    }
    std::lock_guard lock(devicesLock_);
    chosenNameShown_ = chosenName_;
}

// Where the chosen device is listed now, if it can be told (see Lost input).
std::optional<unsigned> WaveCapture::FindChosen() const {
    const std::vector<InputDevice> devices = Devices();
    if (chosenName_.empty()) {
        for (const InputDevice& listed : devices) {
            if (listed.number == chosenDevice_) {
                return chosenDevice_;
            }
        }
        return std::nullopt;
    }
    std::optional<unsigned> only;
    int named = 0;
    bool atItsNumber = false;
    for (const InputDevice& listed : devices) {
        if (listed.name == chosenName_) {
            ++named;
            only = listed.number;
            atItsNumber = atItsNumber || listed.number == chosenDevice_;
        }
    }
    if (named == 1) {
        return only;
    }
    return atItsNumber ? std::optional<unsigned>(chosenDevice_) : std::nullopt;
}

// A new run: blocks of earlier runs still on their way are dropped, and the
// ring learns that what follows does not continue what it holds.
void WaveCapture::StartRun(bool running) {
    run_ = (run_ + 1) & (UINT32_MAX >> 1);
    runWord_.store(RunWord(run_, running), std::memory_order_release);
    isRunning_.store(running, std::memory_order_release);
    gapBeforeArrival_.reset();
    ring_.MarkGap();
    lastBlock_ = Clock::now();
}

bool WaveCapture::OpenDevice(int rateHz, unsigned device) {
    assert(!open_ && !stuck_);
    if (device == kDefaultDevice) {
        device = input_->DefaultDevice();
    }
    // No device holds a buffer now: clearing them races with nothing.
    for (auto& buffer : captureBuffers_) {
        buffer.fill(0);
    }
    if (!input_->Open(device, rateHz, &WaveCapture::CaptureCallback, this)) {
        return false;
    }
    open_ = true;
    isOpen_.store(true, std::memory_order_release);
    openedDevice_.store(static_cast<int>(device), std::memory_order_release);
    bufferKind_ = input_->BufferKind();
    const std::uint32_t sampleBytes = BufferSampleBytes(bufferKind_);
    sampleBytes_.store(sampleBytes, std::memory_order_relaxed);  // before any buffer is queued
    bufferBytes_ = BufferBytesForRate(rateHz) / 2 * sampleBytes;
    samplesHandedBack_.store(0, std::memory_order_relaxed);
    droppedSamples_ = 0;
    StartRun(false);  // nothing of this open is stored before all buffers are queued
    for (int slot = 0; slot < kCaptureBuffers; ++slot) {
        QueueBuffer(slot);
    }
    StartRun(true);
    input_->Start();
    return true;
}

bool WaveCapture::CloseDevice() {
    isRunning_.store(false, std::memory_order_release);
    if (!open_) {
        return FinishClose();
    }
    runWord_.store(RunWord(run_, false), std::memory_order_release);
    input_->Stop();
    // The reset may hand the buffers back on this very thread (Wine does);
    // the callback only fills their mailboxes, taken in below. A device that
    // refuses the reset (its sound server gone) hands nothing back: no wait.
    const bool reset = input_->Reset();
    const auto end = Clock::now() + std::chrono::milliseconds(reset ? kTakeBackTimeoutMs : 0);
    for (;;) {
        TakeReturned();
        const auto now = Clock::now();
        if (AllBuffersBack() || now >= end) {
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        input_->WaitForWake(static_cast<int>(std::min<long long>(left + 1, kWatchPeriodMs)));
    }
    open_ = false;
    isOpen_.store(false, std::memory_order_release);
    openedDevice_.store(-1, std::memory_order_release);
    stuck_ = true;  // until FinishClose has closed the device
    return FinishClose();
}

// The second half of a close: only when the device agrees to close (with
// buffers still queued, some layers refuse) are the buffers free again.
bool WaveCapture::FinishClose() {
    if (!stuck_) {
        return true;
    }
    if (!input_->Close()) {
        return false;
    }
    stuck_ = false;
    openGeneration_ = (openGeneration_ + 1) % kGenerations;  // stragglers of this open are dropped
    bufferState_.fill(BufferState::kIdle);
    return true;
}

std::uint32_t WaveCapture::TagOf(int slot) const {
    return openGeneration_ * kCaptureBuffers + static_cast<std::uint32_t>(slot);
}

void WaveCapture::QueueBuffer(int slot) {
    // Counted before the call: the buffer may come back before it returns.
    buffersWithDevice_.fetch_add(1, std::memory_order_acq_rel);
    if (input_->Queue(slot, captureBuffers_[slot].data(), bufferBytes_, TagOf(slot))) {
        bufferState_[slot] = BufferState::kWithDevice;
    } else {
        buffersWithDevice_.fetch_sub(1, std::memory_order_acq_rel);
        bufferState_[slot] = BufferState::kHandedBack;  // tried again at the next resume
    }
}

bool WaveCapture::AllBuffersBack() const {
    return std::none_of(bufferState_.begin(), bufferState_.end(),
                        [](BufferState s) { return s == BufferState::kWithDevice; });
}

// Takes the returned buffers in the order they arrived. One whose callback
// has counted its arrival but not yet filled its mailbox holds the later ones
// back until its wake-up.
void WaveCapture::TakeReturned() {
    for (;;) {
        bool found = false;
        for (Mailbox& box : mailbox_) {
            if (box.full.load(std::memory_order_acquire) && box.arrival.load(std::memory_order_relaxed) == nextArrival_) {
                const Returned item{box.tag.load(std::memory_order_relaxed),
                                    box.bytesRecorded.load(std::memory_order_relaxed),
                                    box.runWord.load(std::memory_order_relaxed), nextArrival_};
                box.full.store(false, std::memory_order_relaxed);
                ++nextArrival_;
                TakeBack(item);
                found = true;
                break;
            }
        }
        if (!found) {
            return;
        }
    }
}

void WaveCapture::TakeBack(const Returned& item) {
    const int slot = static_cast<int>(item.tag % kCaptureBuffers);
    if (item.tag != TagOf(slot) || bufferState_[slot] != BufferState::kWithDevice) {
        return;  // a buffer of an earlier open
    }
    bufferState_[slot] = BufferState::kHandedBack;
    if (!open_) {
        return;  // a close is waiting for it
    }
    if (gapBeforeArrival_ && item.arrival >= *gapBeforeArrival_) {
        gapBeforeArrival_.reset();
        ring_.MarkGap();
    }
    const bool stored = item.runWord == RunWord(run_, true) && item.bytesRecorded >= bufferBytes_;
    if (bufferKind_ == BufferSamples::kFloat32) {
        Store<float>(slot, stored);
    } else {
        Store<std::int16_t>(slot, stored);
    }
}

// The second half of a buffer's return: its block (when `stored`) is copied
// out, the buffer goes back to the device, the block to the ring and the sink.
template <typename Sample>
void WaveCapture::Store(int slot, bool stored) {
    std::array<Sample, kBlockSamples> block;
    if (stored) {
        std::memcpy(block.data(), captureBuffers_[slot].data(), sizeof block);
    }
    if (runWord_.load(std::memory_order_relaxed) & kRunningBit) {
        CountDropped();
        QueueBuffer(slot);
    }
    if (!stored) {
        return;
    }
    lastBlock_ = Clock::now();
    SetLost(false);
    const std::span<const Sample, kBlockSamples> samples(block);
    ring_.Publish(samples);
    std::lock_guard lock(sinkLock_);
    if (sink_ != nullptr) {
        sink_->AppendBlock(samples, epoch_);
    }
}

// With no buffer left with the device, every sample it captured and did not
// hand back is lost: its position tells how many.
void WaveCapture::CountDropped() {
    if (buffersWithDevice_.load(std::memory_order_acquire) != 0) {
        return;
    }
    std::uint32_t position = 0;
    if (!input_->Position(position)) {
        return;
    }
    const std::uint32_t handedBack = samplesHandedBack_.load(std::memory_order_acquire);
    const std::uint32_t lost = position - handedBack - droppedSamples_;  // wraps with the counters
    if (lost == 0 || lost > UINT32_MAX / 2) {
        return;
    }
    droppedSamples_ += lost;
    // Whole blocks only: a position that runs a little ahead of the handed-back
    // count (a buffer in the making) is no drop.
    const std::uint32_t blocks = lost / kBlockSamples;
    if (blocks == 0) {
        return;
    }
    droppedBlocks_.fetch_add(blocks, std::memory_order_acq_rel);
    // Every buffer that came back so far holds samples from before the loss.
    gapBeforeArrival_ = arrivals_.load(std::memory_order_acquire);
}

void WaveCapture::Watch() {
    const auto now = Clock::now();
    if (now - lastTick_ >= std::chrono::milliseconds(kTickPeriodMs)) {
        lastTick_ = now;
        std::lock_guard lock(sinkLock_);
        if (sink_ != nullptr) {
            sink_->Tick();
        }
    }
    if (!wantRunning_) {
        return;
    }
    if (open_ && now - lastBlock_ < std::chrono::milliseconds(kInputLostMs)) {
        return;
    }
    if (!inputLost_.load(std::memory_order_relaxed)) {
        ring_.MarkGap();
        gapBeforeArrival_.reset();
        lastRetry_ = now;
        SetLost(true);
        return;
    }
    if (now - lastRetry_ >= std::chrono::milliseconds(kRetryPeriodMs)) {
        lastRetry_ = now;
        Recover();
    }
}

// One attempt to bring a lost input back: close what is open (unless the
// device still holds buffers), list the devices and open the chosen one where
// it now stands; nothing when it is not there.
void WaveCapture::Recover() {
    if (!CloseDevice()) {
        return;
    }
    RefreshDevices();
    const std::optional<unsigned> device = FindChosen();
    if (!device || !OpenDevice(rateHz_, *device)) {
        return;
    }
    chosenDevice_ = *device;
    chosenShown_.store(*device, std::memory_order_release);
    Notify();
}

void WaveCapture::RefreshDevices() {
    std::vector<InputDevice> listed = ListInputDevices(*input_);
    bool changed = false;
    {
        std::lock_guard lock(devicesLock_);
        changed = listed.size() != devices_.size() ||
                  !std::equal(listed.begin(), listed.end(), devices_.begin(), [](const auto& a, const auto& b) {
                      return a.number == b.number && a.name == b.name;
                  });
        if (changed) {
            devices_ = std::move(listed);
        }
    }
    if (changed) {
        Notify();
    }
}

void WaveCapture::SetLost(bool lost) {
    if (inputLost_.exchange(lost, std::memory_order_acq_rel) != lost) {
        Notify();
    }
}

void WaveCapture::Notify() {
    std::lock_guard lock(sinkLock_);
    if (hook_) {
        hook_();
    }
}
