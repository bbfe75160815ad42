#include "capture/wav_recorder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// A block whose samples are its number, so order and content can be checked.
std::vector<std::int16_t> Block(int n) { return std::vector<std::int16_t>(512, static_cast<std::int16_t>(n)); }

class WavRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tavrin-wav-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / kRecordingFileName).string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Checks the whole head of a finished file of `blocks` blocks at `rate`.
    void ExpectWav(std::uint32_t blocks, std::uint32_t rate) {
        auto b = ReadAll(path_);
        const std::uint32_t d = blocks * 1024;
        ASSERT_EQ(b.size(), 44u + d);
        EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
        EXPECT_EQ(U32(b, 4), 36 + d);
        EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(U32(b, 16), 16u);
        EXPECT_EQ(U16(b, 20), 1);
        EXPECT_EQ(U16(b, 22), 1);
        EXPECT_EQ(U32(b, 24), rate);
        EXPECT_EQ(U32(b, 28), 2 * rate);
        EXPECT_EQ(U16(b, 32), 2);
        EXPECT_EQ(U16(b, 34), 16);
        EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
        EXPECT_EQ(U32(b, 40), d);
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(WavRecorderTest, BlocksInOrderUnderAFinishedHead) {
    for (std::uint32_t n : {0u, 1u, 7u}) {
        WavRecorder rec;
        ASSERT_EQ(rec.StartRecording(path_.c_str(), 22050), 1);
        EXPECT_TRUE(rec.IsRecording());
        for (std::uint32_t i = 0; i < n; ++i) rec.Append(Block(static_cast<int>(i) + 1).data());
        EXPECT_EQ(rec.StopRecording(), 1);
        EXPECT_FALSE(rec.IsRecording());
        ExpectWav(n, 22050);
        auto b = ReadAll(path_);
        for (std::uint32_t i = 0; i < n; ++i) {
            EXPECT_EQ(U16(b, 44 + 1024 * i), i + 1) << "block " << i;
            EXPECT_EQ(U16(b, 44 + 1024 * i + 1022), i + 1) << "block " << i;
        }
    }
}

TEST_F(WavRecorderTest, AnOpenFileHasZeroPlaceholders) {
    WavRecorder rec;
    ASSERT_EQ(rec.StartRecording(path_.c_str(), 44100), 1);
    rec.Append(Block(1).data());
    auto b = ReadAll(path_);
    ASSERT_EQ(b.size(), 44u + 1024u);
    EXPECT_EQ(U32(b, 4), 0u);
    EXPECT_EQ(U32(b, 40), 0u);
}

TEST_F(WavRecorderTest, StopWithoutARecordingTouchesNoFile) {
    { std::ofstream(path_, std::ios::binary) << "keep me"; }
    WavRecorder rec;
    EXPECT_EQ(rec.StopRecording(), 1);
    EXPECT_EQ(rec.StopRecording(), 1);
    auto b = ReadAll(path_);
    EXPECT_EQ(std::string(b.begin(), b.end()), "keep me");
}

TEST_F(WavRecorderTest, SecondStartLeavesTheOpenRecordingAlone) {
    WavRecorder rec;
    ASSERT_EQ(rec.StartRecording(path_.c_str(), 8000), 1);
    rec.Append(Block(1).data());
    EXPECT_EQ(rec.StartRecording(path_.c_str(), 48000), 1);
    rec.Append(Block(2).data());
    rec.StopRecording();
    ExpectWav(2, 8000);
}

TEST_F(WavRecorderTest, ANewRecordingTruncatesTheOldFile) {
    WavRecorder rec;
    rec.StartRecording(path_.c_str(), 44100);
    for (int i = 0; i < 5; ++i) rec.Append(Block(i).data());
    rec.StopRecording();
    rec.StartRecording(path_.c_str(), 96000);
    rec.Append(Block(9).data());
    rec.StopRecording();
    ExpectWav(1, 96000);
}

TEST_F(WavRecorderTest, DestructionFinishesAnOpenRecording) {
    {
        WavRecorder rec;
        rec.StartRecording(path_.c_str(), 192000);
        rec.Append(Block(3).data());
        rec.Append(Block(4).data());
    }
    ExpectWav(2, 192000);
}

TEST_F(WavRecorderTest, FileThatCannotBeCreatedRecordsNothing) {
    WavRecorder rec;
    const std::string bad = (dir_ / "missing-dir" / kRecordingFileName).string();
    EXPECT_EQ(rec.StartRecording(bad.c_str(), 44100), 0);
    EXPECT_FALSE(rec.IsRecording());
    rec.Append(Block(1).data());
    EXPECT_EQ(rec.BlocksWritten(), 0u);
    EXPECT_FALSE(fs::exists(bad));
}

TEST_F(WavRecorderTest, FullFileStopsGrowingButStaysOpenAndValid) {
    WavRecorder rec(3);
    rec.StartRecording(path_.c_str(), 44100);
    for (int i = 0; i < 5; ++i) rec.Append(Block(i).data());
    EXPECT_TRUE(rec.IsRecording());
    EXPECT_EQ(rec.BlocksWritten(), 3u);
    rec.StopRecording();
    ExpectWav(3, 44100);
    EXPECT_EQ(kMaxWavBlocks, 2097151u);
}

// The capture thread appends without pause while recordings start and stop:
// every finished file must still be whole.
TEST_F(WavRecorderTest, AppendsNeverReachAClosedFile) {
    WavRecorder rec;
    std::atomic<bool> done{false};
    std::thread capture([&] {
        auto block = Block(5);
        while (!done.load(std::memory_order_acquire)) rec.Append(block.data());
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(rec.StartRecording(path_.c_str(), 44100), 1);
        rec.StopRecording();
        auto b = ReadAll(path_);
        ASSERT_GE(b.size(), 44u);
        ASSERT_EQ((b.size() - 44) % 1024, 0u);
        ASSERT_EQ(U32(b, 40), b.size() - 44);
        ASSERT_EQ(U32(b, 4), b.size() - 8);
    }
    done.store(true, std::memory_order_release);
    capture.join();
}

}  // namespace


namespace {

// A disk that fills up in the middle of a block: the part written must not
// shift the blocks after it. The file-size limit makes the write short.
TEST_F(WavRecorderTest, AShortWriteDoesNotShiftTheFollowingBlocks) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    WavRecorder rec;
    ASSERT_EQ(rec.StartRecording(path_.c_str(), 44100), 1);
    rec.Append(Block(1).data());
    rlimit tight = saved;
    tight.rlim_cur = 44 + 1024 + 512;  // room for half of the second block
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    rec.Append(Block(2).data());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(rec.BlocksWritten(), 1u);
    rec.Append(Block(3).data());
    rec.StopRecording();
    ExpectWav(2, 44100);
    auto b = ReadAll(path_);
    EXPECT_EQ(U16(b, 44), 1);
    EXPECT_EQ(U16(b, 44 + 1024), 3);
    EXPECT_EQ(U16(b, 44 + 2046), 3);
}

}  // namespace
