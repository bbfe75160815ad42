// Owners for COM: a move-only reference to one interface, released exactly
// once, and COM initialised on the calling thread for a scope.
//
// Threads: a ComRef is used on the thread (apartment) that obtained it; a
// ComScope lives on the stack of the thread it initialises, and every
// ComRef made under it must be gone before it ends.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

// A COM interface pointer, released once.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // For an out-parameter that hands over a new reference: releases the
    // one held first.
    T** put() {
        reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Releases the reference now; safe to call again.
    void reset() {
        if (p_) {
            std::exchange(p_, nullptr)->Release();
        }
    }

private:
    T* p_ = nullptr;
};

// COM on this thread (single-threaded apartment) for a scope: the common
// dialogs and WIC need it. Balanced only when the initialisation succeeded.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};
