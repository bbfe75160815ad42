#include "capture/wasapi_endpoints_win.h"

#include <propidl.h>
#include <propsys.h>

#include <algorithm>
#include <utility>

namespace {

// The endpoint's friendly name (functiondiscoverykeys_devpkey.h), spelt out
// here so that no GUID library is needed for it.
constexpr PROPERTYKEY kFriendlyNameKey = {
    {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

// The stream's buffer, 100-ns units: 200 ms, far more than a 10 ms poll needs.
constexpr REFERENCE_TIME kStreamBufferHns = 2000000;

// A CoTaskMem string, freed once.
class TaskString {
public:
    TaskString() = default;
    ~TaskString() { CoTaskMemFree(p_); }
    TaskString(const TaskString&) = delete;
    TaskString& operator=(const TaskString&) = delete;
    LPWSTR* put() { return &p_; }
    const wchar_t* get() const { return p_ != nullptr ? p_ : L""; }

private:
    LPWSTR p_ = nullptr;
};

ComRef<IMMDeviceEnumerator> MakeEnumerator() {
    ComRef<IMMDeviceEnumerator> enumerator;
    CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                     reinterpret_cast<void**>(enumerator.put()));
    return enumerator;
}

std::wstring FriendlyName(IMMDevice& device, const std::wstring& fallback) {
    ComRef<IPropertyStore> store;
    if (FAILED(device.OpenPropertyStore(STGM_READ, store.put()))) {
        return fallback;
    }
    PROPVARIANT value;
    PropVariantInit(&value);
    std::wstring name = fallback;
    if (SUCCEEDED(store->GetValue(kFriendlyNameKey, &value)) && value.vt == VT_LPWSTR && value.pwszVal != nullptr) {
        name = value.pwszVal;
    }
    PropVariantClear(&value);
    return name;
}

bool Describe(IMMDevice& device, Endpoint& endpoint) {
    TaskString id;
    if (FAILED(device.GetId(id.put()))) {
        return false;
    }
    endpoint.id = id.get();
    endpoint.name = FriendlyName(device, endpoint.id);
    ComRef<IMMEndpoint> asEndpoint;
    EDataFlow flow = eCapture;
    if (SUCCEEDED(device.QueryInterface(__uuidof(IMMEndpoint), reinterpret_cast<void**>(asEndpoint.put())))) {
        asEndpoint->GetDataFlow(&flow);
    }
    endpoint.render = flow == eRender;
    return true;
}

}  // namespace

std::vector<Endpoint> ListEndpoints(bool render) {
    std::vector<Endpoint> endpoints;
    ComRef<IMMDeviceEnumerator> enumerator = MakeEnumerator();
    ComRef<IMMDeviceCollection> collection;
    if (!enumerator || FAILED(enumerator->EnumAudioEndpoints(render ? eRender : eCapture, DEVICE_STATE_ACTIVE,
                                                             collection.put()))) {
        return endpoints;
    }
    UINT count = 0;
    collection->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComRef<IMMDevice> device;
        Endpoint endpoint;
        if (SUCCEEDED(collection->Item(i, device.put())) && Describe(*device.get(), endpoint)) {
            endpoint.render = render;
            endpoints.push_back(std::move(endpoint));
        }
    }
    // The system's order changes between listings; the menu's should not.
    std::sort(endpoints.begin(), endpoints.end(),
              [](const Endpoint& a, const Endpoint& b) { return a.name != b.name ? a.name < b.name : a.id < b.id; });
    return endpoints;
}

bool FindEndpoint(const std::wstring& id, Endpoint& found) {
    ComRef<IMMDeviceEnumerator> enumerator = MakeEnumerator();
    ComRef<IMMDevice> device;
    DWORD state = 0;
    if (id.empty() || !enumerator || FAILED(enumerator->GetDevice(id.c_str(), device.put())) ||
        FAILED(device->GetState(&state)) || state != DEVICE_STATE_ACTIVE) {
        return false;
    }
    return Describe(*device.get(), found);
}

EndpointClient::~EndpointClient() {
    capture.reset();
    client.reset();
    CoTaskMemFree(format);
}

EndpointClient::EndpointClient(EndpointClient&& other) noexcept
    : client(std::move(other.client)), capture(std::move(other.capture)), format(std::exchange(other.format, nullptr)), loopback(other.loopback),
      mixRateHz(other.mixRateHz) {}

EndpointClient& EndpointClient::operator=(EndpointClient&& other) noexcept {
    if (this != &other) {
        capture = std::move(other.capture);
        client = std::move(other.client);
        CoTaskMemFree(std::exchange(format, std::exchange(other.format, nullptr)));
        loopback = other.loopback;
        mixRateHz = other.mixRateHz;
    }
    return *this;
}

HRESULT OpenEndpointClient(const std::wstring& id, int rateHz, EndpointClient& opened) {
    opened = EndpointClient{};
    ComRef<IMMDeviceEnumerator> enumerator = MakeEnumerator();
    if (!enumerator) {
        return E_FAIL;
    }
    ComRef<IMMDevice> device;
    HRESULT hr = enumerator->GetDevice(id.c_str(), device.put());
    Endpoint endpoint;
    if (FAILED(hr) || !Describe(*device.get(), endpoint)) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    EndpointClient made;
    made.loopback = endpoint.render;
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(made.client.put()));
    if (FAILED(hr)) {
        return hr;
    }
    hr = made.client->GetMixFormat(&made.format);
    if (FAILED(hr) || made.format == nullptr) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    made.mixRateHz = static_cast<int>(made.format->nSamplesPerSec);
    DWORD flags = made.loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0;
    if (rateHz > 0 && rateHz != made.mixRateHz) {
        made.format->nSamplesPerSec = static_cast<DWORD>(rateHz);
        made.format->nAvgBytesPerSec = static_cast<DWORD>(rateHz) * made.format->nBlockAlign;
        flags |= AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
    }
    hr = made.client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kStreamBufferHns, 0, made.format, nullptr);
    if (SUCCEEDED(hr)) {
        hr = made.client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(made.capture.put()));
    }
    if (FAILED(hr)) {
        return hr;
    }
    opened = std::move(made);
    return S_OK;
}
