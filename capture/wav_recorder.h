// WavRecorder: writes the captured signal to a RIFF WAVE file (PCM, mono,
// 16 bits) with the canonical 44-byte head:
//
//   0 "RIFF", 4 36 + D, 8 "WAVE", 12 "fmt ", 16 16, 20 1 (PCM), 22 1 channel,
//   24 rate, 28 2 x rate, 32 2, 34 16, 36 "data", 40 D, 44 the samples.
//
// The head is written when a recording starts, with 0 in both size fields;
// every block is appended as it arrives; the sizes are written when the
// recording ends (STOP or shutdown). D is always a whole number of blocks.
//
// Threads: StartRecording and StopRecording run on the user-interface thread,
// Append on the capture thread. One lock separates them, so no block reaches
// a file that is being closed or has been closed, and the first block always
// lands at offset 44.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>

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
    explicit WavRecorder(std::uint32_t maxBlocks = kMaxWavBlocks);
    ~WavRecorder();
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    // Creates (or truncates) the file and writes the head for `sampleRate`.
    // Returns 1 on success, 0 when the file cannot be created (nothing is
    // recording then). A recording already open is left as it is (returns 1).
    int StartRecording(const char* path, std::int32_t sampleRate);

    // Writes the final sizes and closes the file. With no recording open it
    // touches no file. Always returns 1.
    int StopRecording();

    // Appends one block of kWavBlockBytes bytes while a recording is open and
    // the file has room for it; otherwise drops it. A block that could not be
    // written whole is dropped too, and the next one takes its place.
    void Append(const void* block);

    bool IsRecording() const;
    std::uint32_t BlocksWritten() const;

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    void Finish();

    mutable std::mutex lock_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::uint32_t blocks_ = 0;
    const std::uint32_t maxBlocks_;
};
