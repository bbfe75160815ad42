// RecordFile: the file a recording goes to. Every write names its offset, so
// the head can be brought up to date while samples are being appended without
// moving an append position back and forth.
//
// Threads: one thread at a time (the recorder's writer while a take runs). Ownership: the object
// owns the open file and closes it when destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class RecordFile {
public:
    virtual ~RecordFile() = default;
    // Writes `bytes` bytes at byte `offset`; returns how many reached the
    // file (fewer when the disk is full or the write fails).
    virtual std::size_t WriteAt(std::uint32_t offset, const void* data, std::size_t bytes) = 0;
    // Sets the file's length to `length` bytes; false when that fails.
    virtual bool Truncate(std::uint32_t length) = 0;
};

// Creates `path` (or truncates an existing file) for writing; null when it
// cannot be created.
using RecordFileOpener = std::unique_ptr<RecordFile> (*)(const char* path);
