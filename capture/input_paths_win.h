// InputPaths: the capture's AudioInput with two ways in, chosen by the user:
// the wave-input devices (WinmmInput, numbered as the system lists them) or
// one audio endpoint (WasapiInput, device 0 while it is there).
//
// A choice made by Select takes effect at the next listing or open made while
// nothing is open, so that an open device is always stopped, reset and closed
// through the layer that opened it; the capture's next open (PostOpen) is such
// a moment.
//
// Threads: Select, selectedPath, selectedEndpoint, mixRateHz,
// endpointChannels, SetChannel and channel from any thread (one small lock,
// atomics); the AudioInput calls from the capture thread. One wake-up event
// serves both layers: the capture waits on this one.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "capture/audio_input.h"
#include "capture/wasapi_input_win.h"
#include "capture/winmm_input_win.h"

enum class InputPath : std::uint8_t { kWave, kEndpoint };

class InputPaths final : public AudioInput {
public:
    InputPaths() = default;
    InputPaths(const InputPaths&) = delete;
    InputPaths& operator=(const InputPaths&) = delete;

    // The path for the next open; `endpointId` counts for kEndpoint only.
    void Select(InputPath path, const std::wstring& endpointId);
    InputPath selectedPath() const;
    std::wstring selectedEndpoint() const;
    // The endpoint's mix rate at its last open, Hz (0 before one).
    int mixRateHz() const { return endpoint_.mixRateHz(); }
    // The endpoint's channels at its last open (0 before one), and the
    // channel of them analysed (channel_choice.h).
    int endpointChannels() const { return endpoint_.channels(); }
    void SetChannel(int choice) { endpoint_.SetChannel(choice); }
    int channel() const { return endpoint_.channel(); }

    int DeviceCount() override { return Listing().DeviceCount(); }
    unsigned DefaultDevice() override { return Listing().DefaultDevice(); }
    bool DeviceName(unsigned device, std::string& name) override { return Listing().DeviceName(device, name); }
    bool Open(unsigned device, int rateHz, BufferDone done, void* context) override;
    BufferSamples BufferKind() override { return open_ != nullptr ? open_->BufferKind() : BufferSamples::kInt16; }
    bool Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) override {
        return open_ != nullptr && open_->Queue(slot, data, bytes, tag);
    }
    bool Start() override { return open_ != nullptr && open_->Start(); }
    bool Stop() override { return open_ != nullptr && open_->Stop(); }
    bool Reset() override { return open_ != nullptr && open_->Reset(); }
    bool Close() override;
    bool ListingChanged() override;
    bool Position(std::uint32_t& samples) override { return open_ != nullptr && open_->Position(samples); }
    void Wake() override;
    void WaitForWake(int timeoutMs) override;

private:
    // The layer to list or open: the open one, else the one selected last.
    AudioInput& Listing();

    mutable std::mutex lock_;
    InputPath path_ = InputPath::kWave;
    std::wstring endpointId_;

    // Capture thread only.
    WinmmInput wave_;
    WasapiInput endpoint_;
    AudioInput* open_ = nullptr;
    InputPath listedPath_ = InputPath::kWave;  // of the last listing or open
    std::wstring listedEndpoint_;
    UniqueHandle wakeEvent_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};
