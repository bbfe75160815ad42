#include "capture/record_file_win.h"

#include <windows.h>

#include <utility>

#include "base/unique_handle_win.h"

namespace {

class WinRecordFile final : public RecordFile {
public:
    explicit WinRecordFile(UniqueHandle h) : h_(std::move(h)) {}

    std::size_t WriteAt(std::uint32_t offset, const void* data, std::size_t bytes) override {
        OVERLAPPED at{};
        at.Offset = offset;
        DWORD written = 0;
        // The handle is synchronous: the call returns once the bytes are in
        // the file (the system's cache). A failed write counts as none: the
        // recorder cuts the file back to its last whole block anyway.
        const BOOL ok = WriteFile(h_.get(), data, static_cast<DWORD>(bytes), &written, &at);
        return ok ? written : 0;
    }

    bool Truncate(std::uint32_t length) override {
        LARGE_INTEGER to{};
        to.QuadPart = length;
        return SetFilePointerEx(h_.get(), to, nullptr, FILE_BEGIN) && SetEndOfFile(h_.get());
    }

private:
    UniqueHandle h_;
};

}  // namespace

std::unique_ptr<RecordFile> OpenRecordFileWin(const char* path) {
    // Others may read the take while it is being recorded.
    UniqueHandle h(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        return nullptr;
    }
    return std::make_unique<WinRecordFile>(std::move(h));
}
