// WavRecorder: writes the captured signal to a RIFF WAVE file (mono; 16-bit
// PCM by default, or 24-bit PCM or 32-bit float, RecordFormat). PCM gets the
// canonical 44-byte head, for B bytes a sample (2 or 3):
//
//   0 "RIFF", 4 36 + D, 8 "WAVE", 12 "fmt ", 16 16, 20 1 (PCM), 22 1 channel,
//   24 rate, 28 B x rate, 32 B, 34 8 x B, 36 "data", 40 D, 44 the samples.
//
// Float gets the 58-byte head the format asks for (an 18-byte format chunk
// and a "fact" chunk with the number of samples):
//
//   0 "RIFF", 4 50 + D, 8 "WAVE", 12 "fmt ", 16 18, 20 3 (float), 22 1,
//   24 rate, 28 4 x rate, 32 4, 34 32, 36 0, 38 "fact", 42 4, 46 D / 4,
//   50 "data", 54 D, 58 the samples.
//
// Samples come as 16-bit blocks or as float blocks with full scale at +-1.0;
// the writer converts them to the take's format: PCM rounds to the nearest
// step and clips, so a 16-bit block is written exactly in every format and a
// float block exactly as float, and in 24 bits to the last bit a 24-bit
// source has.
//
// The head is written when a recording starts, with 0 in both size fields;
// every block is written at its place once the writer reaches it. After every
// second of samples (rate samples, rounded down to whole blocks) the head is
// written again with the sizes so far, so a process killed in the middle of a
// take leaves a valid file holding all but its last second (and what was
// still queued); the recording's end (STOP or shutdown) writes the final
// sizes. D is always a whole number of blocks.
//
// Queue: Append only copies the block into a queue of kRecorderQueueBlocks
// blocks (more than five seconds at 192,000 Hz); a writer thread, one per
// take, writes them in order. A disk that stalls for less than the queue
// holds loses nothing. A block that finds the queue full is not taken, and
// neither is any after it: the take ends there (TakeEnd::kQueueFull), the
// file holding every block accepted before, in order, without a hole.
//
// Length: a RIFF file describes at most 4 GiB. A take ends by itself once it
// holds `maxBlocks` blocks (kMaxWavBlocks: 4,194,303 blocks of 16 bits, just
// under 4 GiB; 3 h 6 min at 192,000 Hz, 13 h 31 min at 44,100 Hz; in 24 or 32
// bits two thirds or half of that, MaxWavBlocks) with
// TakeEnd::kSizeLimit. Every block accepted is written: none is dropped after
// it was taken.
//
// Write errors: a head that cannot be written at the start fails the start
// (the file is removed). A block that cannot be written whole (a full disk)
// ends the recording at the last whole block: the file is cut to head + D
// bytes, the head says so, the file is closed, the blocks still queued are
// let go (TakeEnd::kWriteFailed).
//
// A take that ended by itself (any of the three) runs the error callback on
// the writer thread once its file is closed; the reason stays readable until
// the next start or stop.
//
// Threads: StartRecording, StopRecording, WaitUntilWritten and
// SetErrorCallback run on the user-interface thread (StopRecording waits for
// the writer to write what is queued); Append on the capture thread, which
// only ever waits for one small lock held for a copy of one block; the writer
// thread owns the file between start and end. The getters: any thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/record_file.h"

// The recording's file name, in the current directory.
inline constexpr const char* kRecordingFileName = "pcm_data.wav";
inline constexpr std::size_t kWavHeadBytes = 44;       // PCM
inline constexpr std::size_t kWavFloatHeadBytes = 58;  // float
// Bytes of one captured block in the default format (512 samples of 16 bits).
inline constexpr std::size_t kWavBlockBytes = 1024;
// Samples of one block.
inline constexpr std::size_t kWavBlockSamples = kWavBlockBytes / 2;
// Most blocks one file takes: its RIFF size (36 + D) must fit 32 bits.
inline constexpr std::uint32_t kMaxWavBlocks = (0xFFFFFFFFu - (kWavHeadBytes - 8)) / kWavBlockBytes;

// The sample format of a take.
enum class RecordFormat : std::uint8_t { kPcm16, kPcm24, kFloat32 };
inline constexpr int kRecordFormatCount = 3;
// Bytes of one sample, of one block, of the head, and the most blocks a file
// of the format takes.
std::size_t WavSampleBytes(RecordFormat format);
std::size_t WavBlockBytes(RecordFormat format);
std::size_t WavHeadBytes(RecordFormat format);
std::uint32_t MaxWavBlocks(RecordFormat format);
// Blocks the queue to the writer holds: 5.46 s at 192,000 Hz (4 MiB of float).
inline constexpr std::size_t kRecorderQueueBlocks = 2048;

// Why the last take ended without a STOP.
enum class TakeEnd : std::uint8_t { kNone, kWriteFailed, kQueueFull, kSizeLimit };

class WavRecorder {
public:
    // `open` creates the files of the recordings.
    explicit WavRecorder(RecordFileOpener open, std::uint32_t maxBlocks = kMaxWavBlocks,
                         std::size_t queueBlocks = kRecorderQueueBlocks);
    ~WavRecorder();
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    // Creates (or truncates) the file and writes the head for `sampleRate`
    // (above 0) and `format`; from then on blocks of capture epoch `fromEpoch` or later
    // are taken. Returns 1 on success, 0 when the file cannot be created or
    // its head cannot be written (nothing is recording then, and a file that
    // was created is removed). A recording already open is left as it is
    // (returns 1).
    int StartRecording(const char* path, std::int32_t sampleRate, std::uint32_t fromEpoch = 0,
                       RecordFormat format = RecordFormat::kPcm16);

    // Waits until every accepted block is written, writes the final sizes and
    // closes the file. With no recording open it touches no file. Always 1.
    int StopRecording();

    // Takes one block of kWavBlockSamples samples (16 bits, or float with
    // full scale at +-1.0) of capture epoch `epoch` while a recording is
    // open, the epoch is the take's and the take has room; otherwise drops
    // it. Never waits on the file.
    void Append(const std::int16_t* block, std::uint32_t epoch = 0);
    void Append(const float* block, std::uint32_t epoch = 0);

    // Returns once every block accepted so far is in the file, or (a take
    // that ended by itself) once its file is closed.
    void WaitUntilWritten();

    // Sets what runs, on the writer thread and without the recorder's lock,
    // when a take ended by itself; null for nothing.
    using ErrorCallback = void (*)(void* context);
    void SetErrorCallback(ErrorCallback callback, void* context);

    bool IsRecording() const;
    // Blocks in the file of the current (or last) take.
    std::uint32_t BlocksWritten() const;
    TakeEnd LastTakeEnd() const;

private:
    template <typename Sample>
    void Take(const Sample* block, std::uint32_t epoch);
    void Write();
    bool WriteHead(std::uint32_t blocks);
    void JoinWriter();

    const RecordFileOpener open_;
    const std::uint32_t maxBlocks_;
    const std::size_t queueBlocks_;
    std::vector<float> queue_;  // queueBlocks_ blocks, a ring; full scale +-1.0

    mutable std::mutex lock_;
    std::condition_variable wake_;     // a block queued, or the take ends
    std::condition_variable written_;  // a block written, or the writer ended
    // Under lock_.
    bool recording_ = false;  // from a start until its file is closed
    bool accepting_ = false;  // blocks are taken
    bool stopping_ = false;   // STOP: write what is queued, then finish
    std::size_t head_ = 0;    // oldest queued block
    std::size_t count_ = 0;   // queued blocks
    std::uint32_t accepted_ = 0;
    std::uint32_t blocks_ = 0;  // written
    std::uint32_t fromEpoch_ = 0;
    TakeEnd end_ = TakeEnd::kNone;
    ErrorCallback onError_ = nullptr;
    void* onErrorContext_ = nullptr;

    // The writer's own while it runs; the user-interface thread's otherwise.
    std::unique_ptr<RecordFile> file_;
    std::int32_t sampleRate_ = 0;
    RecordFormat format_ = RecordFormat::kPcm16;
    std::uint32_t takeMaxBlocks_ = 0;  // lock_
    std::vector<unsigned char> encoded_;  // one block in the take's format
    std::uint32_t blocksPerHeadUpdate_ = 1;
    std::thread writer_;
};
