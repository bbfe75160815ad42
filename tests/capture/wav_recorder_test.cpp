#include "capture/wav_recorder.h"

#include "posix_record_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdlib>
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
        WavRecorder rec(testsupport::OpenPosixRecordFile);
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

// A take cut short by a crash: the head of the open file describes every
// whole second of samples written so far (15 blocks at 8,000 Hz).
TEST_F(WavRecorderTest, AnOpenFileIsDescribedUpToItsLastSecond) {
    WavRecorder rec(testsupport::OpenPosixRecordFile);
    ASSERT_EQ(rec.StartRecording(path_.c_str(), 8000), 1);
    const struct {
        int blocks;                  // appended in all
        std::uint32_t describedBlocks;  // what the head says meanwhile
    } steps[] = {{0, 0}, {1, 0}, {14, 0}, {15, 15}, {29, 15}, {30, 30}};
    int appended = 0;
    for (const auto& step : steps) {
        for (; appended < step.blocks; ++appended) rec.Append(Block(appended).data());
        rec.WaitUntilWritten();
        auto b = ReadAll(path_);
        ASSERT_EQ(b.size(), 44u + 1024u * static_cast<std::uint32_t>(step.blocks));
        EXPECT_EQ(U32(b, 40), 1024 * step.describedBlocks) << step.blocks << " blocks";
        EXPECT_EQ(U32(b, 4), 36 + 1024 * step.describedBlocks) << step.blocks << " blocks";
        EXPECT_EQ(U32(b, 24), 8000u);
    }
}

TEST_F(WavRecorderTest, StopWithoutARecordingTouchesNoFile) {
    { std::ofstream(path_, std::ios::binary) << "keep me"; }
    WavRecorder rec(testsupport::OpenPosixRecordFile);
    EXPECT_EQ(rec.StopRecording(), 1);
    EXPECT_EQ(rec.StopRecording(), 1);
    auto b = ReadAll(path_);
    EXPECT_EQ(std::string(b.begin(), b.end()), "keep me");
}

TEST_F(WavRecorderTest, SecondStartLeavesTheOpenRecordingAlone) {
    WavRecorder rec(testsupport::OpenPosixRecordFile);
    ASSERT_EQ(rec.StartRecording(path_.c_str(), 8000), 1);
    rec.Append(Block(1).data());
    EXPECT_EQ(rec.StartRecording(path_.c_str(), 48000), 1);
    rec.Append(Block(2).data());
    rec.StopRecording();
    ExpectWav(2, 8000);
}

TEST_F(WavRecorderTest, ANewRecordingTruncatesTheOldFile) {
    WavRecorder rec(testsupport::OpenPosixRecordFile);
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
        WavRecorder rec(testsupport::OpenPosixRecordFile);
        rec.StartRecording(path_.c_str(), 192000);
        rec.Append(Block(3).data());
        rec.Append(Block(4).data());
    }
    ExpectWav(2, 192000);
}

// Every format holds exactly what was captured: 16-bit blocks as they were,
// float blocks to the last bit of 24-bit PCM or as float, full scale clipped
// in PCM; sox reads the head as written.
TEST_F(WavRecorderTest, EachFormatHoldsTheSamplesCaptured) {
    struct Case {
        RecordFormat format;
        std::uint16_t tag;
        std::uint16_t bits;
        const char* encoding;  // as soxi names it
    };
    const Case cases[] = {
        {RecordFormat::kPcm16, 1, 16, "Signed Integer PCM"},
        {RecordFormat::kPcm24, 1, 24, "Signed Integer PCM"},
        {RecordFormat::kFloat32, 3, 32, "Floating Point PCM"},
    };
    std::vector<float> fine(kWavBlockSamples);
    for (std::size_t i = 0; i < fine.size(); ++i) {
        fine[i] = static_cast<float>(static_cast<int>(i * 16411 % 16777216) - 8388608) / 8388608.0f;
    }
    fine[0] = 1.0f;
    fine[1] = -1.0f;
    fine[2] = 1.0f / 8388608.0f;  // -138 dBFS: one step of 24 bits
    std::vector<std::int16_t> whole(kWavBlockSamples);
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<std::int16_t>(i * 131 - 32768);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        {
            WavRecorder rec(testsupport::OpenPosixRecordFile);
            ASSERT_EQ(rec.StartRecording(path_.c_str(), 48000, 0, c.format), 1);
            rec.Append(whole.data());
            rec.Append(fine.data());
        }
        const auto b = ReadAll(path_);
        const std::size_t bytes = c.bits / 8;
        const std::size_t head = c.tag == 3 ? 58 : 44;  // float: an 18-byte format chunk and "fact"
        const std::size_t data = 2 * kWavBlockSamples * bytes;
        ASSERT_EQ(b.size(), head + data);
        EXPECT_EQ(U32(b, 4), head - 8 + data);
        EXPECT_EQ(U16(b, 20), c.tag);
        EXPECT_EQ(U32(b, 28), 48000 * bytes);
        EXPECT_EQ(U16(b, 32), bytes);
        EXPECT_EQ(U16(b, 34), c.bits);
        if (c.tag == 3) {
            EXPECT_EQ(std::memcmp(b.data() + 38, "fact", 4), 0);
            EXPECT_EQ(U32(b, 46), 2 * kWavBlockSamples);
        }
        EXPECT_EQ(std::memcmp(b.data() + head - 8, "data", 4), 0);
        EXPECT_EQ(U32(b, head - 4), data);
        const auto sample = [&](std::size_t n) -> double {
            const std::size_t at = head + n * bytes;
            if (c.format == RecordFormat::kFloat32) {
                float f;
                std::memcpy(&f, &b[at], 4);
                return f;
            }
            std::int32_t v = c.bits == 16 ? static_cast<std::int16_t>(U16(b, at))
                                           : static_cast<std::int32_t>((b[at] << 8) | (b[at + 1] << 16) | (b[at + 2] << 24)) >> 8;
            return v / std::ldexp(1.0, c.bits - 1);
        };
        const double step = c.format == RecordFormat::kFloat32 ? 0.0 : std::ldexp(1.0, 1 - c.bits);
        for (std::size_t i = 0; i < kWavBlockSamples; ++i) {
            ASSERT_EQ(sample(i), whole[i] / 32768.0) << i;
            // Rounded to the nearest step; +1.0 is one step short in PCM.
            const double want = fine[i];
            ASSERT_LE(std::fabs(sample(kWavBlockSamples + i) - want), i == 0 ? step : step / 2) << i;
        }
        if (c.format == RecordFormat::kPcm24) {
            EXPECT_EQ(sample(kWavBlockSamples + 2), fine[2]);
        }
        if (std::system("command -v soxi >/dev/null 2>&1") == 0) {
            // Read as written, without a warning.
            const std::string query = "[ \"$(soxi -b '" + path_ + "' 2>&1)\" = " + std::to_string(c.bits) +
                                      " ] && [ \"$(soxi -e '" + path_ + "' 2>&1)\" = '" + c.encoding + "' ]";
            EXPECT_EQ(std::system(query.c_str()), 0) << query;
        }
    }
}

TEST_F(WavRecorderTest, FileThatCannotBeCreatedRecordsNothing) {
    WavRecorder rec(testsupport::OpenPosixRecordFile);
    const std::string bad = (dir_ / "missing-dir" / kRecordingFileName).string();
    EXPECT_EQ(rec.StartRecording(bad.c_str(), 44100), 0);
    EXPECT_FALSE(rec.IsRecording());
    rec.Append(Block(1).data());
    EXPECT_EQ(rec.BlocksWritten(), 0u);
    EXPECT_FALSE(fs::exists(bad));
}

// A stalling disk: block `stallAt` of the file is held until released.
std::atomic<bool> g_stalled{false};
std::uint32_t g_stallAt = 0;

class StallingFile final : public RecordFile {
public:
    explicit StallingFile(std::unique_ptr<RecordFile> file) : file_(std::move(file)) {}
    std::size_t WriteAt(std::uint32_t offset, const void* data, std::size_t bytes) override {
        if (offset == kWavHeadBytes + g_stallAt * kWavBlockBytes) {
            while (g_stalled.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return file_->WriteAt(offset, data, bytes);
    }
    bool Truncate(std::uint32_t length) override { return file_->Truncate(length); }

private:
    std::unique_ptr<RecordFile> file_;
};

std::unique_ptr<RecordFile> OpenStallingFile(const char* path) {
    auto file = testsupport::OpenPosixRecordFile(path);
    return file ? std::make_unique<StallingFile>(std::move(file)) : nullptr;
}

// Blocks arrive while the disk stalls: a queue of more than five seconds at
// 192,000 Hz takes a three-second stall without losing a sample. A stall
// longer than the queue, or a take that reaches its size limit, ends the take
// at the last block taken, says why, and never takes a block it then drops:
// the file holds block 1 to N in order and nothing after.
TEST_F(WavRecorderTest, ATakeEndsOnlyAtABlockItSaysAndNeverWithAHole) {
    constexpr std::uint32_t kThreeSeconds = 3 * 192000 / 512;
    const struct {
        std::uint32_t maxBlocks;
        std::uint32_t appended;
        std::uint32_t blocks;  // in the finished file
        TakeEnd end;
    } cases[] = {
        {kMaxWavBlocks, 10 + kThreeSeconds, 10 + kThreeSeconds, TakeEnd::kNone},
        {kMaxWavBlocks, 10 + kRecorderQueueBlocks + 5, 10 + kRecorderQueueBlocks, TakeEnd::kQueueFull},
        {40, 45, 40, TakeEnd::kSizeLimit},
    };
    EXPECT_GE(kRecorderQueueBlocks * 512, 5u * 192000);
    EXPECT_EQ(kMaxWavBlocks, 4194303u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.appended);
        int errors = 0;
        WavRecorder rec(OpenStallingFile, c.maxBlocks);
        rec.SetErrorCallback([](void* n) { ++*static_cast<int*>(n); }, &errors);
        g_stallAt = 10;
        g_stalled = true;
        ASSERT_EQ(rec.StartRecording(path_.c_str(), 192000), 1);
        for (std::uint32_t i = 0; i < c.appended; ++i) {
            rec.Append(Block(static_cast<int>(i + 1)).data());
            if (i + 1 == g_stallAt) rec.WaitUntilWritten();  // the writer now waits on the disk
        }
        g_stalled = false;
        rec.WaitUntilWritten();
        EXPECT_EQ(rec.IsRecording(), c.end == TakeEnd::kNone);
        EXPECT_EQ(rec.LastTakeEnd(), c.end);
        EXPECT_EQ(errors, c.end == TakeEnd::kNone ? 0 : 1);
        rec.StopRecording();
        EXPECT_EQ(rec.BlocksWritten(), c.blocks);
        ExpectWav(c.blocks, 192000);
        auto b = ReadAll(path_);
        for (std::uint32_t i = 0; i < c.blocks; ++i) {
            ASSERT_EQ(U16(b, 44 + 1024 * i), static_cast<std::uint16_t>(i + 1)) << "block " << i;
        }
    }
}

// The capture thread appends without pause while recordings start and stop:
// every finished file must still be whole.
TEST_F(WavRecorderTest, AppendsNeverReachAClosedFile) {
    WavRecorder rec(testsupport::OpenPosixRecordFile);
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

// A disk that fills up: the file-size limit makes a write short. A head that
// does not fit fails the start and leaves no file; a block that does not fit
// ends the take at the last whole block, under a head that says exactly that,
// and a STOP right after it changes nothing.
TEST_F(WavRecorderTest, AShortWriteEndsTheTakeAtTheLastWholeBlock) {
    const struct {
        rlim_t limit;
        int startResult;
        std::uint32_t blocks;  // in the finished file
    } cases[] = {
        {20, 0, 0},                // inside the head
        {44 + 1024 + 512, 1, 1},   // half of the second block
        {44 + 3 * 1024, 1, 3},     // nothing of the fourth block
    };
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        int errors = 0;
        WavRecorder rec(testsupport::OpenPosixRecordFile);
        rec.SetErrorCallback([](void* n) { ++*static_cast<int*>(n); }, &errors);
        rlimit tight = saved;
        tight.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const int started = rec.StartRecording(path_.c_str(), 44100);
        for (int i = 0; i < 6; ++i) rec.Append(Block(i + 1).data());
        rec.WaitUntilWritten();
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
        EXPECT_EQ(started, c.startResult);
        EXPECT_FALSE(rec.IsRecording());
        EXPECT_EQ(errors, c.startResult);
        EXPECT_EQ(rec.LastTakeEnd(), c.startResult == 1 ? TakeEnd::kWriteFailed : TakeEnd::kNone);
        EXPECT_EQ(rec.StopRecording(), 1);
        rec.Append(Block(9).data());
        if (c.startResult == 0) {
            EXPECT_FALSE(fs::exists(path_));
            continue;
        }
        ExpectWav(c.blocks, 44100);
        auto b = ReadAll(path_);
        EXPECT_EQ(U16(b, 44 + 1024 * (c.blocks - 1)), c.blocks);
    }
    std::signal(SIGXFSZ, previous);
}

}  // namespace
