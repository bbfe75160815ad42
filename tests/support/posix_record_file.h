// The recording's file for the native tests: POSIX positioned writes, so a
// file-size limit (RLIMIT_FSIZE) makes a write short as a full disk would.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include "capture/record_file.h"

namespace testsupport {

class PosixRecordFile final : public RecordFile {
public:
    explicit PosixRecordFile(int fd) : fd_(fd) {}
    ~PosixRecordFile() override { ::close(fd_); }
    PosixRecordFile(const PosixRecordFile&) = delete;
    PosixRecordFile& operator=(const PosixRecordFile&) = delete;

    std::size_t WriteAt(std::uint32_t offset, const void* data, std::size_t bytes) override {
        std::size_t done = 0;
        while (done < bytes) {
            const ssize_t n = ::pwrite(fd_, static_cast<const char*>(data) + done, bytes - done, offset + done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }
    bool Truncate(std::uint32_t length) override { return ::ftruncate(fd_, length) == 0; }

private:
    int fd_;
};

inline std::unique_ptr<RecordFile> OpenPosixRecordFile(const char* path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixRecordFile>(fd);
}

}  // namespace testsupport
