#include "capture/wav_recorder.h"

#include <cstring>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kChannels = 1;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kBytesPerFrame = kChannels * kBitsPerSample / 8;
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 40;
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

// The head with both sizes 0: they become real when the recording ends.
void MakeHead(unsigned char (&h)[kWavHeadBytes], std::int32_t sampleRate) {
    std::memset(h, 0, sizeof h);
    std::memcpy(h + 0, "RIFF", 4);
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
}

void WriteU32At(std::FILE* f, long offset, std::uint32_t v) {
    unsigned char bytes[4];
    PutU32(bytes, v);
    if (std::fseek(f, offset, SEEK_SET) == 0) {
        std::fwrite(bytes, 1, sizeof bytes, f);
    }
}

}  // namespace

WavRecorder::WavRecorder(std::uint32_t maxBlocks) : maxBlocks_(maxBlocks) {}

WavRecorder::~WavRecorder() { StopRecording(); }

int WavRecorder::StartRecording(const char* path, std::int32_t sampleRate) {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_) {
        return 1;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
    if (!file) {
        return 0;
    }
    // Unbuffered: every block is one write, straight to the file.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    unsigned char head[kWavHeadBytes];
    MakeHead(head, sampleRate);
    std::fwrite(head, 1, sizeof head, file.get());
    blocks_ = 0;
    file_ = std::move(file);
    return 1;
}

void WavRecorder::Finish() {
    const std::uint32_t dataBytes = blocks_ * static_cast<std::uint32_t>(kWavBlockBytes);
    WriteU32At(file_.get(), kDataSizeOffset, dataBytes);
    WriteU32At(file_.get(), kRiffSizeOffset, kRiffSizeOverhead + dataBytes);
    file_.reset();
}

int WavRecorder::StopRecording() {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_) {
        Finish();
    }
    return 1;
}

void WavRecorder::Append(const void* block) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!file_ || blocks_ >= maxBlocks_) {
        return;
    }
    if (std::fwrite(block, 1, kWavBlockBytes, file_.get()) == kWavBlockBytes) {
        ++blocks_;
        return;
    }
    // A short write (a full disk) must not shift the blocks that follow: go
    // back to the end of the last whole block, so the next one overwrites
    // the part written now.
    std::clearerr(file_.get());
    std::fseek(file_.get(), static_cast<long>(kWavHeadBytes + std::size_t{blocks_} * kWavBlockBytes), SEEK_SET);
}

bool WavRecorder::IsRecording() const {
    std::lock_guard<std::mutex> guard(lock_);
    return file_ != nullptr;
}

std::uint32_t WavRecorder::BlocksWritten() const {
    std::lock_guard<std::mutex> guard(lock_);
    return blocks_;
}
