#include "capture/wasapi_input_win.h"

#include <audioclient.h>
#include <mmreg.h>

#include <chrono>

#include "capture/endpoint_feed.h"
#include "capture/mix_samples.h"
#include "capture/wasapi_endpoints_win.h"

namespace {

using Clock = std::chrono::steady_clock;

// The first channel's sample type of a stream format; false for a type the
// analysis cannot take.
bool LayoutOf(const WAVEFORMATEX& format, MixLayout& layout) {
    WORD tag = format.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22) {
        // The sub-format GUIDs differ from the format tags only in their first field.
        tag = static_cast<WORD>(reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format).SubFormat.Data1);
    }
    layout.channels = format.nChannels;
    layout.frameBytes = format.nBlockAlign;
    if (format.nChannels < 1 || format.nBlockAlign < format.nChannels * format.wBitsPerSample / 8) {
        return false;
    }
    if (tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32) {
        layout.kind = MixSampleKind::kFloat32;
    } else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16) {
        layout.kind = MixSampleKind::kInt16;
    } else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 24) {
        layout.kind = MixSampleKind::kInt24;
    } else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 32) {
        layout.kind = MixSampleKind::kInt32;
    } else {
        return false;
    }
    return true;
}

std::int64_t MsSince(Clock::time_point start, Clock::time_point now) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
}

}  // namespace

WasapiInput::~WasapiInput() {
    if (service_.joinable()) {
        Reset();
        Close();
    }
}

int WasapiInput::DeviceCount() {
    EndpointComScope com;
    Endpoint endpoint;
    return FindEndpoint(endpointId_, endpoint) ? 1 : 0;
}

bool WasapiInput::DeviceName(unsigned device, std::string& name) {
    EndpointComScope com;
    Endpoint endpoint;
    if (device != 0 || !FindEndpoint(endpointId_, endpoint)) {
        return false;
    }
    char text[kDeviceNameMaxChars + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, endpoint.name.c_str(), -1, text, sizeof text, nullptr, nullptr);
    text[kDeviceNameMaxChars] = '\0';
    name = text;
    return true;
}

bool WasapiInput::Open(unsigned device, int rateHz, BufferDone done, void* context) {
    if (service_.joinable() || device != 0 || !serviceEvent_ || !openedEvent_) {
        return false;
    }
    buffers_.Restart(done, context);
    quit_.store(false, std::memory_order_release);
    wantRunning_.store(false, std::memory_order_release);
    openState_.store(OpenState::kPending, std::memory_order_release);
    ResetEvent(openedEvent_.get());
    service_ = std::thread([this, rateHz] { Service(rateHz); });
    WaitForSingleObject(openedEvent_.get(), INFINITE);
    if (openState_.load(std::memory_order_acquire) == OpenState::kOpened) {
        return true;
    }
    service_.join();
    return false;
}

bool WasapiInput::Queue(int slot, void* data, std::uint32_t bytes, std::uint32_t tag) {
    return service_.joinable() && buffers_.Queue(slot, data, bytes, tag);
}

bool WasapiInput::Start() {
    if (!service_.joinable()) {
        return false;
    }
    buffers_.SetAccepting(true);
    wantRunning_.store(true, std::memory_order_release);
    SetEvent(serviceEvent_.get());
    return true;
}

bool WasapiInput::Stop() {
    if (!service_.joinable()) {
        return false;
    }
    wantRunning_.store(false, std::memory_order_release);
    buffers_.SetAccepting(false);
    buffers_.HandBackFilling();
    SetEvent(serviceEvent_.get());
    return true;
}

bool WasapiInput::Reset() {
    if (!service_.joinable()) {
        return false;
    }
    wantRunning_.store(false, std::memory_order_release);
    buffers_.SetAccepting(false);
    buffers_.HandBackAll();
    SetEvent(serviceEvent_.get());
    return true;
}

bool WasapiInput::Close() {
    if (!service_.joinable()) {
        return false;
    }
    quit_.store(true, std::memory_order_release);
    SetEvent(serviceEvent_.get());
    service_.join();
    buffers_.SetAccepting(false);
    buffers_.Clear();
    return true;
}

bool WasapiInput::Position(std::uint32_t& samples) {
    if (!service_.joinable()) {
        return false;
    }
    samples = buffers_.Position();
    return true;
}

void WasapiInput::Wake() {
    if (wakeEvent_) {
        SetEvent(wakeEvent_.get());
    }
}

void WasapiInput::WaitForWake(int timeoutMs) {
    if (!wakeEvent_) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return;
    }
    WaitForSingleObject(wakeEvent_.get(), static_cast<DWORD>(timeoutMs));
}

// The service thread: opens the stream, reports the open's result, then
// carries packets into the buffers until Close. Every COM object goes before
// the apartment ends.
void WasapiInput::Service(int rateHz) {
    EndpointComScope com;
    {
        EndpointClient stream;
        MixLayout layout;
        UINT32 bufferFrames = 0;
        const bool opened = SUCCEEDED(OpenEndpointClient(endpointId_, rateHz, stream)) &&
                            LayoutOf(*stream.format, layout) && SUCCEEDED(stream.client->GetBufferSize(&bufferFrames));
        IAudioCaptureClient* capture = stream.capture.get();
        EndpointFeed feed(buffers_);
        if (opened) {
            // A packet never exceeds the stream's buffer.
            feed.Begin(layout, static_cast<int>(stream.format->nSamplesPerSec), stream.loopback, bufferFrames);
            mixRateHz_.store(stream.mixRateHz, std::memory_order_release);
            channels_.store(layout.channels, std::memory_order_release);
        }
        openState_.store(opened ? OpenState::kOpened : OpenState::kFailed, std::memory_order_release);
        SetEvent(openedEvent_.get());
        if (!opened) {
            return;
        }
        const Clock::time_point opening = Clock::now();
        const auto now = [opening] { return MsSince(opening, Clock::now()); };
        bool started = false;
        bool broken = false;
        while (!quit_.load(std::memory_order_acquire)) {
            WaitForSingleObject(serviceEvent_.get(), kPollMs);
            const bool want = wantRunning_.load(std::memory_order_acquire);
            if (want != started) {
                broken = broken || FAILED(want ? stream.client->Start() : stream.client->Stop());
                started = want;
                feed.Started(now());
            }
            if (!started || broken) {
                continue;
            }
            UINT32 packetFrames = 0;
            HRESULT hr = S_OK;
            while (SUCCEEDED(hr = capture->GetNextPacketSize(&packetFrames)) && packetFrames > 0) {
                BYTE* data = nullptr;
                UINT32 frames = 0;
                DWORD flags = 0;
                hr = capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
                if (FAILED(hr)) {
                    break;
                }
                feed.Packet(reinterpret_cast<const std::byte*>(data), frames, (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0,
                            channel_.load(std::memory_order_relaxed), now());
                capture->ReleaseBuffer(frames);
            }
            broken = FAILED(hr);
            if (!broken) {
                feed.Poll(now());
            }
        }
        if (started && !broken) {
            stream.client->Stop();
        }
    }
}
