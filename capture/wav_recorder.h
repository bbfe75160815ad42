// WavRecorder: writes the captured signal to a RIFF WAVE file (PCM, mono,
// 16 bits) with the canonical 44-byte head:
//
//   0 "RIFF", 4 36 + D, 8 "WAVE", 12 "fmt ", 16 16, 20 1 (PCM), 22 1 channel,
//   24 rate, 28 2 x rate, 32 2, 34 16, 36 "data", 40 D, 44 the samples.
//
// The head is written when a recording starts, with 0 in both size fields;
// every block is written at its place as it arrives. After every second of
// samples (2 x rate bytes, rounded down to whole blocks) the head is written
// again with the sizes so far, so a process killed in the middle of a take
// leaves a valid file holding all but its last second; the recording's end
// (STOP or shutdown) writes the final sizes. D is always a whole number of
// blocks.
//
// Write errors: a head that cannot be written at the start fails the start
// (the file is removed). A block that cannot be written whole (a full disk)
// ends the recording at the last whole block: the file is cut to 44 + D
// bytes, the head says so, the file is closed and the error callback runs.
//
// Threads: StartRecording, StopRecording and SetErrorCallback run on the
// user-interface thread, Append (and so the head updates and the error
// callback) on the capture thread. One lock separates them, so no block
// reaches a file that is being closed or has been closed, and the first block
// always lands at offset 44. Every write is a positioned write of at most one
// block, so Append never waits on more than one small write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "capture/record_file.h"

// The recording's file name, in the current directory.
inline constexpr const char* kRecordingFileName = "pcm_data.wav";
inline constexpr std::size_t kWavHeadBytes = 44;
// Bytes of one captured block (512 samples of 16 bits).
inline constexpr std::size_t kWavBlockBytes = 1024;
// Most blocks one file takes: its positions must stay within a signed 32-bit
// offset, which both the head's size fields and the file calls can describe.
inline constexpr std::uint32_t kMaxWavBlocks = (0x7FFFFFFFu - kWavHeadBytes) / kWavBlockBytes;

class WavRecorder {
public:
    // `open` creates the files of the recordings.
    explicit WavRecorder(RecordFileOpener open, std::uint32_t maxBlocks = kMaxWavBlocks);
    ~WavRecorder();
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    // Creates (or truncates) the file and writes the head for `sampleRate`
    // (above 0). Returns 1 on success, 0 when the file cannot be created or
    // its head cannot be written (nothing is recording then, and a file that
    // was created is removed). A recording already open is left as it is
    // (returns 1).
    int StartRecording(const char* path, std::int32_t sampleRate);

    // Writes the final sizes and closes the file. With no recording open it
    // touches no file. Always returns 1.
    int StopRecording();

    // Appends one block of kWavBlockBytes bytes while a recording is open and
    // the file has room for it; otherwise drops it. A block that cannot be
    // written whole ends the recording (see Write errors above).
    void Append(const void* block);

    // Sets what runs, on the capture thread and without the recorder's lock,
    // when a write error has ended a recording; null for nothing.
    using ErrorCallback = void (*)(void* context);
    void SetErrorCallback(ErrorCallback callback, void* context);

    bool IsRecording() const;
    std::uint32_t BlocksWritten() const;

private:
    // Lock held for all three.
    bool WriteHead();
    void Finish();
    void EndAtLastWholeBlock();

    const RecordFileOpener open_;
    const std::uint32_t maxBlocks_;
    mutable std::mutex lock_;
    std::unique_ptr<RecordFile> file_;
    std::int32_t sampleRate_ = 0;
    std::uint32_t blocks_ = 0;
    std::uint32_t blocksPerHeadUpdate_ = 1;
    ErrorCallback onError_ = nullptr;
    void* onErrorContext_ = nullptr;
};
