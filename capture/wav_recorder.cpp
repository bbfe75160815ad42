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

WavRecorder::WavRecorder(RecordFileOpener open, std::uint32_t maxBlocks) : open_(open), maxBlocks_(maxBlocks) {}

WavRecorder::~WavRecorder() { StopRecording(); }

void WavRecorder::SetErrorCallback(ErrorCallback callback, void* context) {
    std::lock_guard<std::mutex> guard(lock_);
    onError_ = callback;
    onErrorContext_ = context;
}

int WavRecorder::StartRecording(const char* path, std::int32_t sampleRate) {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_) {
        return 1;
    }
    file_ = open_(path);
    if (!file_) {
        return 0;
    }
    sampleRate_ = sampleRate;
    blocks_ = 0;
    // Both size fields start at 0: the file describes no samples until the
    // first second of them is in.
    if (!WriteHead()) {
        file_.reset();
        std::remove(path);
        return 0;
    }
    const std::uint32_t bytesPerSecond = 2 * static_cast<std::uint32_t>(sampleRate);
    blocksPerHeadUpdate_ = std::max<std::uint32_t>(1, bytesPerSecond / static_cast<std::uint32_t>(kWavBlockBytes));
    return 1;
}

bool WavRecorder::WriteHead() {
    unsigned char head[kWavHeadBytes];
    MakeHead(head, sampleRate_, DataBytes(blocks_));
    return file_->WriteAt(0, head, sizeof head) == sizeof head;
}

void WavRecorder::Finish() {
    WriteHead();
    file_.reset();
}

// The part of a block written before the error goes, so that the file holds
// exactly the samples its head describes.
void WavRecorder::EndAtLastWholeBlock() {
    file_->Truncate(static_cast<std::uint32_t>(kWavHeadBytes) + DataBytes(blocks_));
    Finish();
}

int WavRecorder::StopRecording() {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_) {
        Finish();
    }
    return 1;
}

void WavRecorder::Append(const void* block) {
    ErrorCallback notify = nullptr;
    void* context = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!file_ || blocks_ >= maxBlocks_) {
            return;
        }
        const std::uint32_t at = static_cast<std::uint32_t>(kWavHeadBytes) + DataBytes(blocks_);
        if (file_->WriteAt(at, block, kWavBlockBytes) != kWavBlockBytes) {
            EndAtLastWholeBlock();
            notify = onError_;
            context = onErrorContext_;
        } else if (++blocks_ % blocksPerHeadUpdate_ == 0) {
            WriteHead();
        }
    }
    if (notify != nullptr) {
        notify(context);
    }
}

bool WavRecorder::IsRecording() const {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ != nullptr;
}

std::uint32_t WavRecorder::BlocksWritten() const {
    std::lock_guard<std::mutex> guard(lock_);
    return blocks_;
}
