// WavReader: reads a RIFF WAVE (or RF64) file block by block as float mono
// samples with full scale at +-1.0 (what the sample ring takes), for playing a
// file in place of the live input.
//
// Formats: PCM of 8 (unsigned), 16, 24 and 32 bits; IEEE float of 32 and 64
// bits; WAVE_FORMAT_EXTENSIBLE with a PCM or float sub-format of those sizes;
// any number of channels, of which one chosen channel or the mix of all is
// read (channel_choice.h); rates from 8,000 to
// 192,000 Hz. Chunks the reader does not need are skipped, odd-sized ones with
// their pad byte; RF64 files take their sizes from the "ds64" chunk.
//
// Samples: integer PCM of n bits is divided by 2^(n-1), which is exact up to
// 24 bits (32-bit PCM keeps its top 24 significant bits); float is taken as
// it is, clipped to +-1.0, not-a-number as silence. A 16-bit file therefore
// gives exactly the 16-bit values it holds, a 24-bit file every bit of its
// own. The mix is the mean of all channels.
//
// Sizes: a data chunk that claims more bytes than the file holds is cut to the
// whole frames present (a take cut short by a crash); a data size of 0 or
// 0xFFFFFFFF in a plain RIFF file (a head whose sizes were never written)
// runs to the end of the file. Nothing is allocated from a size in the file:
// the reader holds one read buffer of fixed size.
//
// Threads: a reader is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "capture/channel_choice.h"
#include "capture/sample_ring.h"

// Rates a file may have, Hz.
inline constexpr std::uint32_t kWavMinRateHz = 8000;
inline constexpr std::uint32_t kWavMaxRateHz = 192000;

// Why a file cannot be played.
enum class WavError {
    kNone,
    kCannotRead,          // the file cannot be opened or read
    kNotRiffWave,         // no "RIFF"/"RF64" ... "WAVE" at its start
    kTruncatedHeader,     // the file ends inside its head
    kNoFormat,            // no "fmt " chunk before the end
    kUnsupportedFormat,   // an encoding or sample size not listed above
    kZeroChannels,
    kRateOutOfRange,      // 0, or outside 8,000 to 192,000 Hz
    kBlockAlignMismatch,  // bytes per frame differ from channels x sample bytes
    kNoData,              // no data chunk, or one without a whole frame
    kDataPastEnd,         // the data chunk begins at the end of the file
};
inline constexpr int kWavErrorCount = static_cast<int>(WavError::kDataPastEnd) + 1;

// A plain English line for each error (the program shows its own texts).
const char* WavErrorText(WavError error);

// Random access to a file's bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly `bytes` bytes at `offset`; false when they are not all there.
    virtual bool ReadAt(std::uint64_t offset, void* dst, std::size_t bytes) = 0;
};

// A byte source over memory it owns (files built in memory).
std::unique_ptr<ByteSource> MemoryByteSource(std::vector<std::uint8_t> bytes);

enum class WavEncoding { kPcm, kFloat };

struct WavFormat {
    WavEncoding encoding = WavEncoding::kPcm;
    int bitsPerSample = 0;  // container size: 8, 16, 24, 32 or 64
    int channels = 0;
    int rateHz = 0;
    int blockAlign = 0;            // bytes per frame
    std::uint64_t dataOffset = 0;  // first sample byte
    std::uint64_t frames = 0;      // whole frames present, at least 1
    bool cutShort = false;         // the head claims more data than the file holds
};

// Walks the chunks of `source` and checks the format. kNone and `format` set
// on success; `format` is left as it was otherwise.
WavError ParseWavHeader(ByteSource& source, WavFormat& format);

// Converts `count` frames at `frames` (laid out as `format` says) to the
// samples of the channel `choice` reads (ChannelInUse).
void DecodeChannel(const WavFormat& format, const std::uint8_t* frames, std::size_t count, int choice, float* out);

class WavReader {
public:
    // Parses the head; on success `reader` owns the source and stands at the
    // first frame.
    static WavError Open(std::unique_ptr<ByteSource> source, std::unique_ptr<WavReader>& reader);

    const WavFormat& format() const { return format_; }

    // The next kBlockSamples samples of channel `choice`. After the last
    // frame the file starts again from its first, within the same block if
    // need be; `looped` tells whether that happened. False when the file
    // could not be read (the block is then silence).
    bool ReadBlock(std::span<float, kBlockSamples> block, bool& looped, int choice = kChannelLeft);

    // Frame the next block starts with.
    std::uint64_t position() const { return position_; }
    // The next block starts with `frame` (the last frame when it lies past it).
    void Seek(std::uint64_t frame) { position_ = frame < format_.frames ? frame : format_.frames - 1; }

private:
    WavReader(std::unique_ptr<ByteSource> source, const WavFormat& format);

    std::unique_ptr<ByteSource> source_;
    WavFormat format_;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> buffer_;  // fixed size, kReadBufferBytes
};
