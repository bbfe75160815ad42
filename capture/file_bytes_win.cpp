#include "capture/file_bytes_win.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/unique_handle_win.h"

namespace {

// Largest single ReadFile request, bytes.
constexpr DWORD kMaxReadBytes = 1u << 20;

class FileBytes final : public ByteSource {
public:
    FileBytes(UniqueHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

    std::uint64_t Size() const override { return size_; }

    bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) override {
        if (offset > size_ || bytes > size_ - offset) return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) return false;
        auto* p = static_cast<char*>(dst);
        while (bytes > 0) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes, kMaxReadBytes));
            DWORD got = 0;
            if (!ReadFile(file_.get(), p, want, &got, nullptr) || got == 0) return false;
            p += got;
            bytes -= got;
        }
        return true;
    }

private:
    UniqueHandle file_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileBytes(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
    return std::make_unique<FileBytes>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}
