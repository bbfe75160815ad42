// WasapiInput: AudioInput over one audio endpoint in shared mode, known by its
// endpoint ID: a capture endpoint is captured as it is, a render endpoint
// through loopback (what this PC plays).
//
// Devices: the one endpoint set by SetEndpoint is device 0 while it is active,
// under its friendly name; otherwise there is no device, so the capture waits
// for that endpoint and never takes another in its place.
//
// Rate: a stream opened at the endpoint's mix rate takes the mix format as it
// is; at another rate the system converts. mixRateHz tells the mix rate of the
// last open.
//
// Samples: float with full scale at +-1.0, nothing rounded: the chosen
// channel of each packet, or the mix of all (SetChannel), into the caller's
// buffers (EndpointFeed, PacketBuffers). A choice made while the stream runs
// holds from the next packet on. A loopback stream whose endpoint
// plays nothing delivers no packets: that quiet goes into the buffers as
// silence, so the input is not taken for lost. A stream the system reports
// broken (the endpoint removed, the sound server gone) delivers nothing more.
//
// Threads: the AudioInput calls come from the caller's one thread (the
// capture's) as audio_input.h says; the stream lives on a service thread of
// its own, started by Open and ended by Close, in COM's multithreaded
// apartment; it polls the stream every kPollMs. BufferDone runs on the
// service thread, and on the caller's thread inside Stop and Reset.
//
// Ownership: every COM object belongs to the service thread's stack.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "base/unique_handle_win.h"
#include "capture/audio_input.h"
#include "capture/channel_choice.h"
#include "capture/packet_buffers.h"

class WasapiInput final : public AudioInput {
public:
    // How often the service thread looks for packets, milliseconds.
    static constexpr int kPollMs = 10;

    WasapiInput() = default;
    ~WasapiInput() override;
    WasapiInput(const WasapiInput&) = delete;
    WasapiInput& operator=(const WasapiInput&) = delete;

    // The endpoint this layer stands for; the caller's thread, while closed.
    void SetEndpoint(const std::wstring& id) { endpointId_ = id; }
    // The mix rate of the last open, Hz; 0 before one. Any thread.
    int mixRateHz() const { return mixRateHz_.load(std::memory_order_acquire); }
    // The channels of the last open's stream; 0 before one. Any thread.
    int channels() const { return channels_.load(std::memory_order_acquire); }
    // The channel analysed (channel_choice.h); any thread, at any time.
    void SetChannel(int choice) { channel_.store(choice, std::memory_order_relaxed); }
    int channel() const { return channel_.load(std::memory_order_relaxed); }

    int DeviceCount() override;
    unsigned DefaultDevice() override { return 0; }
    bool DeviceName(unsigned device, std::string& name) override;
    bool Open(unsigned device, int rateHz, BufferDone done, void* context) override;
    BufferSamples BufferKind() override { return BufferSamples::kFloat32; }
    bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) override;
    bool Start() override;
    bool Stop() override;
    bool Reset() override;
    bool Close() override;
    bool Position(std::uint32_t& samples) override;
    void Wake() override;
    void WaitForWake(int timeoutMs) override;

private:
    enum class OpenState : int { kPending, kOpened, kFailed };
    void Service(int rateHz);

    std::wstring endpointId_;
    std::thread service_;
    std::atomic<OpenState> openState_{OpenState::kPending};
    std::atomic<bool> quit_{false};
    std::atomic<bool> wantRunning_{false};
    std::atomic<int> mixRateHz_{0};
    std::atomic<int> channels_{0};
    std::atomic<int> channel_{kChannelLeft};
    PacketBuffers buffers_;
    UniqueHandle serviceEvent_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // wakes the service thread
    UniqueHandle openedEvent_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};   // the open has its result
    UniqueHandle wakeEvent_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};
