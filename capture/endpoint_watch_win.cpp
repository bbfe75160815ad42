#include "capture/endpoint_watch_win.h"

#include <windows.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "base/com_ref_win.h"
#include "base/unique_handle_win.h"

namespace {

// The COM object the system calls; reference counted, as COM requires, and
// silenced by Detach before its registration ends.
class Listener final : public IMMNotificationClient {
public:
    explicit Listener(std::function<void()> hook) : hook_(std::move(hook)) {}

    void Detach() {
        std::lock_guard hold(lock_);
        hook_ = nullptr;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return Tell(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return Tell(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return Tell(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    ~Listener() = default;

    HRESULT Tell() {
        std::lock_guard hold(lock_);
        if (hook_) {
            hook_();
        }
        return S_OK;
    }

    std::atomic<ULONG> references_{1};
    std::mutex lock_;
    std::function<void()> hook_;
};

}  // namespace

struct EndpointWatch::Impl {
    Listener* listener = nullptr;  // one reference of ours
    UniqueHandle stop{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle answered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> registered{false};
    std::thread thread;

    // The registration's own thread: COM's multithreaded apartment for the
    // registration's life, so that the owner's thread keeps its own.
    void Run() {
        const bool comOk = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        {
            ComRef<IMMDeviceEnumerator> enumerator;
            if (SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                           __uuidof(IMMDeviceEnumerator),
                                           reinterpret_cast<void**>(enumerator.put())))) {
                registered = SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(listener));
            }
            SetEvent(answered.get());
            WaitForSingleObject(stop.get(), INFINITE);
            if (registered) {
                enumerator->UnregisterEndpointNotificationCallback(listener);
            }
        }
        if (comOk) {
            CoUninitialize();
        }
    }
};

EndpointWatch::EndpointWatch(std::function<void()> hook) : impl_(std::make_unique<Impl>()) {
    impl_->listener = new Listener(std::move(hook));
    if (impl_->stop && impl_->answered) {
        impl_->thread = std::thread([impl = impl_.get()] { impl->Run(); });
        WaitForSingleObject(impl_->answered.get(), INFINITE);
    }
}

EndpointWatch::~EndpointWatch() {
    impl_->listener->Detach();
    if (impl_->thread.joinable()) {
        SetEvent(impl_->stop.get());
        impl_->thread.join();
    }
    impl_->listener->Release();
}

bool EndpointWatch::registered() const { return impl_->registered; }
