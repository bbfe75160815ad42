#include "capture/wav_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint32_t kFormatChunkBytes = 16;
// A float format chunk carries the size of its (empty) extension.
constexpr std::uint32_t kFloatFormatChunkBytes = 18;
// The RIFF size counts everything after its own field: "WAVE", the format
// chunk (and "fact") and the data chunk's own head.

void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The head of a file holding `dataBytes` sample bytes at `sampleRate`;
// WavHeadBytes(format) bytes of `h`.
void MakeHead(unsigned char (&h)[kWavFloatHeadBytes], std::int32_t sampleRate, RecordFormat format, std::uint32_t dataBytes) {
    const bool isFloat = format == RecordFormat::kFloat32;
    const auto bytesPerFrame = static_cast<std::uint16_t>(kChannels * WavSampleBytes(format));
    const std::size_t headBytes = WavHeadBytes(format);
    std::memcpy(h + 0, "RIFF", 4);
    PutU32(h + 4, static_cast<std::uint32_t>(headBytes - 8) + dataBytes);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutU32(h + 16, isFloat ? kFloatFormatChunkBytes : kFormatChunkBytes);
    PutU16(h + 20, isFloat ? kFormatFloat : kFormatPcm);
    PutU16(h + 22, kChannels);
    PutU32(h + 24, static_cast<std::uint32_t>(sampleRate));
    PutU32(h + 28, static_cast<std::uint32_t>(sampleRate) * bytesPerFrame);
    PutU16(h + 32, bytesPerFrame);
    PutU16(h + 34, static_cast<std::uint16_t>(8 * WavSampleBytes(format)));
    if (isFloat) {
        PutU16(h + 36, 0);  // no extension
        std::memcpy(h + 38, "fact", 4);
        PutU32(h + 42, 4);
        PutU32(h + 46, dataBytes / bytesPerFrame);
    }
    std::memcpy(h + headBytes - 8, "data", 4);
    PutU32(h + headBytes - 4, dataBytes);
}

std::uint32_t DataBytes(RecordFormat format, std::uint32_t blocks) {
    return blocks * static_cast<std::uint32_t>(WavBlockBytes(format));
}

// `v` (full scale +-1.0) as a PCM integer of `bits` bits: the nearest step,
// clipped; not-a-number is silence.
std::int32_t ToPcm(float v, int bits) {
    const double top = std::ldexp(1.0, bits - 1);
    const double scaled = std::nearbyint(static_cast<double>(v) * top);
    if (std::isnan(scaled)) return 0;
    return static_cast<std::int32_t>(std::clamp(scaled, -top, top - 1.0));
}

// One block of samples in `format`, little-endian, into `out`.
void Encode(const float* block, RecordFormat format, unsigned char* out) {
    for (std::size_t i = 0; i < kWavBlockSamples; ++i) {
        switch (format) {
            case RecordFormat::kFloat32:
                std::memcpy(out + 4 * i, &block[i], 4);  // little-endian hosts only, as the program's targets are
                break;
            case RecordFormat::kPcm24: {
                const auto v = static_cast<std::uint32_t>(ToPcm(block[i], 24));
                out[3 * i] = static_cast<unsigned char>(v);
                out[3 * i + 1] = static_cast<unsigned char>(v >> 8);
                out[3 * i + 2] = static_cast<unsigned char>(v >> 16);
                break;
            }
            default:
                PutU16(out + 2 * i, static_cast<std::uint16_t>(ToPcm(block[i], 16)));
                break;
        }
    }
}

}  // namespace

std::size_t WavSampleBytes(RecordFormat format) {
    switch (format) {
        case RecordFormat::kPcm24: return 3;
        case RecordFormat::kFloat32: return 4;
        default: return 2;
    }
}

std::size_t WavBlockBytes(RecordFormat format) { return kWavBlockSamples * WavSampleBytes(format); }

std::size_t WavHeadBytes(RecordFormat format) {
    return format == RecordFormat::kFloat32 ? kWavFloatHeadBytes : kWavHeadBytes;
}

std::uint32_t MaxWavBlocks(RecordFormat format) {
    return static_cast<std::uint32_t>((0xFFFFFFFFu - (WavHeadBytes(format) - 8)) / WavBlockBytes(format));
}

WavRecorder::WavRecorder(RecordFileOpener open, std::uint32_t maxBlocks, std::size_t queueBlocks)
    : open_(open), maxBlocks_(maxBlocks), queueBlocks_(std::max<std::size_t>(1, queueBlocks)),
      queue_(queueBlocks_ * kWavBlockSamples), encoded_(WavBlockBytes(RecordFormat::kFloat32)) {}

WavRecorder::~WavRecorder() { StopRecording(); }

void WavRecorder::SetErrorCallback(ErrorCallback callback, void* context) {
    std::lock_guard<std::mutex> guard(lock_);
    onError_ = callback;
    onErrorContext_ = context;
}

int WavRecorder::StartRecording(const char* path, std::int32_t sampleRate, std::uint32_t fromEpoch,
                                RecordFormat format) {
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
    format_ = format;
    // Both size fields start at 0: the file describes no samples until the
    // first second of them is in.
    if (!WriteHead(0)) {
        file_.reset();
        std::remove(path);
        return 0;
    }
    blocksPerHeadUpdate_ = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(sampleRate) / kWavBlockSamples);
    {
        std::lock_guard<std::mutex> guard(lock_);
        recording_ = true;
        takeMaxBlocks_ = std::min(maxBlocks_, MaxWavBlocks(format));
        accepting_ = takeMaxBlocks_ > 0;
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
    unsigned char head[kWavFloatHeadBytes];
    MakeHead(head, sampleRate_, format_, DataBytes(format_, blocks));
    const std::size_t bytes = WavHeadBytes(format_);
    return file_->WriteAt(0, head, bytes) == bytes;
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
        const float* block = &queue_[head_ * kWavBlockSamples];
        guard.unlock();
        Encode(block, format_, encoded_.data());
        const std::size_t blockBytes = WavBlockBytes(format_);
        const std::uint32_t at = static_cast<std::uint32_t>(WavHeadBytes(format_)) + DataBytes(format_, written);
        const bool ok = file_->WriteAt(at, encoded_.data(), blockBytes) == blockBytes;
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
        file_->Truncate(static_cast<std::uint32_t>(WavHeadBytes(format_)) + DataBytes(format_, written));
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

void WavRecorder::Append(const std::int16_t* block, std::uint32_t epoch) { Take(block, epoch); }

void WavRecorder::Append(const float* block, std::uint32_t epoch) { Take(block, epoch); }

template <typename Sample>
void WavRecorder::Take(const Sample* block, std::uint32_t epoch) {
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
            float* slot = &queue_[((head_ + count_) % queueBlocks_) * kWavBlockSamples];
            if constexpr (std::is_same_v<Sample, float>) {
                std::memcpy(slot, block, kWavBlockSamples * sizeof(float));
            } else {
                for (std::size_t i = 0; i < kWavBlockSamples; ++i) slot[i] = static_cast<float>(block[i]) * (1.0f / 32768.0f);
            }
            ++count_;
            if (++accepted_ == takeMaxBlocks_) {
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
