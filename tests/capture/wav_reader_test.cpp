// The WAV reader against sox: every format sox writes decodes to the samples
// sox itself reads from it (the chosen channel or the mix, as float). Hand-made
// heads cover what sox does not write (odd and unknown chunks, RF64, sizes
// that were never written or that run past the end) and the hostile ones;
// a fuzz loop mutates valid heads and reads whatever parses.
#include "analysis/analyzer.h"
#include "analysis/spectrum.h"
#include "base/settings.h"
#include "capture/file_source.h"
#include "capture/wav_reader.h"

#include <gtest/gtest.h>

#include "wav_bytes.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

using testsupport::CanonicalWav;

// The canonical file with an unknown chunk of odd size (and its pad byte)
// between the format and the data.
Bytes WithOddChunk(Bytes b) {
    const Bytes junk = {'j', 'u', 'n', 'k', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    b.insert(b.begin() + 36, junk.begin(), junk.end());
    return b;
}

// The canonical file as RF64: "ds64" first, 0xFFFFFFFF in the 32-bit sizes.
Bytes AsRf64(const Bytes& plain) {
    Bytes b(plain.begin(), plain.begin() + 12);
    std::memcpy(&b[0], "RF64", 4);
    Put32(b, 4, 0xFFFFFFFF);
    const std::uint64_t data = plain.size() - 44;
    Bytes ds64 = {'d', 's', '6', '4', 28, 0, 0, 0};
    for (std::uint64_t v : {static_cast<std::uint64_t>(plain.size() + 36 - 8), data, data / 2}) {
        for (int i = 0; i < 8; ++i) ds64.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    ds64.insert(ds64.end(), 4, 0);  // table length
    b.insert(b.end(), ds64.begin(), ds64.end());
    b.insert(b.end(), plain.begin() + 12, plain.end());
    Put32(b, b.size() - data - 4, 0xFFFFFFFF);
    return b;
}

struct Parsed {
    WavError error;
    WavFormat format;
};
Parsed Parse(Bytes b) {
    auto source = MemoryByteSource(std::move(b));
    Parsed p{};
    p.error = ParseWavHeader(*source, p.format);
    return p;
}

// The samples of channel `choice`, full scale at +-1.0.
std::vector<float> ReadAll(Bytes b, std::size_t count, int choice = kChannelLeft) {
    std::unique_ptr<WavReader> reader;
    EXPECT_EQ(WavReader::Open(MemoryByteSource(std::move(b)), reader), WavError::kNone);
    std::vector<float> out;
    if (!reader) return out;
    std::array<float, kBlockSamples> block;
    while (out.size() < count) {
        bool looped = false;
        EXPECT_TRUE(reader->ReadBlock(block, looped, choice));
        out.insert(out.end(), block.begin(), block.end());
    }
    out.resize(count);
    return out;
}

TEST(WavReader, HandMadeHeads) {
    struct Case {
        const char* what;
        Bytes bytes;
        WavError error;
        std::uint64_t frames;
    };
    Bytes zeroChannels = CanonicalWav(600);
    Put16(zeroChannels, 22, 0);
    Bytes rateZero = CanonicalWav(600);
    Put32(rateZero, 24, 0);
    Bytes rateHuge = CanonicalWav(600);
    Put32(rateHuge, 24, 1000000000);
    Bytes oddRate = CanonicalWav(600);
    Put32(oddRate, 24, 11025);
    Bytes badAlign = CanonicalWav(600);
    Put16(badAlign, 32, 4);
    Bytes adpcm = CanonicalWav(600);
    Put16(adpcm, 20, 2);
    Bytes twelveBits = CanonicalWav(600);
    Put16(twelveBits, 34, 12);
    Bytes dataFirst = CanonicalWav(600);
    std::memcpy(&dataFirst[12], "data", 4);
    Bytes pastEnd = CanonicalWav(0);
    Put32(pastEnd, 40, 1000000);
    Bytes cutShort = CanonicalWav(600);
    Put32(cutShort, 40, 0x7FFFFFF0);
    Bytes unwritten = CanonicalWav(600);  // our own recorder's head after a crash
    Put32(unwritten, 4, 0);
    Put32(unwritten, 40, 0);
    Bytes oddTail = CanonicalWav(600);
    oddTail.push_back(0x55);  // half a frame after the data
    Put32(oddTail, 40, 1201);
    const Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n', 'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'};

    const Case cases[] = {
        {"canonical", CanonicalWav(600), WavError::kNone, 600},
        {"odd unknown chunk", WithOddChunk(CanonicalWav(600)), WavError::kNone, 600},
        {"RF64", AsRf64(CanonicalWav(600)), WavError::kNone, 600},
        {"odd rate", oddRate, WavError::kNone, 600},
        {"data size past the end", cutShort, WavError::kNone, 600},
        {"sizes never written", unwritten, WavError::kNone, 600},
        {"half frame at the end", oddTail, WavError::kNone, 600},
        {"text", text, WavError::kNotRiffWave, 0},
        {"empty", Bytes{}, WavError::kTruncatedHeader, 0},
        {"zero channels", zeroChannels, WavError::kZeroChannels, 0},
        {"rate 0", rateZero, WavError::kRateOutOfRange, 0},
        {"rate 10^9", rateHuge, WavError::kRateOutOfRange, 0},
        {"block align", badAlign, WavError::kBlockAlignMismatch, 0},
        {"ADPCM", adpcm, WavError::kUnsupportedFormat, 0},
        {"12 bits", twelveBits, WavError::kUnsupportedFormat, 0},
        {"data before format", dataFirst, WavError::kNoFormat, 0},
        {"data chunk past the end", pastEnd, WavError::kDataPastEnd, 0},
        {"no samples", CanonicalWav(0), WavError::kNoData, 0},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.bytes);
        EXPECT_EQ(p.error, c.error) << c.what << ": " << WavErrorText(p.error);
        if (c.error == WavError::kNone) {
            EXPECT_EQ(p.format.frames, c.frames) << c.what;
        }
    }
    // Every cut of the canonical head fails with a reason.
    const Bytes whole = CanonicalWav(600);
    for (std::size_t cut = 0; cut <= 44; ++cut) {
        const Parsed p = Parse(Bytes(whole.begin(), whole.begin() + cut));
        EXPECT_NE(p.error, WavError::kNone) << "cut at " << cut;
    }
}

// The samples come out in order, and after the last frame the file goes on
// from its first within the same block.
TEST(WavReader, SkippedChunksAndRf64ReadTheSamplesAndLoop) {
    for (const Bytes& b : {WithOddChunk(CanonicalWav(700)), AsRf64(CanonicalWav(700))}) {
        const std::vector<float> s = ReadAll(b, 2 * kBlockSamples);
        for (std::size_t i = 0; i < s.size(); ++i) {
            ASSERT_EQ(s[i] * 32768.0f, static_cast<float>(i % 700)) << i;
        }
    }
}

// --- sox fixtures ----------------------------------------------------------

std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tavrin_wav_" + std::to_string(::getpid()) + "_" + name;
}

bool RunShell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

Bytes FileBytes(const std::string& path) {
    Bytes b;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::uint8_t buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) b.insert(b.end(), buf, buf + n);
        std::fclose(f);
    }
    return b;
}

// The same file with its format chunk rewritten as WAVE_FORMAT_EXTENSIBLE
// (sub-format: the plain tag); an extensible file stays as it is.
Bytes AsExtensible(const Bytes& plain) {
    if (plain.size() < 36 || (plain[20] | (plain[21] << 8)) == 0xFFFE) return plain;
    const std::size_t fmtSize = plain[16] | (plain[17] << 8);
    Bytes b(plain.begin(), plain.begin() + 12);
    const Bytes fmt = {'f', 'm', 't', ' ', 40, 0, 0, 0, 0xFE, 0xFF};
    b.insert(b.end(), fmt.begin(), fmt.end());
    b.insert(b.end(), plain.begin() + 22, plain.begin() + 36);  // channels ... bits
    const Bytes tail = {22, 0, plain[34], plain[35], 0, 0, 0, 0, plain[20], plain[21], 0, 0, 0, 0, 0x10, 0,
                        0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    b.insert(b.end(), tail.begin(), tail.end());
    b.insert(b.end(), plain.begin() + 20 + fmtSize + (fmtSize & 1), plain.end());
    return b;
}

TEST(WavReader, EveryFormatDecodesAsSoxReadsIt) {
    if (!RunShell("sox --version >/dev/null")) GTEST_SKIP() << "sox is not installed";
    struct Case {
        const char* name;
        const char* options;  // sox output options
        int rate;
        int channels;
        std::uint16_t tag;  // the format tag sox writes
        int choice;         // the channel read
        const char* remix;  // the same channel as sox's remix effect gives it
    };
    // A tone per channel, each at its own frequency, so a wrong channel shows.
    const Case cases[] = {
        {"u8", "-e unsigned-integer -b 8", 8000, 1, 1, kChannelLeft, "1"},
        {"s16", "-e signed-integer -b 16", 44100, 1, 1, kChannelRight, "1"},
        {"s16_stereo", "-e signed-integer -b 16", 48000, 2, 1, kChannelLeft, "1"},
        {"s16_stereo_right", "-e signed-integer -b 16", 48000, 2, 1, kChannelRight, "2"},
        {"s16_stereo_mix", "-e signed-integer -b 16", 44100, 2, 1, kChannelMix, "1v0.5,2v0.5"},
        {"s24", "-t wavpcm -e signed-integer -b 24", 96000, 1, 1, kChannelLeft, "1"},
        {"s24_stereo_right", "-t wavpcm -e signed-integer -b 24", 48000, 2, 1, kChannelRight, "2"},
        {"s32", "-t wavpcm -e signed-integer -b 32", 192000, 1, 1, kChannelLeft, "1"},
        {"f32", "-t wavpcm -e floating-point -b 32", 22050, 2, 3, kChannelLeft, "1"},
        {"f64", "-t wavpcm -e floating-point -b 64", 11025, 1, 3, kChannelMix, "1"},
        {"ext_s24", "-e signed-integer -b 24", 44100, 1, 0xFFFE, kChannelLeft, "1"},
        {"ext_s32_3ch", "-e signed-integer -b 32", 48000, 3, 0xFFFE, 3, "3"},
        // sox writes float only in the plain format: these are rewritten as extensible.
        {"ext_f32", "-e floating-point -b 32", 32000, 2, 0xFFFE, kChannelRight, "2"},
        {"ext_f64", "-e floating-point -b 64", 16000, 1, 0xFFFE, kChannelLeft, "1"},
        {"ext_s16_4ch", "-e signed-integer -b 16", 8000, 4, 0xFFFE, 4, "4"},
        {"ext_s16_4ch_past", "-e signed-integer -b 16", 8000, 4, 0xFFFE, 7, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string wav = TempPath(std::string(c.name) + ".wav");
        const std::string raw = TempPath(std::string(c.name) + ".raw");
        std::string synth = " synth 0.2";
        for (int ch = 0; ch < c.channels; ++ch) synth += " sine " + std::to_string(300 + 450 * ch);
        ASSERT_TRUE(RunShell("sox -D -n -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) + " " +
                        c.options + " " + wav + synth + " vol 0.93"));
        ASSERT_TRUE(RunShell("sox -D " + wav + " -t raw -e floating-point -b 32 " + raw + " remix " + c.remix));
        const Bytes file = c.tag == 0xFFFE ? AsExtensible(FileBytes(wav)) : FileBytes(wav);
        const Bytes ref = FileBytes(raw);
        std::remove(wav.c_str());
        std::remove(raw.c_str());
        ASSERT_GE(file.size(), 44u);
        EXPECT_EQ(file[20] | (file[21] << 8), c.tag);

        const Parsed p = Parse(file);
        ASSERT_EQ(p.error, WavError::kNone) << WavErrorText(p.error);
        EXPECT_EQ(p.format.rateHz, c.rate);
        EXPECT_EQ(p.format.channels, c.channels);
        const std::size_t count = ref.size() / 4;
        ASSERT_EQ(p.format.frames, count);
        const std::vector<float> got = ReadAll(file, count, c.choice);
        int mismatches = 0;
        for (std::size_t i = 0; i < count && mismatches < 5; ++i) {
            float want;
            std::memcpy(&want, &ref[4 * i], sizeof want);
            // sox writes float rounded to steps of 2^-24: finer files differ by
            // up to one step. Files of up to 24 bits agree exactly.
            if (std::fabs(got[i] - want) > 0x1.01p-24f) {
                ++mismatches;
                ADD_FAILURE() << "sample " << i << ": " << got[i] << ", sox " << want;
            }
        }
    }
}

// A tone 110 dB below full scale over digital silence, in 24-bit PCM and in
// float: through the ring and the spectrum it stands at -110 dBFS above a
// floor below -130 dBFS (read as 16 bits it would vanish: it is a tenth of
// one 16-bit step).
TEST(WavReader, AQuietToneKeepsItsLevelAboveTheFloor) {
    if (!RunShell("sox --version >/dev/null")) GTEST_SKIP() << "sox is not installed";
    constexpr int kPoints = 4096;
    constexpr int kRate = 48000;
    constexpr double kToneHz = 85.0 * kRate / kPoints;  // exactly bin 85
    // 20 ln|X| of a full-scale sine at a bin through the Hanning window: N/4 on the 16-bit scale.
    const double fullScale = 20.0 * std::log(32768.0 * kPoints / 4);
    const char* const options[] = {"-b 24", "-e floating-point -b 32"};
    for (const char* option : options) {
        SCOPED_TRACE(option);
        const std::string wav = TempPath("quiet.wav");
        ASSERT_TRUE(RunShell("sox -D -n -r " + std::to_string(kRate) + " " + option + " " + wav + " synth 0.5 sine " +
                             std::to_string(kToneHz) + " vol -110dB"));
        const Bytes file = FileBytes(wav);
        std::remove(wav.c_str());
        std::unique_ptr<WavReader> reader;
        ASSERT_EQ(WavReader::Open(MemoryByteSource(file), reader), WavError::kNone);
        auto ring = std::make_unique<SampleRing>();
        std::array<float, kBlockSamples> block;
        for (int b = 0; b < kPoints / kBlockSamples; ++b) {
            bool looped = false;
            ASSERT_TRUE(reader->ReadBlock(block, looped));
            ring->Publish(std::span<const float, kBlockSamples>(block));
        }
        auto an = MakeAnalyzer();
        AppSettings settings{};
        settings.fftLength = kPoints;
        settings.halfLength = kPoints / 2;
        SetupAnalyzer(*an, settings);
        ASSERT_EQ(ring->FetchSamples(std::span<double>(an->sampleFrame, kPoints), kPoints), kPoints);
        an->activeWindow = kWindowHanning;
        ApplyWindow(*an);
        ComputeSpectrum(*an);
        const auto dbfs = [&](int bin) { return (an->outRe[bin] - fullScale) / std::log(10.0); };
        EXPECT_NEAR(dbfs(85), -110.0, 0.5);
        double floor = -1e9;
        for (int bin = 1; bin < kPoints / 2; ++bin) {
            if (bin < 80 || bin > 90) floor = std::max(floor, dbfs(bin));
        }
        EXPECT_LT(floor, -130.0);
    }
}

// --- fuzzing ---------------------------------------------------------------

// Mutates valid heads (bytes, sizes, cuts) and reads a few blocks of whatever
// parses. Under the sanitizers this catches any read outside the file or the
// buffers; the checks catch a parse that promises frames the file lacks.
TEST(WavReader, MutatedHeadsNeverReadOutsideTheFile) {
    Bytes extensible = CanonicalWav(300);
    {
        Bytes ext(extensible.begin(), extensible.begin() + 20);
        Put32(ext, 16, 40);
        const std::uint8_t fmt[40] = {0xFE, 0xFF, 2, 0, 0x44, 0xAC, 0, 0, 0x20, 0x62, 0x05, 0, 8, 0, 32, 0, 22, 0,
                                      32, 0, 3, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        ext.insert(ext.end(), fmt, fmt + 40);
        ext.insert(ext.end(), extensible.begin() + 36, extensible.end());
        Put32(ext, ext.size() - 600 - 4, 600);
        extensible = ext;
    }
    const Bytes seeds[] = {CanonicalWav(300), WithOddChunk(CanonicalWav(300)), AsRf64(CanonicalWav(300)), extensible};
    std::mt19937 random(20261209);
    int parsed = 0;
    constexpr int kRounds = 6000;
    for (int round = 0; round < kRounds; ++round) {
        Bytes b = seeds[round % std::size(seeds)];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % std::min<std::size_t>(b.size(), 96);
            switch (random() % 4) {
            case 0: b[at] = static_cast<std::uint8_t>(random()); break;
            case 1: if (at + 4 <= b.size()) Put32(b, at, static_cast<std::uint32_t>(random())); break;
            case 2: if (at + 4 <= b.size()) Put32(b, at, 0xFFFFFFFF - (random() % 3)); break;
            default: b.resize(random() % b.size()); break;
            }
            if (b.empty()) break;
        }
        const std::size_t size = b.size();
        std::unique_ptr<WavReader> reader;
        if (WavReader::Open(MemoryByteSource(std::move(b)), reader) != WavError::kNone) continue;
        ++parsed;
        const WavFormat& f = reader->format();
        ASSERT_GE(f.frames, 1u);
        ASSERT_LE(f.dataOffset + f.frames * static_cast<std::uint64_t>(f.blockAlign), size) << "round " << round;
        std::array<float, kBlockSamples> block;
        for (int k = 0; k < 3; ++k) {
            bool looped = false;
            ASSERT_TRUE(reader->ReadBlock(block, looped, k * 3)) << "round " << round;
        }
    }
    EXPECT_GT(parsed, kRounds / 20) << "the mutations leave some files readable";
}

// The file source publishes the file's blocks into the ring in order, going
// on from the start after the end, and publishes nothing while paused.
TEST(FileSource, PlaysTheFileIntoTheRingAndPauses) {
    auto ring = std::make_unique<SampleRing>();
    FileSource source(*ring);
    std::unique_ptr<WavReader> reader;
    Bytes fast = CanonicalWav(1000);
    Put32(fast, 24, kWavMaxRateHz);  // 2.7 ms a block
    Put32(fast, 28, 2 * kWavMaxRateHz);
    ASSERT_EQ(WavReader::Open(MemoryByteSource(fast), reader), WavError::kNone);
    source.Play(std::move(reader));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (source.BlocksPlayed() < 6 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    source.Pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::uint64_t paused = ring->blocksPublished();
    ASSERT_GE(paused, 6u);
    EXPECT_GE(source.Loops(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ring->blocksPublished(), paused) << "nothing is published while paused";

    std::vector<double> values(paused * kBlockSamples);
    ASSERT_EQ(ring->FetchSamples(values, static_cast<int>(values.size())), static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(values[i], static_cast<double>(i % 1000)) << i;
    }
    source.Resume();
    while (ring->blocksPublished() == paused && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GT(ring->blocksPublished(), paused);
    source.Close();
    const std::uint64_t closed = ring->blocksPublished();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ring->blocksPublished(), closed);
    EXPECT_FALSE(source.IsOpen());
}

}  // namespace
