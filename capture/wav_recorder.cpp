#include "capture/wav_recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBytesPerFrame = kChannels * kBitsPerSample / 8;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::size_t kRiffSizeOffset = 4;
constexpr std::size_t kDataSizeOffset = 40;
// The RIFF size counts everything after its own field: "WAVE", the format
// chunk and the data chunk's own head.
constexpr std::uint32_t kRiffSizeOverhead = kWavHeadBytes - 8;

void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The head of a file holding `dataBytes` sample bytes at `sampleRate`.
void MakeHead(unsigned char (&h)[kWavHeadBytes], std::int32_t sampleRate, std::uint32_t dataBytes) {
    std::memcpy(h + 0, "RIFF", 4);
    PutU32(h + kRiffSizeOffset, kRiffSizeOverhead + dataBytes);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutU32(h + 16, kFormatChunkBytes);
    PutU16(h + 20, kFormatPcm);
    PutU16(h + 22, kChannels);
    PutU32(h + 24, static_cast<std::uint32_t>(sampleRate));
    PutU32(h + 28, static_cast<std::uint32_t>(sampleRate) * kBytesPerFrame);
    PutU16(h + 32, kBytesPerFrame);
    PutU16(h + 34, kBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    PutU32(h + kDataSizeOffset, dataBytes);
}

std::uint32_t DataBytes(std::uint32_t blocks) { return blocks * static_cast<std::uint32_t>(kWavBlockBytes); }

}  // namespace

WavRecorder::WavRecorder(RecordFileOpener open, std::uint32_t maxBlocks, std::size_t queueBlocks)
    : open_(open), maxBlocks_(maxBlocks), queueBlocks_(std::max<std::size_t>(1, queueBlocks)),
      queue_(queueBlocks_ * kWavBlockBytes / 2) {}

WavRecorder::~WavRecorder() { StopRecording(); }

void WavRecorder::SetErrorCallback(ErrorCallback callback, void* context) {
    std::lock_guard<std::mutex> guard(lock_);
    onError_ = callback;
    onErrorContext_ = context;
}

int WavRecorder::StartRecording(const char* path, std::int32_t sampleRate, std::uint32_t fromEpoch) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (recording_) {
            return 1;
        }
    }
    // A take that ended by itself has left its writer to be joined.
    JoinWriter();
    file_ = open_(path);
    if (!file_) {
        return 0;
    }
    sampleRate_ = sampleRate;
    // Both size fields start at 0: the file describes no samples until the
    // first second of them is in.
    if (!WriteHead(0)) {
        file_.reset();
        std::remove(path);
        return 0;
    }
    const std::uint32_t bytesPerSecond = 2 * static_cast<std::uint32_t>(sampleRate);
    blocksPerHeadUpdate_ = std::max<std::uint32_t>(1, bytesPerSecond / static_cast<std::uint32_t>(kWavBlockBytes));
    {
        std::lock_guard<std::mutex> guard(lock_);
        recording_ = true;
        accepting_ = maxBlocks_ > 0;
        stopping_ = false;
        head_ = 0;
        count_ = 0;
        accepted_ = 0;
        blocks_ = 0;
        fromEpoch_ = fromEpoch;
        end_ = TakeEnd::kNone;
    }
    writer_ = std::thread([this] { Write(); });
    return 1;
}

bool WavRecorder::WriteHead(std::uint32_t blocks) {
    unsigned char head[kWavHeadBytes];
    MakeHead(head, sampleRate_, DataBytes(blocks));
    return file_->WriteAt(0, head, sizeof head) == sizeof head;
}

// The writer: every queued block in order, the head once a second, and at
// the end the final head (after cutting a half-written block away).
void WavRecorder::Write() {
    std::uint32_t written = 0;
    bool failed = false;
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return count_ > 0 || stopping_ || !accepting_; });
        if (count_ == 0) {
            break;
        }
        // The slot stays the writer's until it is popped below: Append only
        // fills free slots.
        const std::int16_t* block = &queue_[head_ * (kWavBlockBytes / 2)];
        guard.unlock();
        const std::uint32_t at = static_cast<std::uint32_t>(kWavHeadBytes) + DataBytes(written);
        const bool ok = file_->WriteAt(at, block, kWavBlockBytes) == kWavBlockBytes;
        if (ok && ++written % blocksPerHeadUpdate_ == 0) {
            WriteHead(written);
        }
        guard.lock();
        if (!ok) {
            failed = true;
            break;
        }
        head_ = (head_ + 1) % queueBlocks_;
        --count_;
        blocks_ = written;
        written_.notify_all();
    }
    accepting_ = false;
    count_ = 0;
    const bool byItself = !stopping_;
    if (failed) {
        end_ = TakeEnd::kWriteFailed;
    }
    guard.unlock();
    if (failed) {
        // The part of a block written before the error goes, so that the
        // file holds exactly the samples its head describes.
        file_->Truncate(static_cast<std::uint32_t>(kWavHeadBytes) + DataBytes(written));
    }
    WriteHead(written);
    file_.reset();
    guard.lock();
    recording_ = false;
    written_.notify_all();
    const ErrorCallback notify = byItself ? onError_ : nullptr;
    void* const context = onErrorContext_;
    guard.unlock();
    if (notify != nullptr) {
        notify(context);
    }
}

void WavRecorder::JoinWriter() {
    if (writer_.joinable()) {
        writer_.join();
    }
}

int WavRecorder::StopRecording() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        accepting_ = false;
        stopping_ = true;
    }
    wake_.notify_all();
    JoinWriter();
    std::lock_guard<std::mutex> guard(lock_);
    end_ = TakeEnd::kNone;
    return 1;
}

void WavRecorder::Append(const void* block, std::uint32_t epoch) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!accepting_ || epoch < fromEpoch_) {
            return;
        }
        if (count_ == queueBlocks_) {
            // The disk has fallen more than the queue behind: end the take
            // here rather than leave a hole in it.
            accepting_ = false;
            end_ = TakeEnd::kQueueFull;
        } else {
            std::memcpy(&queue_[((head_ + count_) % queueBlocks_) * (kWavBlockBytes / 2)], block, kWavBlockBytes);
            ++count_;
            if (++accepted_ == maxBlocks_) {
                accepting_ = false;
                end_ = TakeEnd::kSizeLimit;
            }
        }
    }
    wake_.notify_one();
}

void WavRecorder::WaitUntilWritten() {
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(lock_);
        written_.wait(guard, [this] { return !recording_ || (count_ == 0 && accepting_); });
        ended = !recording_;
    }
    if (ended) {
        JoinWriter();  // its file closed and its callback run
    }
}

bool WavRecorder::IsRecording() const {
    std::lock_guard<std::mutex> guard(lock_);
    return recording_;
}

std::uint32_t WavRecorder::BlocksWritten() const {
    std::lock_guard<std::mutex> guard(lock_);
    return blocks_;
}

TakeEnd WavRecorder::LastTakeEnd() const {
    std::lock_guard<std::mutex> guard(lock_);
    return end_;
}
