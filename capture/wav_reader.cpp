#include "capture/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;
constexpr std::size_t kRiffHeadBytes = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeadBytes = 8;  // id, size
constexpr std::size_t kPlainFormatBytes = 16;
constexpr std::size_t kExtensibleFormatBytes = 40;
// Chunks walked before the data chunk at most: real files carry a handful,
// and a file of millions of empty chunks must not keep the program busy.
constexpr int kMaxChunks = 1024;
constexpr std::size_t kDs64Bytes = 24;  // RIFF size, data size, sample count (64 bits each)

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// The sub-format GUID of an extensible format after its first two bytes,
// which hold the plain format tag.
constexpr std::uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A plain data size that was never written.
constexpr std::uint32_t kUnwrittenSizeMax = 0xFFFFFFFF;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t U64(const std::uint8_t* p) { return U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32); }
bool IsId(const std::uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) override {
        if (offset > bytes_.size() || bytes > bytes_.size() - offset) return false;
        if (bytes == 0) return true;
        std::memcpy(dst, bytes_.data() + offset, bytes);
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// The whole format chunk, checked; what the data chunk adds comes later.
WavError CheckFormat(const std::uint8_t* f, std::size_t size, WavFormat& out) {
    std::uint16_t tag = U16(f);
    if (tag == kTagExtensible) {
        if (size < kExtensibleFormatBytes || U16(f + 16) < kExtensibleFormatBytes - 18 ||
            std::memcmp(f + 26, kSubFormatTail, sizeof kSubFormatTail) != 0) {
            return WavError::kUnsupportedFormat;
        }
        tag = U16(f + 24);
    }
    if (tag != kTagPcm && tag != kTagFloat) return WavError::kUnsupportedFormat;
    const std::uint16_t channels = U16(f + 2);
    const std::uint32_t rate = U32(f + 4);
    const std::uint16_t blockAlign = U16(f + 12);
    const std::uint16_t bits = U16(f + 14);
    if (channels == 0) return WavError::kZeroChannels;
    if (rate < kWavMinRateHz || rate > kWavMaxRateHz) return WavError::kRateOutOfRange;
    const bool pcmBits = bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool floatBits = bits == 32 || bits == 64;
    if (tag == kTagPcm ? !pcmBits : !floatBits) return WavError::kUnsupportedFormat;
    if (static_cast<std::uint32_t>(blockAlign) != static_cast<std::uint32_t>(channels) * (bits / 8)) {
        return WavError::kBlockAlignMismatch;
    }
    out.encoding = tag == kTagPcm ? WavEncoding::kPcm : WavEncoding::kFloat;
    out.bitsPerSample = bits;
    out.channels = channels;
    out.rateHz = static_cast<int>(rate);
    out.blockAlign = blockAlign;
    return WavError::kNone;
}

// A float sample clipped to full scale; not-a-number is silence.
float ClipFloat(double d) {
    if (std::isnan(d)) return 0.0f;
    return static_cast<float>(std::clamp(d, -1.0, 1.0));
}

// One sample at `p` with full scale at +-1.0; exact for integers of up to 24 bits.
float SampleOf(const WavFormat& format, const std::uint8_t* p) {
    if (format.encoding == WavEncoding::kFloat) {
        if (format.bitsPerSample == 32) {
            float f;
            std::memcpy(&f, p, sizeof f);  // little-endian hosts only, as the program's targets are
            return ClipFloat(f);
        }
        double d;
        std::memcpy(&d, p, sizeof d);
        return ClipFloat(d);
    }
    switch (format.bitsPerSample) {
    case 8:
        return static_cast<float>(static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
    case 16:
        return static_cast<float>(static_cast<std::int16_t>(U16(p))) * (1.0f / 32768.0f);
    case 24: {
        const auto top = static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) | (static_cast<std::uint32_t>(p[1]) << 16) |
                                                   (static_cast<std::uint32_t>(p[2]) << 24));
        return static_cast<float>(top >> 8) * (1.0f / 8388608.0f);
    }
    default:
        return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(U32(p))) * (1.0 / 2147483648.0));
    }
}

}  // namespace

const char* WavErrorText(WavError error) {
    static const char* const kTexts[kWavErrorCount] = {
        "no error",
        "the file cannot be read",
        "not a WAV file (no RIFF WAVE head)",
        "the file ends inside its head",
        "no format chunk",
        "unsupported sample format",
        "zero channels",
        "sampling rate outside 8,000 to 192,000 Hz",
        "block align does not match channels and sample size",
        "no samples",
        "the data chunk points past the end of the file",
    };
    const int i = static_cast<int>(error);
    return i >= 0 && i < kWavErrorCount ? kTexts[i] : "?";
}

std::unique_ptr<ByteSource> MemoryByteSource(std::vector<std::uint8_t> bytes) {
    return std::make_unique<MemorySource>(std::move(bytes));
}

WavError ParseWavHeader(ByteSource& source, WavFormat& format) {
    const std::uint64_t size = source.Size();
    std::uint8_t head[kRiffHeadBytes] = {};
    const std::size_t headBytes = static_cast<std::size_t>(std::min<std::uint64_t>(size, kRiffHeadBytes));
    if (!source.ReadAt(0, head, headBytes)) return WavError::kCannotRead;
    // A file that stops inside "RIFF....WAVE" but agrees with it so far is a cut head.
    const bool rf64 = headBytes >= 4 && IsId(head, "RF64");
    const char* const magic = rf64 ? "RF64" : "RIFF";
    for (std::size_t i = 0; i < headBytes; ++i) {
        const bool inId = i < 4;
        const bool inForm = i >= 8;
        if ((inId && head[i] != static_cast<std::uint8_t>(magic[i])) ||
            (inForm && head[i] != static_cast<std::uint8_t>("WAVE"[i - 8]))) {
            return WavError::kNotRiffWave;
        }
    }
    if (headBytes < kRiffHeadBytes) return WavError::kTruncatedHeader;

    WavFormat found;
    bool haveFormat = false;
    bool haveDs64 = false;
    std::uint64_t ds64DataBytes = 0;
    std::uint64_t offset = kRiffHeadBytes;
    for (int walked = 0;; ++walked) {
        if (walked == kMaxChunks) return haveFormat ? WavError::kNoData : WavError::kNoFormat;
        std::uint8_t chunk[kChunkHeadBytes];
        if (size - offset < kChunkHeadBytes) {
            // Only a head that ends exactly at a chunk border is whole.
            if (offset != size || offset == kRiffHeadBytes) return WavError::kTruncatedHeader;
            return haveFormat ? WavError::kNoData : WavError::kNoFormat;
        }
        if (!source.ReadAt(offset, chunk, sizeof chunk)) return WavError::kCannotRead;
        const std::uint32_t chunkSize = U32(chunk + 4);
        const std::uint64_t body = offset + kChunkHeadBytes;
        const std::uint64_t present = size - body;
        if (IsId(chunk, "ds64") && rf64 && offset == kRiffHeadBytes) {
            std::uint8_t ds64[kDs64Bytes];
            if (chunkSize < kDs64Bytes || present < kDs64Bytes) return WavError::kTruncatedHeader;
            if (!source.ReadAt(body, ds64, sizeof ds64)) return WavError::kCannotRead;
            ds64DataBytes = U64(ds64 + 8);
            haveDs64 = true;
        } else if (IsId(chunk, "fmt ")) {
            std::uint8_t f[kExtensibleFormatBytes] = {};
            const std::size_t want = std::min<std::size_t>(chunkSize, kExtensibleFormatBytes);
            if (present < want) return WavError::kTruncatedHeader;
            if (chunkSize < kPlainFormatBytes) return WavError::kUnsupportedFormat;
            if (!source.ReadAt(body, f, want)) return WavError::kCannotRead;
            const WavError error = CheckFormat(f, want, found);
            if (error != WavError::kNone) return error;
            haveFormat = true;
        } else if (IsId(chunk, "data")) {
            if (!haveFormat) return WavError::kNoFormat;
            std::uint64_t claimed = chunkSize;
            if (rf64 && haveDs64 && chunkSize == kUnwrittenSizeMax) {
                claimed = ds64DataBytes;
            } else if (!rf64 && (chunkSize == 0 || chunkSize == kUnwrittenSizeMax)) {
                claimed = present;
            }
            if (present == 0 && claimed > 0) return WavError::kDataPastEnd;
            const std::uint64_t bytes = std::min(claimed, present);
            found.frames = bytes / static_cast<std::uint64_t>(found.blockAlign);
            if (found.frames == 0) return WavError::kNoData;
            found.dataOffset = body;
            found.cutShort = claimed > present;
            format = found;
            return WavError::kNone;
        }
        // Chunks are padded to an even length; the pad byte is not counted.
        const std::uint64_t next = body + chunkSize + (chunkSize & 1u);
        if (next > size) {
            return haveFormat ? WavError::kNoData : WavError::kTruncatedHeader;
        }
        offset = next;
    }
}

void DecodeChannel(const WavFormat& format, const std::uint8_t* frames, std::size_t count, int choice, float* out) {
    const std::size_t stride = static_cast<std::size_t>(format.blockAlign);
    const int channel = ChannelInUse(choice, format.channels);
    if (channel != kChannelMix) {
        const std::uint8_t* first = frames + static_cast<std::size_t>(channel - 1) * static_cast<std::size_t>(format.bitsPerSample / 8);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = SampleOf(format, first + i * stride);
        }
        return;
    }
    const std::size_t sampleBytes = static_cast<std::size_t>(format.bitsPerSample / 8);
    const double scale = 1.0 / format.channels;
    for (std::size_t i = 0; i < count; ++i) {
        double sum = 0.0;
        for (int c = 0; c < format.channels; ++c) {
            sum += SampleOf(format, frames + i * stride + static_cast<std::size_t>(c) * sampleBytes);
        }
        out[i] = static_cast<float>(sum * scale);
    }
}

WavError WavReader::Open(std::unique_ptr<ByteSource> source, std::unique_ptr<WavReader>& reader) {
    if (!source) return WavError::kCannotRead;
    WavFormat format;
    const WavError error = ParseWavHeader(*source, format);
    if (error != WavError::kNone) return error;
    reader.reset(new WavReader(std::move(source), format));
    return WavError::kNone;
}

WavReader::WavReader(std::unique_ptr<ByteSource> source, const WavFormat& format)
    : source_(std::move(source)), format_(format), buffer_(kReadBufferBytes) {}

bool WavReader::ReadBlock(std::span<float, kBlockSamples> block, bool& looped, int choice) {
    looped = false;
    const std::size_t stride = static_cast<std::size_t>(format_.blockAlign);
    // At least one frame fits: a frame is at most 65,535 bytes.
    const std::size_t framesPerRead = buffer_.size() / stride;
    std::size_t filled = 0;
    while (filled < block.size()) {
        if (position_ >= format_.frames) {
            position_ = 0;
            looped = true;
        }
        const std::size_t run = static_cast<std::size_t>(
            std::min<std::uint64_t>({block.size() - filled, framesPerRead, format_.frames - position_}));
        if (!source_->ReadAt(format_.dataOffset + position_ * stride, buffer_.data(), run * stride)) {
            std::fill(block.begin(), block.end(), 0.0f);
            return false;
        }
        DecodeChannel(format_, buffer_.data(), run, choice, block.data() + filled);
        filled += run;
        position_ += run;
    }
    return true;
}
