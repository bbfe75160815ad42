// The system's audio endpoints, known by their endpoint IDs (stable across
// restarts and re-plugging): capture endpoints (microphones, line inputs; under
// Wine with PulseAudio also every sink's monitor) and render endpoints, whose
// sound a loopback stream captures ("what this PC plays").
//
// Threads: any thread on which COM is initialised (EndpointComScope does it
// for a caller that has not); every COM object made here is released before
// the call returns, except the client OpenEndpointClient hands over.
#pragma once

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <string>
#include <vector>

#include "base/com_ref_win.h"

struct Endpoint {
    std::wstring id;
    std::wstring name;  // the friendly name; the ID when it has none
    bool render = false;
};

// COM for a caller that may not have it: the multithreaded apartment, unless
// the thread already has an apartment (then that one, untouched).
class EndpointComScope {
public:
    EndpointComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~EndpointComScope() {
        if (ok_) {
            CoUninitialize();
        }
    }
    EndpointComScope(const EndpointComScope&) = delete;
    EndpointComScope& operator=(const EndpointComScope&) = delete;

private:
    bool ok_;
};

// The active endpoints of one direction, by name (then ID); empty when
// the system has none or cannot list them.
std::vector<Endpoint> ListEndpoints(bool render);

// The active endpoint of ID `id`; false when no active endpoint has it.
bool FindEndpoint(const std::wstring& id, Endpoint& found);

// An initialised shared-mode client of endpoint `id` and its capture
// service: a capture endpoint is captured, a render endpoint through
// loopback. The stream has the mix format's channels and sample type at
// `rateHz`, or at the mix rate when `rateHz` is 0 or equal to it; another
// rate is converted by the system.
struct EndpointClient {
    ComRef<IAudioClient> client;
    ComRef<IAudioCaptureClient> capture;
    WAVEFORMATEX* format = nullptr;  // the stream's format, CoTaskMem: freed by the destructor
    bool loopback = false;
    int mixRateHz = 0;

    EndpointClient() = default;
    ~EndpointClient();
    EndpointClient(EndpointClient&& other) noexcept;
    EndpointClient& operator=(EndpointClient&& other) noexcept;
    EndpointClient(const EndpointClient&) = delete;
    EndpointClient& operator=(const EndpointClient&) = delete;
};

// S_OK and `opened` set, or the system's failure with `opened` empty: where
// loopback is refused, AUDCLNT_E_WRONG_ENDPOINT_TYPE (Wine initialises the
// stream and refuses its capture service).
HRESULT OpenEndpointClient(const std::wstring& id, int rateHz, EndpointClient& opened);
