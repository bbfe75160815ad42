#include "capture/file_source.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// When block `index` of a run at `rateHz` is due, counted from the run's start.
Clock::duration DueAfter(std::uint64_t index, int rateHz) {
    const std::uint64_t samples = (index + 1) * static_cast<std::uint64_t>(kBlockSamples);
    const auto ns = std::chrono::nanoseconds(static_cast<std::int64_t>(samples * 1000000000ull / static_cast<std::uint64_t>(rateHz)));
    return std::chrono::duration_cast<Clock::duration>(ns);
}

}  // namespace

FileSource::FileSource(SampleRing& ring) : ring_(ring) {}

FileSource::~FileSource() { Close(); }

void FileSource::Play(std::unique_ptr<WavReader> reader) {
    Close();
    {
        std::lock_guard guard(lock_);
        stop_ = false;
        paused_ = false;
        seekPending_ = false;
    }
    failed_.store(false, std::memory_order_release);
    blocksPlayed_.store(0, std::memory_order_release);
    loops_.store(0, std::memory_order_release);
    channels_.store(reader->format().channels, std::memory_order_release);
    frames_.store(reader->format().frames, std::memory_order_release);
    position_.store(reader->position(), std::memory_order_release);
    open_.store(true, std::memory_order_release);
    thread_ = std::thread([this, r = std::move(reader)]() mutable { Run(std::move(r)); });
}

void FileSource::Pause() {
    std::lock_guard guard(lock_);
    paused_ = true;
}

void FileSource::Resume() {
    {
        std::lock_guard guard(lock_);
        paused_ = false;
    }
    wake_.notify_all();
}

void FileSource::Close() {
    {
        std::lock_guard guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    open_.store(false, std::memory_order_release);
}

void FileSource::Seek(std::uint64_t frame, std::uint32_t leadSamples) {
    {
        std::lock_guard guard(lock_);
        if (!open_.load(std::memory_order_acquire)) return;
        seekPending_ = true;
        seekFrame_ = frame;
        seekLead_ = leadSamples;
    }
    wake_.notify_all();
}

bool FileSource::Publish(WavReader& reader) {
    std::array<float, kBlockSamples> block;
    bool looped = false;
    if (!reader.ReadBlock(block, looped, channel_.load(std::memory_order_relaxed))) {
        return false;
    }
    ring_.Publish(std::span<const float, kBlockSamples>(block));
    blocksPlayed_.fetch_add(1, std::memory_order_acq_rel);
    if (looped) loops_.fetch_add(1, std::memory_order_acq_rel);
    position_.store(reader.position(), std::memory_order_release);
    return true;
}

bool FileSource::TakeSeek(WavReader& reader, std::unique_lock<std::mutex>& guard) {
    const std::uint64_t frames = reader.format().frames;
    const std::uint64_t target = std::min(seekFrame_, frames - 1);
    const std::uint64_t block = kBlockSamples;
    // Whole blocks that end at the target; at the file's start as many as
    // reach it, from the first frame.
    const std::uint64_t lead = std::min<std::uint64_t>((seekLead_ + block - 1) / block, (target + block - 1) / block);
    seekPending_ = false;
    guard.unlock();
    reader.Seek(target >= lead * block ? target - lead * block : 0);
    position_.store(reader.position(), std::memory_order_release);
    ring_.MarkGap();
    bool read = true;
    for (std::uint64_t i = 0; i < lead && read; ++i) {
        read = Publish(reader);
    }
    guard.lock();
    return read;
}

void FileSource::Run(std::unique_ptr<WavReader> reader) {
    const int rate = reader->format().rateHz;
    Clock::time_point runStart = Clock::now();
    std::uint64_t inRun = 0;
    // The file's first block does not follow the live input's (or another
    // file's) last one. Its own loop point is left as it is: a file shorter
    // than a frame would otherwise never be shown.
    ring_.MarkGap();
    const auto fail = [this] {
        failed_.store(true, std::memory_order_release);
        if (failedHook_) {
            failedHook_();
        }
        std::unique_lock guard(lock_);
        wake_.wait(guard, [this] { return stop_; });
    };
    for (;;) {
        {
            std::unique_lock guard(lock_);
            if (stop_) return;
            if (seekPending_) {
                if (!TakeSeek(*reader, guard)) {
                    guard.unlock();
                    fail();
                    return;
                }
                // The blocks after the new place are paced from now.
                runStart = Clock::now();
                inRun = 0;
                continue;
            }
            if (paused_) {
                wake_.wait(guard, [this] { return stop_ || !paused_ || seekPending_; });
                runStart = Clock::now();
                inRun = 0;
                continue;  // looks again: a stop, a seek or the resume
            }
            const Clock::time_point due = runStart + DueAfter(inRun, rate);
            if (wake_.wait_until(guard, due, [this] { return stop_ || paused_ || seekPending_; })) {
                continue;  // this block waits for the stop, the seek or the resume
            }
        }
        if (Clock::now() - (runStart + DueAfter(inRun, rate)) > DueAfter(kFileMaxLagBlocks - 1, rate)) {
            runStart = Clock::now() - DueAfter(0, rate);
            inRun = 0;
        }
        if (!Publish(*reader)) {
            fail();
            return;
        }
        ++inRun;
    }
}
