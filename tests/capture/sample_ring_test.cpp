#include "capture/sample_ring.h"

#include "capture/mix_samples.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Sample i of block b: distinct across neighbouring blocks and positions,
// negative values included.
std::int16_t Pattern(std::int64_t b, int i) { return static_cast<std::int16_t>((b * kBlockSamples + i) * 37); }

void PublishPatternBlocks(SampleRing& ring, std::int64_t first, std::int64_t count) {
    std::array<std::int16_t, kBlockSamples> block;
    for (std::int64_t b = first; b < first + count; ++b) {
        for (int i = 0; i < kBlockSamples; ++i) {
            block[i] = Pattern(b, i);
        }
        ring.Publish(block);
    }
}

TEST(SampleRing, FetchBeforeTheFirstBlockGivesSilence) {
    auto ring = std::make_unique<SampleRing>();
    EXPECT_EQ(ring->newestSlot(), 255);
    std::vector<double> values(kRingSamples, 1.0);
    for (int count : {512, 4096, kRingSamples}) {
        ASSERT_EQ(ring->FetchSamples(values, count), count);
        for (int j = 0; j < count; ++j) {
            ASSERT_EQ(values[j], 0.0) << "count " << count << " at " << j;
        }
    }
}

TEST(SampleRing, TheFirstBlockLandsInSlotZero) {
    auto ring = std::make_unique<SampleRing>();
    PublishPatternBlocks(*ring, 0, 1);
    EXPECT_EQ(ring->newestSlot(), 0);
    std::vector<double> values(1024);
    ring->FetchSamples(values, 1024);
    for (int i = 0; i < kBlockSamples; ++i) {
        EXPECT_EQ(values[i], 0.0);  // slot 255, never written
        EXPECT_EQ(values[kBlockSamples + i], Pattern(0, i));
    }
}

// Blocks come back whole and in capture order, newest last, across the wrap
// from slot 255 to slot 0 and for windows that are not whole blocks.
TEST(SampleRing, FetchReturnsTheNewestSamplesInCaptureOrder) {
    struct Case {
        std::int64_t published;  // blocks published before the fetch
        int count;
        std::uint8_t newestSlot;
    };
    const Case cases[] = {
        {258, 2048, 1},            // blocks 254, 255, 256, 257: slots 254, 255, 0, 1
        {300, 32768, 43},          // the 64 newest blocks
        {300, kRingSamples, 43},   // the whole ring, starting at slot 44
        {300, 700, 43},            // 188 samples of block 298, all of block 299
        {1000, 512, 231},
    };
    for (const Case& c : cases) {
        auto ring = std::make_unique<SampleRing>();
        PublishPatternBlocks(*ring, 0, c.published);
        EXPECT_EQ(ring->newestSlot(), c.newestSlot);
        std::vector<double> values(c.count);
        ASSERT_EQ(ring->FetchSamples(values, c.count), c.count);
        const std::int64_t firstSample = c.published * kBlockSamples - c.count;
        for (int j = 0; j < c.count; ++j) {
            const std::int64_t s = firstSample + j;
            ASSERT_EQ(values[j], Pattern(s / kBlockSamples, static_cast<int>(s % kBlockSamples)))
                << "published " << c.published << ", count " << c.count << ", value " << j;
        }
    }
}

// The destination bounds the fetch: nothing past its end is written, and
// what is written still ends with the newest sample.
TEST(SampleRing, FetchNeverWritesPastItsDestinationOrTheRing) {
    struct Case {
        int destination;
        int count;
        int written;
    };
    const Case cases[] = {
        {1000, 4096, 1000}, {65536, 65536, 65536}, {kRingSamples + 100, kRingSamples + 100, kRingSamples},
        {4096, 0, 0},       {4096, -512, 0},       {0, 1024, 0},
    };
    auto ring = std::make_unique<SampleRing>();
    PublishPatternBlocks(*ring, 0, 400);
    const double sentinel = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : cases) {
        std::vector<double> storage(c.destination + 16, sentinel);
        const std::span<double> destination(storage.data(), c.destination);
        ASSERT_EQ(ring->FetchSamples(destination, c.count), c.written);
        for (std::size_t j = c.written; j < storage.size(); ++j) {
            ASSERT_TRUE(std::isnan(storage[j])) << "destination " << c.destination << " overwritten at " << j;
        }
        if (c.written > 0) {
            EXPECT_EQ(storage[c.written - 1], Pattern(399, kBlockSamples - 1));
        }
    }
}

// Float blocks keep every bit a 24-bit or float source has: the fetch gives
// each sample times 32,768 exactly, and 16-bit blocks their own values.
TEST(SampleRing, FloatBlocksComeBackExactlyOnTheSixteenBitScale) {
    const float cases[] = {1.0f, -1.0f, 0.5f, 1.0f / 8388608.0f, -3.0f / 8388608.0f, 3.1622776e-6f, 1e-30f, 0.0f};
    auto ring = std::make_unique<SampleRing>();
    std::array<float, kBlockSamples> block;
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = cases[i % std::size(cases)] * static_cast<float>(i % 5 + 1) / 4.0f;
    ring->Publish(std::span<const float, kBlockSamples>(block));
    PublishPatternBlocks(*ring, 1, 1);
    std::vector<double> values(2 * kBlockSamples);
    ASSERT_EQ(ring->FetchSamples(values, 2 * kBlockSamples), 2 * kBlockSamples);
    for (int i = 0; i < kBlockSamples; ++i) {
        ASSERT_EQ(values[i], static_cast<double>(block[i]) * 32768.0) << i;
        ASSERT_EQ(values[kBlockSamples + i], Pattern(1, i)) << i;
    }
}

// A frame that would span a gap (the start-up silence included) is not
// handed over; one that lies wholly after the last gap is, and a frame too
// large for the run since the gap waits for more blocks.
TEST(SampleRing, OnlyFramesAfterTheLastGapAreContinuous) {
    struct Case {
        std::int64_t before;  // blocks published, then a gap marked (0: no gap but the start-up)
        std::int64_t after;   // blocks published after it
        int count;
        bool continuous;
    };
    const Case cases[] = {
        {0, 7, 4096, false},  {0, 8, 4096, true},   {300, 0, 512, false},  {300, 1, 512, true},
        {300, 63, 32768, false}, {300, 64, 32768, true}, {300, 400, kRingSamples, true}, {300, 255, kRingSamples, false},
    };
    for (const Case& c : cases) {
        auto ring = std::make_unique<SampleRing>();
        PublishPatternBlocks(*ring, 0, c.before);
        if (c.before > 0) {
            ring->MarkGap();
        }
        PublishPatternBlocks(*ring, c.before, c.after);
        std::vector<double> values(c.count, -1.0);
        ASSERT_EQ(ring->FetchContinuous(values, c.count), c.continuous) << c.before << "+" << c.after << ", " << c.count;
        const std::int64_t end = (c.before + c.after) * kBlockSamples;
        EXPECT_EQ(values.back(), c.continuous ? Pattern((end - 1) / kBlockSamples, kBlockSamples - 1) : -1.0);
    }
}

// A producer publishing numbered uniform blocks as fast as it can (lapping
// the consumer often) against a consumer fetching every frame length: each
// fetch is a run of whole blocks in sequence, after the never-written silence.
TEST(SampleRing, ConcurrentFetchesSeeWholeBlocksInSequence) {
    auto ring = std::make_unique<SampleRing>();
    constexpr int kNumbers = 32767;  // blocks are numbered 1 to 32,767 over and over; 0 is silence
    std::atomic<bool> stop{false};
    std::thread producer([&] {
        std::array<std::int16_t, kBlockSamples> block;
        for (int b = 0; !stop.load(std::memory_order_relaxed); ++b) {
            block.fill(static_cast<std::int16_t>(b % kNumbers + 1));
            ring->Publish(block);
        }
    });

    const int counts[] = {1024, 2048, 4096, 8192, 16384, 32768};
    std::vector<double> values(32768);
    for (int fetch = 0; fetch < 1200; ++fetch) {
        const int count = counts[fetch % 6];
        ASSERT_EQ(ring->FetchSamples(values, count), count);
        int previous = -1;
        for (int start = 0; start < count; start += kBlockSamples) {
            const double v = values[start];
            for (int i = 1; i < kBlockSamples; ++i) {
                ASSERT_EQ(values[start + i], v) << "torn block in fetch " << fetch;
            }
            const int number = static_cast<int>(v);
            if (previous > 0) {
                ASSERT_EQ(number, previous % kNumbers + 1) << "blocks out of sequence in fetch " << fetch;
            } else if (previous == 0) {
                ASSERT_TRUE(number == 0 || number == 1) << "fetch " << fetch;
            }
            previous = number;
        }
    }
    stop.store(true, std::memory_order_relaxed);
    producer.join();
    EXPECT_GT(ring->blocksPublished(), 256u);
}

// An endpoint's chosen channel (or the mix) reaches the ring whole in every
// mix format: the frame stride skips the other channels, 24-bit samples keep
// their last bit, float passes as it is (not-a-number as silence), and a
// choice beyond the endpoint's channels reads its first.
TEST(SampleRing, EndpointSamplesReachTheRingWholeOnTheChosenChannel) {
    constexpr double kLsb24 = 1.0 / 8388608.0;
    const auto encode = [](MixSampleKind kind, double v, std::vector<std::uint8_t>& out) {
        const auto put = [&out](std::int64_t n, int bytes) {
            for (int b = 0; b < bytes; ++b) out.push_back(static_cast<std::uint8_t>(n >> (8 * b)));
        };
        switch (kind) {
        case MixSampleKind::kFloat32: {
            const float f = static_cast<float>(v);
            std::uint8_t b[4];
            std::memcpy(b, &f, 4);
            out.insert(out.end(), b, b + 4);
            break;
        }
        case MixSampleKind::kInt16: put(std::llround(v * 32768.0), 2); break;
        case MixSampleKind::kInt24: put(std::llround(v * 8388608.0), 3); break;
        case MixSampleKind::kInt32: put(std::llround(v * 2147483648.0), 4); break;
        }
    };
    struct Case {
        const char* what;
        MixSampleKind kind;
        int sampleBytes;
        std::vector<double> channels;  // each channel's value in every frame
        int choice;
        float expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"float mono, right asked", MixSampleKind::kFloat32, 4, {0.5}, kChannelRight, 0.5f},
        {"float stereo left", MixSampleKind::kFloat32, 4, {0.25, -0.75}, kChannelLeft, 0.25f},
        {"float stereo right", MixSampleKind::kFloat32, 4, {0.25, -0.75}, kChannelRight, -0.75f},
        {"float stereo mix", MixSampleKind::kFloat32, 4, {0.25, -0.75}, kChannelMix, -0.25f},
        {"float low bits kept", MixSampleKind::kFloat32, 4, {3e-7, 1e-30}, kChannelRight, 1e-30f},
        {"float above full scale kept", MixSampleKind::kFloat32, 4, {1.5}, kChannelLeft, 1.5f},
        {"float NaN is silence", MixSampleKind::kFloat32, 4, {nan, 0.5}, kChannelLeft, 0.0f},
        {"float 8 channels, channel 8", MixSampleKind::kFloat32, 4, {.1, .2, .3, .4, .5, .6, .7, -.8}, 8, -0.8f},
        {"float 8 channels, channel 5", MixSampleKind::kFloat32, 4, {.1, .2, .3, .4, .5, .6, .7, -.8}, 5, 0.5f},
        {"float 8 channels, mix", MixSampleKind::kFloat32, 4, {1, 1, 1, 1, -1, -1, -1, 0.5}, kChannelMix, 0.1875f},
        {"6 channels, channel 8 reads the left", MixSampleKind::kFloat32, 4, {.1, .2, .3, .4, .5, .6}, 8, 0.1f},
        {"16-bit stereo right", MixSampleKind::kInt16, 2, {0.0, 0.5}, kChannelRight, 0.5f},
        {"24-bit packed, right, last bit", MixSampleKind::kInt24, 3, {0.125, -0.5 + kLsb24}, kChannelRight,
         static_cast<float>(-0.5 + kLsb24)},
        {"24 bits in 32, channel 3 of 4", MixSampleKind::kInt32, 4, {0, 0, 0.5 - kLsb24, 0}, 3,
         static_cast<float>(0.5 - kLsb24)},
        {"32-bit smallest", MixSampleKind::kInt32, 4, {-1.0}, kChannelLeft, -1.0f},
    };
    constexpr std::size_t kFrames = 3;
    for (const Case& c : cases) {
        const int channels = static_cast<int>(c.channels.size());
        const MixLayout layout{c.kind, channels, channels * c.sampleBytes};
        std::vector<std::uint8_t> bytes;
        for (std::size_t f = 0; f < kFrames; ++f) {
            for (double v : c.channels) encode(c.kind, v, bytes);
        }
        std::array<float, kFrames + 1> out{};
        out.back() = 99.0f;
        const std::size_t n = ChannelSamples(reinterpret_cast<const std::byte*>(bytes.data()), kFrames, layout,
                                             c.choice, std::span<float>(out.data(), kFrames));
        EXPECT_EQ(n, kFrames) << c.what;
        for (std::size_t f = 0; f < kFrames; ++f) {
            EXPECT_EQ(out[f], c.expected) << c.what << ", frame " << f;
        }
        EXPECT_EQ(out.back(), 99.0f) << c.what << ": written past the frames";
    }
}

// A loopback endpoint that plays nothing sends no packets: once the quiet has
// lasted, the samples the clock is ahead become silence, so the capture runs on.
TEST(SampleRing, LoopbackQuietBecomesSilenceAtTheStreamRate) {
    struct Case {
        std::int64_t elapsedMs, delivered, quietMs;
        int rateHz;
        std::int64_t due;
    };
    const Case cases[] = {
        {1000, 0, 1000, 48000, 48000},             // nothing played since the start
        {5000, 48000, 4000, 44100, 172500},        // a second played, then four quiet
        {1000, 47000, kLoopbackQuietMs - 1, 48000, 0},  // between two packets: not yet
        {1000, 48960, 500, 48000, 0},              // the device ran ahead of the clock
        {86400000, 0, 86400000, 192000, 16588800000},  // a day of quiet does not overflow
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SilenceDue(c.elapsedMs, c.delivered, c.quietMs, c.rateHz), c.due) << c.elapsedMs << " ms";
    }
}

}  // namespace
