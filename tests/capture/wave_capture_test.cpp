#include "capture/wave_capture.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "capture/device_list.h"
#include "capture/endpoint_feed.h"
#include "capture/packet_buffers.h"
#include "support/fake_audio_input.h"

namespace {

using testing_fake::FakeAudioInput;
using testing_fake::kPartialSample;
using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A capture that owns a fake with two named devices; `fake` stays valid as
// long as `capture` lives.
struct Rig {
    explicit Rig(std::chrono::microseconds interval = 200us, unsigned defaultDevice = 0) {
        auto input = std::make_unique<FakeAudioInput>(
            std::vector<std::optional<std::string>>{"Monitor of SineOut", "Line In"}, interval, defaultDevice);
        fake = input.get();
        capture = std::make_unique<WaveCapture>(std::move(input));
    }
    bool BlocksArrive(std::uint64_t howMany) {
        const std::uint64_t from = capture->ring().blocksPublished();
        return WaitFor([&] { return capture->ring().blocksPublished() >= from + howMany; });
    }
    FakeAudioInput* fake;
    std::unique_ptr<WaveCapture> capture;
};

// Records every appended block and the threads that appended them.
struct RecordingSink : BlockSink {
    void AppendBlock(std::span<const std::int16_t, kBlockSamples> block, std::uint32_t) override {
        std::lock_guard lock(m);
        firstSamples.push_back(block[0]);
        for (std::int16_t s : block) {
            uniform = uniform && s == block[0];
        }
        threads.insert(std::this_thread::get_id());
    }
    void AppendBlock(std::span<const float, kBlockSamples> block, std::uint32_t) override {
        std::lock_guard lock(m);
        floatFirstSamples.push_back(block[0]);
        for (float s : block) {
            uniform = uniform && s == block[0];
        }
    }
    std::mutex m;
    std::vector<std::int16_t> firstSamples;
    std::vector<float> floatFirstSamples;
    bool uniform = true;
    std::set<std::thread::id> threads;
};

// True when numbered block `cur` was delivered after `prev` (numbers wrap at
// 32,768; blocks dropped at a pause or reopen leave gaps).
bool Follows(int prev, int cur) {
    const int step = (cur - prev + 32768) % 32768;
    return step >= 1 && step < 16384;
}

// Each fetched block is one whole numbered block of the fake, in delivery
// order (after the never-written silence), and none is a partial buffer
// handed back at a stop.
void ExpectWholeBlocksInSequence(WaveCapture& capture, int count) {
    std::vector<double> values(count);
    capture.FetchSamples(values, count);
    for (int start = 0; start < count; start += kBlockSamples) {
        ASSERT_NE(values[start], kPartialSample);
        for (int i = 1; i < kBlockSamples; ++i) {
            ASSERT_EQ(values[start + i], values[start]);
        }
        if (start > 0 && values[start - 1] != 0) {
            ASSERT_TRUE(Follows(static_cast<int>(values[start - 1]), static_cast<int>(values[start])))
                << values[start - 1] << " then " << values[start];
        }
    }
}

TEST(ListInputDevices, OneEntryPerAnsweringDeviceWithItsOwnNumber) {
    struct Case {
        std::vector<std::optional<std::string>> devices;
        std::vector<unsigned> numbers;
    };
    const Case cases[] = {
        {{"PulseAudio", "Monitor of SineOut", "Monitor of Discard"}, {0, 1, 2}},
        {{"Mic", std::nullopt, "Line"}, {0, 2}},
        {{std::nullopt}, {}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        FakeAudioInput fake(c.devices);
        const auto listed = ListInputDevices(fake);
        ASSERT_EQ(listed.size(), c.numbers.size());
        for (std::size_t k = 0; k < listed.size(); ++k) {
            EXPECT_EQ(listed[k].number, c.numbers[k]);
            EXPECT_EQ(listed[k].name, *c.devices[c.numbers[k]]);
        }
    }
}

TEST(WaveCapture, BufferLengthIsOneBlockAboveFiveHundredTwelveHertz) {
    const std::pair<int, std::uint32_t> cases[] = {
        {8000, 1024}, {11025, 1024}, {22050, 1024}, {44100, 1024}, {48000, 1024},
        {96000, 1024}, {192000, 1024}, {512, 1024}, {256, 512}, {1, 2},
    };
    for (const auto& [rate, bytes] : cases) {
        EXPECT_EQ(BufferBytesForRate(rate), bytes) << rate << " Hz";
    }
}

TEST(WaveCapture, OpenQueuesAllBuffersAndStoresBlocksInOrder) {
    Rig rig;
    ASSERT_EQ(rig.capture->OpenCapture(48000, 1), 1);
    EXPECT_TRUE(rig.capture->isRunning());
    EXPECT_EQ(rig.fake->RateHz(), 48000);
    ASSERT_TRUE(rig.BlocksArrive(300));
    ExpectWholeBlocksInSequence(*rig.capture, 32768);
    EXPECT_TRUE(rig.fake->violations().empty());
}

// An endpoint hands over float samples: they reach the ring and the sink (a
// float or 24-bit take) to the last bit.
TEST(WaveCapture, FloatSamplesReachTheRingAndTheSinkWhole) {
    auto input = std::make_unique<FakeAudioInput>(std::vector<std::optional<std::string>>{"Speakers"}, 1ms, 0,
                                                  BufferSamples::kFloat32);
    FakeAudioInput* fake = input.get();
    WaveCapture capture(std::move(input));
    RecordingSink sink;
    capture.SetBlockSink(&sink);
    ASSERT_EQ(capture.OpenCapture(48000, 0), 1);
    const std::uint64_t from = capture.ring().blocksPublished();
    ASSERT_TRUE(WaitFor([&] { return capture.ring().blocksPublished() >= from + 300; }));
    std::vector<double> values(4096);
    ASSERT_EQ(capture.FetchSamples(values, 4096), 4096);
    for (int start = 0; start < 4096; start += kBlockSamples) {
        EXPECT_EQ(values[start] - std::floor(values[start]), 0.25) << values[start];
        for (int i = 1; i < kBlockSamples; ++i) {
            ASSERT_EQ(values[start + i], values[start]);
        }
        if (start > 0) {
            EXPECT_TRUE(Follows(static_cast<int>(values[start - 1]), static_cast<int>(values[start])));
        }
    }
    capture.SetBlockSink(nullptr);
    {
        std::lock_guard lock(sink.m);
        EXPECT_TRUE(sink.firstSamples.empty()) << "no 16-bit block";
        ASSERT_GE(sink.floatFirstSamples.size(), 300u);
        EXPECT_TRUE(sink.uniform);
        for (float first : sink.floatFirstSamples) {
            const double scaled = static_cast<double>(first) * 32768.0;
            ASSERT_EQ(scaled - std::floor(scaled), 0.25) << scaled;
        }
    }
    EXPECT_TRUE(fake->violations().empty());
}

// At start-up a stored number that is no listed device (-1 included) opens
// the default device, whose number is then stored; no "any device" id reaches
// the layer. A listed device that does not open (gone since it was listed)
// stays the choice, and its number stays stored: no default in its place.
TEST(WaveCapture, AStoredDeviceThatIsNotListedOpensTheDefaultDevice) {
    struct Case {
        std::int32_t stored;
        unsigned defaultDevice;
        std::int32_t used;
        bool gone;  // every device gone after the list was read
    };
    for (const Case c : {Case{1, 0, 1, false}, Case{2, 0, 0, false}, Case{-1, 0, 0, false}, Case{-1, 1, 1, false},
                         Case{6, 1, 1, false}, Case{1, 0, 1, true}}) {
        Rig rig(200us, c.defaultDevice);
        if (c.gone) {
            rig.fake->SetDevices({});
        }
        std::int32_t deviceIndex = c.stored;
        EXPECT_EQ(OpenStoredDevice(*rig.capture, 44100, deviceIndex), c.gone ? 0 : 1);
        EXPECT_EQ(deviceIndex, c.used) << "stored " << c.stored;
        EXPECT_EQ(rig.capture->openedDevice(), c.gone ? -1 : c.used);
        EXPECT_EQ(rig.capture->isRunning(), !c.gone);
        EXPECT_EQ(rig.fake->MapperOpens(), 0);
        if (c.gone) {
            EXPECT_TRUE(WaitFor([&] { return rig.capture->inputLost(); }, 2s)) << "no input is shown";
        }
    }
}

// A failed open leaves the device closed (the one open before included);
// pause and resume then do nothing, and closing is safe twice.
TEST(WaveCapture, AClosedDeviceStaysClosed) {
    Rig rig;
    EXPECT_EQ(rig.capture->PauseCapture(), 1);
    EXPECT_EQ(rig.capture->ResumeCapture(), 0);
    ASSERT_EQ(rig.capture->OpenCapture(44100, 0), 1);
    EXPECT_EQ(rig.capture->OpenCapture(44100, 7), 0);
    EXPECT_FALSE(rig.capture->isOpen());
    EXPECT_FALSE(rig.fake->IsOpen());
    EXPECT_EQ(rig.capture->ResumeCapture(), 0);
    EXPECT_FALSE(rig.capture->isRunning());
    EXPECT_EQ(rig.capture->OpenCapture(0, 0), 0);
    EXPECT_EQ(rig.capture->CloseCapture(), 1);
    EXPECT_EQ(rig.capture->CloseCapture(), 1);
    EXPECT_FALSE(rig.fake->IsOpen());
    EXPECT_EQ(rig.fake->Opens(), 1);
    EXPECT_TRUE(rig.fake->violations().empty());
}

// Every pause hands one buffer back; resuming must queue it again, or the
// capture runs dry after ten cycles while claiming to run. Half the cycles
// resume only after the handed-back buffer has been taken in, half at once
// (its callback may then come after the resume).
TEST(WaveCapture, PauseAndResumeKeepAllTenBuffersCirculating) {
    Rig rig;
    RecordingSink sink;
    rig.capture->SetBlockSink(&sink);
    ASSERT_EQ(rig.capture->OpenCapture(44100, 0), 1);
    for (int cycle = 0; cycle < 12; ++cycle) {
        ASSERT_TRUE(rig.BlocksArrive(5)) << "cycle " << cycle;
        EXPECT_EQ(rig.capture->PauseCapture(), 1);
        EXPECT_FALSE(rig.capture->isRunning());
        if (cycle % 2 == 0) {
            ASSERT_TRUE(WaitFor([&] { return rig.fake->Quiet(); }));
            std::this_thread::sleep_for(5ms);
        }
        EXPECT_EQ(rig.capture->ResumeCapture(), 1);
    }
    ASSERT_TRUE(rig.BlocksArrive(100));
    rig.fake->SetDelivering(false);
    EXPECT_TRUE(WaitFor([&] { return rig.fake->QueuedCount() == kCaptureBuffers; }))
        << rig.fake->QueuedCount() << " buffers with the device";
    ExpectWholeBlocksInSequence(*rig.capture, kRingSamples);
    rig.capture->SetBlockSink(nullptr);
    EXPECT_TRUE(sink.uniform);
    for (std::int16_t first : sink.firstSamples) {
        ASSERT_NE(first, kPartialSample);
    }
    EXPECT_TRUE(rig.fake->violations().empty());
}

// Reopening at once, again and again, while the device delivers: no close
// finds a buffer still queued, no buffer is queued twice, no call comes from
// the delivering thread, and the blocks and appends keep their order.
TEST(WaveCapture, AThousandReopensWhileDelivering) {
    Rig rig(50us);
    RecordingSink sink;
    rig.capture->SetBlockSink(&sink);
    const int rates[] = {8000, 22050, 44100, 48000, 96000, 192000};
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(rig.capture->OpenCapture(rates[i % 6], i % 2), 1);
        if (i % 100 == 0) {
            rig.BlocksArrive(3);
        }
    }
    ASSERT_TRUE(rig.BlocksArrive(50));
    EXPECT_EQ(rig.fake->Opens(), 1000);
    EXPECT_EQ(rig.fake->CloseFailures(), 0);
    // Every device call came from the capture's own thread.
    const auto callers = rig.fake->DeviceCallers();
    EXPECT_EQ(callers.size(), 1u);
    EXPECT_EQ(callers.count(std::this_thread::get_id()), 0u);
    for (const std::string& v : rig.fake->violations()) {
        ADD_FAILURE() << v;
    }
    ExpectWholeBlocksInSequence(*rig.capture, 16384);

    rig.capture->SetBlockSink(nullptr);
    EXPECT_TRUE(sink.uniform);
    EXPECT_EQ(sink.threads.count(rig.fake->DeliveryThread()), 0u);
    EXPECT_EQ(sink.threads.count(std::this_thread::get_id()), 0u);
    for (std::size_t k = 1; k < sink.firstSamples.size(); ++k) {
        ASSERT_TRUE(Follows(sink.firstSamples[k - 1], sink.firstSamples[k])) << "append " << k;
    }
}

TEST(WaveCapture, ReopeningKeepsTheRingAndRemovingTheSinkStopsAppends) {
    Rig rig;
    RecordingSink sink;
    rig.capture->SetBlockSink(&sink);
    ASSERT_EQ(rig.capture->OpenCapture(44100, 0), 1);
    ASSERT_TRUE(rig.BlocksArrive(20));
    rig.capture->SetBlockSink(nullptr);
    const std::size_t appended = sink.firstSamples.size();
    rig.fake->SetDelivering(false);
    ASSERT_TRUE(WaitFor([&] { return rig.fake->QueuedCount() == kCaptureBuffers; }));

    std::vector<double> before(4096), after(4096);
    rig.capture->FetchSamples(before, 4096);
    const std::uint8_t newest = rig.capture->ring().newestSlot();
    ASSERT_EQ(rig.capture->OpenCapture(96000, 1), 1);
    rig.capture->FetchSamples(after, 4096);
    EXPECT_EQ(after, before);
    EXPECT_EQ(rig.capture->ring().newestSlot(), newest);

    rig.fake->SetDelivering(true);
    ASSERT_TRUE(rig.BlocksArrive(20));
    EXPECT_EQ(sink.firstSamples.size(), appended);
}

// A driver that refuses the reset and keeps its buffers: the close gives up
// but keeps the device (which refuses to close over them), nothing is opened
// over those buffers, and once they are back the capture closes and opens
// again by itself.
TEST(WaveCapture, ADeviceThatKeepsItsBuffersIsNotReopenedOverThem) {
    Rig rig;
    ASSERT_EQ(rig.capture->OpenCapture(44100, 1), 1);
    ASSERT_TRUE(rig.BlocksArrive(5));
    rig.fake->HoldOnReset(true);
    EXPECT_EQ(rig.capture->CloseCapture(), 1);
    EXPECT_TRUE(rig.fake->IsOpen());
    EXPECT_EQ(rig.capture->OpenCapture(44100, 0), 0);
    EXPECT_EQ(rig.fake->Opens(), 1);
    rig.fake->HoldOnReset(false);
    rig.fake->ReleaseHeld();
    ASSERT_TRUE(WaitFor([&] { return rig.capture->isRunning() && !rig.capture->inputLost(); }));
    EXPECT_EQ(rig.capture->openedDevice(), 0);
    EXPECT_TRUE(rig.BlocksArrive(20));
    EXPECT_GE(rig.fake->CloseFailures(), 1);
    for (const std::string& v : rig.fake->violations()) {
        ADD_FAILURE() << v;
    }
}

// The chosen device goes under a running capture (a cable slips): it is
// waited for by its own identity, its name wherever it comes back and its
// number only between devices of one name. Meanwhile another device at its
// number and the default device are never opened in its place: the input
// stays lost, nothing reaches the ring or the sink. Once it is back, blocks
// flow to the same sink again. A pause while lost stays a pause. While it is
// away, it is the device named as gone.
TEST(WaveCapture, ALostDeviceIsWaitedForByItsOwnIdentity) {
    using Devices = std::vector<std::optional<std::string>>;
    struct Case {
        Devices meanwhile;  // listed while it is away
        Devices back;       // listed once it returns
        int opened;         // its number then
        bool pauseWhileLost;
    };
    const Case cases[] = {
        {{"Mic", "USB 2"}, {"Line In", "Monitor of SineOut"}, 0, true},
        {{"Mic", "USB 2"}, {"Mic", "USB 2", "Line In"}, 2, false},
        {{"Mic"}, {"Line In", "Line In"}, 1, false},
        {{}, {"Mic", "Line In"}, 1, false},
    };
    for (const Case& c : cases) {
        Rig rig(200us, 1);
        RecordingSink sink;
        std::atomic<int> changes{0};
        rig.capture->SetBlockSink(&sink);
        rig.capture->SetChangeHook([&] { ++changes; });
        ASSERT_EQ(rig.capture->OpenCapture(44100, 1), 1);
        ASSERT_TRUE(rig.BlocksArrive(5));
        rig.fake->Unplug();
        rig.fake->SetDevices(c.meanwhile);
        ASSERT_TRUE(WaitFor([&] { return rig.capture->inputLost(); }, 2s));
        std::vector<double> frame(512);
        EXPECT_FALSE(rig.capture->FetchContinuous(frame, 512));
        const int opens = rig.fake->Opens();
        const std::uint64_t published = rig.capture->ring().blocksPublished();
        const std::size_t appended = [&] { std::lock_guard lock(sink.m); return sink.firstSamples.size(); }();
        if (c.pauseWhileLost) {
            EXPECT_EQ(rig.capture->PauseCapture(), 1);
            EXPECT_FALSE(rig.capture->inputLost());
        }
        std::this_thread::sleep_for(1200ms);
        EXPECT_EQ(rig.fake->Opens(), opens) << "opened another device";
        if (!c.pauseWhileLost) {  // a pause keeps the silent handle it had
            EXPECT_EQ(rig.capture->openedDevice(), -1);
        }
        EXPECT_EQ(rig.capture->inputLost(), !c.pauseWhileLost);
        // The Device menu names it as gone, not the device at its number.
        EXPECT_EQ(rig.capture->GoneDeviceName(), c.pauseWhileLost ? "" : "Line In");
        EXPECT_EQ(rig.capture->ring().blocksPublished(), published);
        {
            std::lock_guard lock(sink.m);
            EXPECT_EQ(sink.firstSamples.size(), appended);
        }
        if (c.pauseWhileLost) {
            rig.capture->ResumeCapture();
        }
        rig.fake->SetDevices(c.back);
        EXPECT_TRUE(WaitFor([&] { return rig.capture->openedDevice() == c.opened && !rig.capture->inputLost(); }, 6s))
            << "back on " << c.opened << ", not " << rig.capture->openedDevice();
        EXPECT_EQ(rig.capture->SettledChoice(), std::optional<unsigned>(c.opened));
        EXPECT_EQ(rig.capture->GoneDeviceName(), "");
        ASSERT_TRUE(rig.BlocksArrive(20));
        EXPECT_TRUE(WaitFor([&] { std::lock_guard lock(sink.m); return sink.firstSamples.size() > appended; }));
        EXPECT_EQ(rig.capture->Devices().size(), c.back.size());
        EXPECT_GE(changes.load(), 2);
        rig.capture->SetBlockSink(nullptr);
        for (const std::string& v : rig.fake->violations()) {
            ADD_FAILURE() << v;
        }
    }
}

// Holds the capture thread inside an append while `hold` is set.
struct GatedSink : BlockSink {
    void AppendBlock(std::span<const std::int16_t, kBlockSamples>, std::uint32_t) override {
        while (hold.load()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    std::atomic<bool> hold{false};
};

// The capture falls behind until the device has no buffer left: the blocks
// the device could not deliver are counted from its position, exactly, and
// no frame spans the hole they leave.
TEST(WaveCapture, BlocksTheDeviceDroppedAreCountedFromItsPosition) {
    Rig rig(1ms);
    GatedSink sink;
    rig.capture->SetBlockSink(&sink);
    ASSERT_EQ(rig.capture->OpenCapture(44100, 0), 1);
    ASSERT_TRUE(rig.BlocksArrive(5));
    EXPECT_EQ(rig.capture->droppedBlocks(), 0u);
    sink.hold = true;
    ASSERT_TRUE(WaitFor([&] { return rig.fake->LostBlocks() >= 5; }));
    rig.fake->SetDelivering(false);
    const long long lost = rig.fake->LostBlocks();
    sink.hold = false;
    ASSERT_TRUE(WaitFor([&] { return rig.capture->droppedBlocks() > 0; }));
    EXPECT_EQ(rig.capture->droppedBlocks(), static_cast<std::uint32_t>(lost));

    const std::uint64_t before = rig.capture->ring().blocksPublished();
    rig.fake->SetDelivering(true);
    ASSERT_TRUE(rig.BlocksArrive(1));
    std::vector<double> frame(kRingSamples);
    EXPECT_FALSE(rig.capture->FetchContinuous(frame, kRingSamples));
    EXPECT_LE(rig.capture->ring().blocksSinceGap(), rig.capture->ring().blocksPublished() - before);
    EXPECT_EQ(rig.capture->PauseCapture(), 1);
    EXPECT_EQ(rig.capture->droppedBlocks(), 0u) << "cleared by STOP";
    rig.capture->SetBlockSink(nullptr);
}

// The window posts its commands: while the capture thread is busy (here held
// inside an append; in life a close waiting for its buffers) they return at
// once, and once it is free they are carried out in the order they were made,
// an open making the ones before it moot.
// The choice is reported only when none is pending. A posted close (a file
// taking the ring over) frees the ring only once it is done: until then the
// capture may still publish, afterwards nothing, and the owner is told.
TEST(WaveCapture, PostedCommandsNeverWaitForTheCaptureThread) {
    Rig rig;
    GatedSink sink;
    rig.capture->SetBlockSink(&sink);
    ASSERT_EQ(rig.capture->OpenCapture(44100, 0), 1);
    ASSERT_TRUE(rig.BlocksArrive(2));
    sink.hold = true;
    std::this_thread::sleep_for(20ms);
    const int opens = rig.fake->Opens();
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t epoch = 0;
    for (int i = 0; i < 50; ++i) {  // RUN and STOP clicked faster than a device opens
        rig.capture->PostPause();
        epoch = rig.capture->PostOpen(48000, 1);
    }
    rig.capture->PostPause();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(epoch, rig.capture->lastOpenEpoch());
    EXPECT_EQ(rig.capture->SettledChoice(), std::nullopt);
    sink.hold = false;
    EXPECT_TRUE(WaitFor([&] { return rig.capture->SettledChoice() == std::optional<unsigned>(1); }));
    EXPECT_EQ(rig.fake->RateHz(), 48000);
    EXPECT_FALSE(rig.capture->isRunning());
    EXPECT_EQ(rig.fake->Opens(), opens + 1) << "only the last open is carried out";

    std::atomic<int> told{0};
    rig.capture->SetChangeHook([&told] { ++told; });
    rig.capture->PostOpen(44100, 0);
    ASSERT_TRUE(rig.BlocksArrive(2));
    sink.hold = true;
    std::this_thread::sleep_for(20ms);
    const auto closing = std::chrono::steady_clock::now();
    rig.capture->PostClose();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 50ms);
    EXPECT_FALSE(rig.capture->Released()) << "the capture is still inside an append";
    const int toldBefore = told.load();
    sink.hold = false;
    ASSERT_TRUE(WaitFor([&] { return rig.capture->Released(); }));
    EXPECT_TRUE(WaitFor([&] { return told.load() > toldBefore; }));
    const std::uint64_t published = rig.capture->ring().blocksPublished();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(rig.capture->ring().blocksPublished(), published) << "published after the release";
    rig.capture->SetChangeHook(nullptr);
    rig.capture->SetBlockSink(nullptr);
}

// An endpoint hands over packets of any length: they fill the queued buffers
// in queue order, a stop hands back the part filled, samples with no buffer
// are lost but counted (the capture counts them as dropped), and nothing is
// taken while the layer is stopped.
TEST(PacketBuffers, PacketsFillTheQueuedBuffersAsTheCaptureExpects) {
    struct Back {
        std::uint32_t tag, bytes;
        bool operator==(const Back&) const = default;
    };
    std::vector<Back> back;
    PacketBuffers buffers;
    buffers.Restart([](void* context, std::uint32_t tag, std::uint32_t bytes) {
        static_cast<std::vector<Back>*>(context)->push_back({tag, bytes});
    }, &back);
    std::array<std::array<float, 4>, 2> memory{};
    const auto push = [&buffers](std::vector<float> samples) { buffers.Push(samples); };
    ASSERT_TRUE(buffers.Queue(0, memory[0].data(), 16, 10));
    ASSERT_TRUE(buffers.Queue(1, memory[1].data(), 16, 11));
    EXPECT_FALSE(buffers.Queue(1, memory[1].data(), 16, 12)) << "queued twice";
    push({1, 2, 3});  // before the start: not taken
    buffers.SetAccepting(true);
    push({1, 2, 3});
    push({4, 5, 6.0000005f});
    EXPECT_EQ(back, (std::vector<Back>{{10, 16}}));
    EXPECT_EQ(memory[0], (std::array<float, 4>{1, 2, 3, 4}));
    buffers.HandBackFilling();
    EXPECT_EQ(back, (std::vector<Back>{{10, 16}, {11, 8}}));
    EXPECT_EQ(memory[1][0], 5);
    EXPECT_EQ(memory[1][1], 6.0000005f);
    push({7, 8, 9});  // no buffer queued: lost, counted
    EXPECT_EQ(buffers.Position(), 9u);
    ASSERT_TRUE(buffers.Queue(0, memory[0].data(), 16, 20));
    ASSERT_TRUE(buffers.Queue(1, memory[1].data(), 16, 21));
    push({1});
    buffers.SetAccepting(false);
    buffers.HandBackAll();
    EXPECT_EQ(back, (std::vector<Back>{{10, 16}, {11, 8}, {20, 4}, {21, 0}}));
    EXPECT_EQ(buffers.Position(), 10u);
}

// An endpoint's stream, as its service sees it every 10 ms, into the
// capture's buffers: the chosen channel of each packet; a loopback that plays
// nothing gives silence at its rate (so the capture runs on instead of
// calling the input lost), one that stops playing gives silence from then
// on, and a capture endpoint that delivers nothing gives nothing.
TEST(PacketBuffers, AnEndpointFeedGivesTheChosenChannelAndALoopbacksQuietAsSilence) {
    struct Case {
        const char* what;
        bool loopback;
        int playMs;  // a stereo packet of 10 ms every 10 ms until then
        bool markedSilent;
        int choice;
        int endMs;
        std::uint32_t samples;  // in the buffers at the end
        float played;           // each played sample
    };
    const Case cases[] = {
        {"a quiet loopback", true, 0, false, kChannelLeft, 2000, 96000, 0.0f},
        {"a quiet capture endpoint", false, 0, false, kChannelLeft, 2000, 0, 0.0f},
        {"a loopback that stops playing, right", true, 500, false, kChannelRight, 1000, 48000, -0.5f},
        {"the same, left", true, 500, false, kChannelLeft, 1000, 48000, 0.25f},
        {"the same, mix", true, 500, false, kChannelMix, 1000, 48000, -0.125f},
        {"packets marked silent", false, 500, true, kChannelLeft, 500, 24000, 0.0f},
    };
    constexpr std::size_t kPacketFrames = 480;
    std::vector<float> packet;
    for (std::size_t f = 0; f < kPacketFrames; ++f) {
        packet.insert(packet.end(), {0.25f, -0.5f});
    }
    for (const Case& c : cases) {
        PacketBuffers buffers;
        buffers.Restart([](void*, std::uint32_t, std::uint32_t) {}, nullptr);
        std::vector<float> memory(100000, 99.0f);
        ASSERT_TRUE(buffers.Queue(0, memory.data(), static_cast<std::uint32_t>(memory.size() * sizeof(float)), 1));
        buffers.SetAccepting(true);
        EndpointFeed feed(buffers);
        feed.Begin({MixSampleKind::kFloat32, 2, 8}, 48000, c.loopback, kPacketFrames);
        feed.Started(0);
        for (int t = 10; t <= c.endMs; t += 10) {
            if (t <= c.playMs) {
                feed.Packet(reinterpret_cast<const std::byte*>(packet.data()), kPacketFrames, c.markedSilent, c.choice, t);
            }
            feed.Poll(t);
        }
        ASSERT_EQ(buffers.Position(), c.samples) << c.what;
        const std::size_t played = static_cast<std::size_t>(c.playMs) * 48;
        for (std::size_t i = 0; i < c.samples; ++i) {
            ASSERT_EQ(memory[i], i < played ? c.played : 0.0f) << c.what << ", sample " << i;
        }
        EXPECT_EQ(memory[c.samples], 99.0f) << c.what;
    }
}

}  // namespace
