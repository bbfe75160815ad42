// FileSource: plays a WAV file into the sample ring in real time, in place of
// the wave-input device: one block of kBlockSamples samples every
// kBlockSamples / rate seconds, published through the ring's producer side
// exactly as the capture publishes a filled buffer. Nothing goes to the
// recorder. At the end of the file playing goes on from its start. The ring
// gets a gap before the file's first block.
//
// The ring has one producer: the live capture must be closed before Play and
// stays closed until Close has returned.
//
// Channel: of a file with more than one channel, the one SetChannel chose
// (see ChannelInUse) is played; a change takes effect from the next block.
//
// Threads: Play, Pause, Resume and Close run on the user-interface thread; a
// thread owned by this object reads the file and publishes. SetChannel and the
// counters: any thread.
//
// Pacing: block k of a run is due k + 1 block periods after the run starts
// (a device hands a buffer back once it is full). A run starts at Play and at
// every Resume; a thread that falls more than kFileMaxLagBlocks behind (the
// machine was busy) starts a new run instead of catching up in a burst.
//
// Seeking: Seek asks the playing thread to go on from another frame. Before
// it goes on there, that thread publishes at once, without pacing and even
// while paused, the blocks that end at that frame (as many as cover the
// `leadSamples` asked for, fewer at the file's start), after a gap: a frame
// that ends at the new place is then in the ring straight away. Seeks that
// come faster than they are carried out count only the last.
//
// A file that can no longer be read (its stick pulled) stops publishing:
// Failed() turns true and the failure hook runs once, on the playing thread
// (it must only post).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "capture/sample_ring.h"
#include "capture/wav_reader.h"

inline constexpr int kFileMaxLagBlocks = 32;

class FileSource {
public:
    explicit FileSource(SampleRing& ring);
    ~FileSource();
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Stops a file that plays, then plays `reader` from where it stands.
    void Play(std::unique_ptr<WavReader> reader);
    // Sets what runs when the file cannot be read any more; before Play.
    void SetFailureHook(std::function<void()> hook) { failedHook_ = std::move(hook); }
    // Publishes nothing more until Resume; the ring keeps the last blocks.
    void Pause();
    void Resume();
    // kChannelMix or a channel number (1 = left); kept from one file to the next.
    void SetChannel(int choice) { channel_.store(choice, std::memory_order_relaxed); }
    int Channel() const { return channel_.load(std::memory_order_relaxed); }
    // Channels of the file that plays (or played last); 0 before the first.
    int Channels() const { return channels_.load(std::memory_order_acquire); }
    // Plays on from `frame` (clamped to the file), `leadSamples` of the
    // frames before it published at once; any thread. Nothing when no file plays.
    void Seek(std::uint64_t frame, std::uint32_t leadSamples);
    // The frame the next block starts with: where playing stands; any thread.
    std::uint64_t Position() const { return position_.load(std::memory_order_acquire); }
    // Frames of the file that plays (or played last); 0 before the first.
    std::uint64_t Frames() const { return frames_.load(std::memory_order_acquire); }
    // Ends playing; once it returns no block is being published nor will be.
    // Safe to call when nothing plays and twice.
    void Close();

    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    // The file that plays (or played last) could not be read any more.
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    std::uint64_t BlocksPlayed() const { return blocksPlayed_.load(std::memory_order_acquire); }
    // Times the file has started again from its first frame.
    std::uint64_t Loops() const { return loops_.load(std::memory_order_acquire); }

private:
    void Run(std::unique_ptr<WavReader> reader);
    // Carries out a seek asked for (lock_ held by `guard`, released while
    // publishing); false when the file could not be read.
    bool TakeSeek(WavReader& reader, std::unique_lock<std::mutex>& guard);
    bool Publish(WavReader& reader);

    SampleRing& ring_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;    // lock_
    bool paused_ = false;  // lock_
    bool seekPending_ = false;     // lock_
    std::uint64_t seekFrame_ = 0;  // lock_
    std::uint32_t seekLead_ = 0;   // lock_
    std::atomic<std::uint64_t> position_{0};
    std::atomic<std::uint64_t> frames_{0};
    std::atomic<bool> open_{false};
    std::atomic<bool> failed_{false};
    std::function<void()> failedHook_;  // set before the thread starts
    std::atomic<std::uint64_t> blocksPlayed_{0};
    std::atomic<std::uint64_t> loops_{0};
    std::atomic<int> channel_{kChannelLeft};
    std::atomic<int> channels_{0};
    std::thread thread_;
};
