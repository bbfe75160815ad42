#include "capture/input_paths_win.h"

void InputPaths::Select(InputPath path, const std::wstring& endpointId) {
    std::lock_guard hold(lock_);
    path_ = path;
    endpointId_ = endpointId;
}

InputPath InputPaths::selectedPath() const {
    std::lock_guard hold(lock_);
    return path_;
}

std::wstring InputPaths::selectedEndpoint() const {
    std::lock_guard hold(lock_);
    return endpointId_;
}

AudioInput& InputPaths::Listing() {
    if (open_ != nullptr) {
        return *open_;
    }
    std::lock_guard hold(lock_);
    listedPath_ = path_;
    listedEndpoint_ = path_ == InputPath::kEndpoint ? endpointId_ : std::wstring();
    if (path_ == InputPath::kEndpoint) {
        endpoint_.SetEndpoint(endpointId_);
        return endpoint_;
    }
    return wave_;
}

bool InputPaths::Open(unsigned device, int rateHz, BufferDone done, void* context) {
    if (open_ != nullptr) {
        return false;
    }
    AudioInput& layer = Listing();
    if (!layer.Open(device, rateHz, done, context)) {
        return false;
    }
    open_ = &layer;
    return true;
}

bool InputPaths::Close() {
    if (open_ == nullptr || !open_->Close()) {
        return false;
    }
    open_ = nullptr;
    return true;
}

bool InputPaths::ListingChanged() {
    if (open_ != nullptr) {
        return false;
    }
    std::lock_guard hold(lock_);
    return path_ != listedPath_ || (path_ == InputPath::kEndpoint && endpointId_ != listedEndpoint_);
}

void InputPaths::Wake() {
    if (wakeEvent_) {
        SetEvent(wakeEvent_.get());
    }
}

void InputPaths::WaitForWake(int timeoutMs) {
    if (!wakeEvent_) {
        Sleep(static_cast<DWORD>(timeoutMs));
        return;
    }
    WaitForSingleObject(wakeEvent_.get(), static_cast<DWORD>(timeoutMs));
}
