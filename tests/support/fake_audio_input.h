// FakeAudioInput: a wave-input layer for tests that behaves like the real one
// and checks the rules of AudioInput.
//
// - Devices have names; a device without a name fails its capability query.
// - A delivery thread fills the front queued buffer every `blockInterval`
//   with one "numbered block" (every sample = the block's number, counted
//   from 0 over the fake's life, modulo 32,768) and hands it back. With
//   float buffers (an endpoint's kind) the number carries a quarter more,
//   n + 0.25 on the 16-bit scale, which only a float sample holds. With no
//   buffer queued the block is lost (its number is skipped) and the position
//   still advances, as a real device's does.
// - Device number 0xFFFFFFFF opens the default device, as winmm's mapper id
//   does; such opens are counted. An unplugged device stops filling, leaves
//   the list and does not open until it is plugged in again.
// - Stop hands back the buffer being filled, partly filled with
//   kPartialSample, on the delivery thread, and keeps the rest queued; Reset
//   hands back all of them synchronously on the calling thread (as Wine
//   does); Close is refused while a buffer is still queued (as Windows does)
//   and returns only when no callback is running any more. HoldOnReset makes
//   Reset fail and keep the buffers (a driver that does not let go) until
//   ReleaseHeld.
// - Every broken rule is recorded in violations(): a call other than Wake
//   from the delivering thread or from inside the callback (a wait there
//   included), a buffer queued twice, a queue on a closed device, an open
//   over an open device. The threads that called the device are recorded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "capture/audio_input.h"

namespace testing_fake {

inline constexpr std::int16_t kPartialSample = -1;

class FakeAudioInput final : public AudioInput {
public:
    explicit FakeAudioInput(std::vector<std::optional<std::string>> devices,
                            std::chrono::microseconds blockInterval = std::chrono::microseconds(200),
                            unsigned defaultDevice = 0, BufferSamples kind = BufferSamples::kInt16)
        : devices_(std::move(devices)), interval_(blockInterval), default_(defaultDevice), kind_(kind),
          thread_([this] { Deliver(); }) {}

    ~FakeAudioInput() override {
        {
            std::lock_guard lock(m_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    int DeviceCount() override {
        Check("DeviceCount");
        std::lock_guard lock(m_);
        return static_cast<int>(devices_.size());
    }

    bool DeviceName(unsigned device, std::string& name) override {
        Check("DeviceName");
        std::lock_guard lock(m_);
        if (device >= devices_.size() || !devices_[device]) {
            return false;
        }
        name = *devices_[device];
        return true;
    }

    unsigned DefaultDevice() override {
        Check("DefaultDevice");
        std::lock_guard lock(m_);
        return default_;
    }

    bool Open(unsigned device, int rateHz, BufferDone done, void* context) override {
        CheckDeviceCall("Open");
        std::lock_guard lock(m_);
        if (open_) {
            Violation("Open on an open device");
        }
        if (device == kMapper) {
            ++mapperOpens_;
            device = default_;
        }
        if (device >= devices_.size() || !devices_[device]) {
            return false;
        }
        open_ = true;
        gone_ = false;
        openName_ = *devices_[device];
        position_ = 0;
        rateHz_ = rateHz;
        done_ = done;
        context_ = context;
        ++opens_;
        return true;
    }

    BufferSamples BufferKind() override { return kind_; }

    bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) override {
        CheckDeviceCall("Queue");
        std::lock_guard lock(m_);
        if (!open_) {
            Violation("Queue on a closed device");
            return false;
        }
        if (slot < 0 || slot >= kCaptureBuffers || held_[slot]) {
            Violation("buffer queued twice");
            return false;
        }
        held_[slot] = true;
        queue_.push_back({slot, data, bytes, tag, 0});
        wake_.notify_all();
        return true;
    }

    bool Start() override {
        CheckDeviceCall("Start");
        std::lock_guard lock(m_);
        if (!open_) {
            return false;
        }
        started_ = true;
        wake_.notify_all();
        return true;
    }

    bool Stop() override {
        CheckDeviceCall("Stop");
        std::lock_guard lock(m_);
        if (!open_) {
            return false;
        }
        if (started_ && !queue_.empty()) {
            Buffer b = queue_.front();
            queue_.pop_front();
            b.recorded = b.bytes / 2;
            position_ += b.recorded / SampleBytes();
            Fill(b, b.recorded, kPartialSample);
            handBack_.push_back(b);
            wake_.notify_all();
        }
        started_ = false;
        return true;
    }

    bool Reset() override {
        CheckDeviceCall("Reset");
        std::vector<Buffer> back;
        BufferDone done;
        void* context;
        {
            std::lock_guard lock(m_);
            if (!open_) {
                return false;
            }
            started_ = false;
            if (holdOnReset_) {
                return false;
            }
            back.assign(queue_.begin(), queue_.end());
            queue_.clear();
            done = done_;
            context = context_;
            inFlight_ += static_cast<int>(back.size());
            for (const Buffer& b : back) {
                held_[b.slot] = false;
            }
        }
        for (const Buffer& b : back) {
            CallBack(done, context, b.tag, b.recorded);
        }
        return true;
    }

    bool Close() override {
        CheckDeviceCall("Close");
        std::unique_lock lock(m_);
        if (!open_) {
            return false;
        }
        if (!queue_.empty()) {
            ++closeFailures_;
            return false;
        }
        idle_.wait(lock, [this] { return inFlight_ == 0 && handBack_.empty(); });
        open_ = false;
        started_ = false;
        return true;
    }

    bool Position(std::uint32_t& samples) override {
        CheckDeviceCall("Position");
        std::lock_guard lock(m_);
        if (!open_) {
            return false;
        }
        samples = position_;
        return true;
    }

    void Wake() override {
        std::lock_guard lock(wakeLock_);
        woken_ = true;
        wakeUp_.notify_all();
    }

    void WaitForWake(int timeoutMs) override {
        Check("WaitForWake");
        std::unique_lock lock(wakeLock_);
        wakeUp_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
        woken_ = false;
    }

    // Test controls and observations.
    void SetDelivering(bool on) {
        std::lock_guard lock(m_);
        delivering_ = on;
        wake_.notify_all();
    }
    int QueuedCount() {
        std::lock_guard lock(m_);
        return static_cast<int>(queue_.size());
    }
    // No buffer on its way back and no callback running.
    bool Quiet() {
        std::lock_guard lock(m_);
        return handBack_.empty() && inFlight_ == 0;
    }
    int RateHz() {
        std::lock_guard lock(m_);
        return rateHz_;
    }
    bool IsOpen() {
        std::lock_guard lock(m_);
        return open_;
    }
    int Opens() {
        std::lock_guard lock(m_);
        return opens_;
    }
    int CloseFailures() {
        std::lock_guard lock(m_);
        return closeFailures_;
    }
    std::vector<std::string> violations() {
        std::lock_guard lock(m_);
        return violations_;
    }
    // The open device stops filling and, with every device of that name,
    // leaves the list; the others keep their numbers.
    void Unplug() {
        std::lock_guard lock(m_);
        gone_ = true;
        for (auto& d : devices_) {
            if (d == openName_) {
                d.reset();
            }
        }
    }
    void SetDevices(std::vector<std::optional<std::string>> devices) {
        std::lock_guard lock(m_);
        devices_ = std::move(devices);
    }
    void HoldOnReset(bool on) {
        std::lock_guard lock(m_);
        holdOnReset_ = on;
    }
    // Hands back, on the delivery thread, the buffers a held reset kept.
    void ReleaseHeld() {
        std::lock_guard lock(m_);
        for (Buffer& b : queue_) {
            handBack_.push_back(b);
        }
        queue_.clear();
        wake_.notify_all();
    }
    long long LostBlocks() {
        std::lock_guard lock(m_);
        return lost_;
    }
    int MapperOpens() {
        std::lock_guard lock(m_);
        return mapperOpens_;
    }
    std::set<std::thread::id> DeviceCallers() {
        std::lock_guard lock(m_);
        return callers_;
    }
    std::thread::id DeliveryThread() const { return thread_.get_id(); }

private:
    struct Buffer {
        int slot;
        void* data;
        std::uint32_t bytes;
        std::uint32_t tag;
        std::uint32_t recorded;
    };

    // Every call into the layer: never from the delivering thread, never from
    // inside the callback (a reset's synchronous hand-back included).
    void Check(const char* what) {
        if (insideCallback_ || std::this_thread::get_id() == thread_.get_id()) {
            std::lock_guard lock(m_);
            Violation(std::string(what) + " called from the callback");
        }
    }
    // Calls that act on the device: also recorded by thread.
    void CheckDeviceCall(const char* what) {
        Check(what);
        std::lock_guard lock(m_);
        callers_.insert(std::this_thread::get_id());
    }
    void Violation(std::string what) { violations_.push_back(std::move(what)); }  // m_ held

    std::uint32_t SampleBytes() const { return BufferSampleBytes(kind_); }
    // The first `bytes` of the buffer hold `value` (on the 16-bit scale).
    void Fill(Buffer& b, std::uint32_t bytes, double value) {
        for (std::uint32_t i = 0; i < bytes / SampleBytes(); ++i) {
            if (kind_ == BufferSamples::kFloat32) {
                static_cast<float*>(b.data)[i] = static_cast<float>(value / 32768.0);
            } else {
                static_cast<std::int16_t*>(b.data)[i] = static_cast<std::int16_t>(value);
            }
        }
    }

    void CallBack(BufferDone done, void* context, std::uint32_t tag, std::uint32_t recorded) {
        insideCallback_ = true;
        done(context, tag, recorded);
        insideCallback_ = false;
        std::lock_guard lock(m_);
        --inFlight_;
        idle_.notify_all();
    }

    void Deliver() {
        std::unique_lock lock(m_);
        for (;;) {
            wake_.wait_for(lock, interval_, [this] {
                return quit_ || !handBack_.empty() || (started_ && delivering_ && !gone_);
            });
            if (quit_) {
                return;
            }
            Buffer b{};
            if (!handBack_.empty()) {
                b = handBack_.front();
                handBack_.pop_front();
            } else if (started_ && delivering_ && !gone_) {
                lock.unlock();
                std::this_thread::sleep_for(interval_);
                lock.lock();
                if (!(started_ && delivering_ && !gone_)) {
                    continue;
                }
                position_ += kSamplesPerBlock;
                if (queue_.empty()) {
                    ++lost_;
                    ++delivered_;
                    continue;
                }
                b = queue_.front();
                queue_.pop_front();
                Fill(b, b.bytes, static_cast<double>(delivered_ % 32768) + (kind_ == BufferSamples::kFloat32 ? 0.25 : 0.0));
                b.recorded = b.bytes;
                ++delivered_;
            } else {
                continue;
            }
            held_[b.slot] = false;
            ++inFlight_;
            BufferDone done = done_;
            void* context = context_;
            lock.unlock();
            CallBack(done, context, b.tag, b.recorded);
            lock.lock();
        }
    }

    static inline thread_local bool insideCallback_ = false;

    static constexpr unsigned kMapper = 0xFFFFFFFFu;
    static constexpr std::uint32_t kSamplesPerBlock = 512;

    std::vector<std::optional<std::string>> devices_;
    const std::chrono::microseconds interval_;
    const unsigned default_;
    const BufferSamples kind_;

    std::mutex m_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool quit_ = false;
    bool open_ = false;
    bool started_ = false;
    bool delivering_ = true;
    int rateHz_ = 0;
    BufferDone done_ = nullptr;
    void* context_ = nullptr;
    std::deque<Buffer> queue_;
    std::deque<Buffer> handBack_;
    bool held_[kCaptureBuffers] = {};
    int inFlight_ = 0;
    long long delivered_ = 0;
    int opens_ = 0;
    int closeFailures_ = 0;
    int mapperOpens_ = 0;
    bool gone_ = false;
    bool holdOnReset_ = false;
    std::optional<std::string> openName_;
    std::uint32_t position_ = 0;
    long long lost_ = 0;
    std::set<std::thread::id> callers_;
    std::vector<std::string> violations_;

    std::mutex wakeLock_;
    std::condition_variable wakeUp_;
    bool woken_ = false;

    std::thread thread_;  // last: starts after every member above exists
};

}  // namespace testing_fake
