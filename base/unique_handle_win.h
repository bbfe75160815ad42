// Move-only owners of kernel handles: files, events, threads and snapshots
// (closed with CloseHandle) and directory searches (FindFirstFile, closed
// with FindClose). Each closes its handle exactly once (Close may be called
// any number of times) and none can be copied.
//
// "No handle" is one state. The calls that make handles report failure in
// two ways: CreateEvent, CreateThread and _beginthreadex return null,
// CreateFile, FindFirstFile and CreateToolhelp32Snapshot return
// INVALID_HANDLE_VALUE. The owner takes both as empty, so `if (owner)` is the
// one test after any of them. Never hand it a pseudo-handle
// (GetCurrentProcess has INVALID_HANDLE_VALUE's bits).
//
// Threads: an owner is used by one thread at a time; the handle it holds may
// be waited on or signalled from any thread while the owner lives.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

template <class Traits>
class BasicUniqueHandle {
public:
    BasicUniqueHandle() = default;
    explicit BasicUniqueHandle(HANDLE h) : h_(Owned(h)) {}
    ~BasicUniqueHandle() { Close(); }
    BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    BasicUniqueHandle(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;

    // Null when empty, never INVALID_HANDLE_VALUE.
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    bool operator==(std::nullptr_t) const { return h_ == nullptr; }

    // Closes the handle held, then owns `h`.
    void reset(HANDLE h = nullptr) {
        Close();
        h_ = Owned(h);
    }

    // Closes the handle now. False only when the system reports the close
    // failed (for a file written through the handle: its last writes may not
    // have reached it); closing an empty owner succeeds.
    bool Close() {
        if (!h_) {
            return true;
        }
        return Traits::Free(std::exchange(h_, nullptr));
    }

private:
    static HANDLE Owned(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

    HANDLE h_ = nullptr;
};

struct KernelHandleTraits {
    static bool Free(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct FindHandleTraits {
    static bool Free(HANDLE h) { return FindClose(h) != FALSE; }
};

// A file, event, thread or snapshot handle, closed with CloseHandle.
using UniqueHandle = BasicUniqueHandle<KernelHandleTraits>;
// A directory search from FindFirstFile, closed with FindClose.
using UniqueFindHandle = BasicUniqueHandle<FindHandleTraits>;
