#include "capture/file_bytes_win.h"

#include <windows.h>

#include <algorithm>

namespace {

// Largest single ReadFile request, bytes.
constexpr DWORD kMaxReadBytes = 1u << 20;

class FileBytes final : public ByteSource {
public:
    FileBytes(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    ~FileBytes() override { CloseHandle(file_); }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t Size() const override { return size_; }

    bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) override {
        if (offset > size_ || bytes > size_ - offset) return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return false;
        auto* p = static_cast<char*>(dst);
        while (bytes > 0) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes, kMaxReadBytes));
            DWORD got = 0;
            if (!ReadFile(file_, p, want, &got, nullptr) || got == 0) return false;
            p += got;
            bytes -= got;
        }
        return true;
    }

private:
    HANDLE file_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<FileBytes>(file, static_cast<std::uint64_t>(size.QuadPart));
}
