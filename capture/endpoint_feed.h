// EndpointFeed: what an endpoint stream's service does with what the stream
// hands over, apart from the system's calls: the chosen channel of each packet
// (ChannelSamples, float with full scale at +-1.0) into the capture's buffers,
// and, while a loopback stream delivers nothing at all (its endpoint plays
// nothing), silence at the stream's rate in its place (SilenceDue), so that the
// capture sees quiet and not a lost input.
//
// Times are milliseconds on a steady clock of the caller's.
//
// Threads: the stream's service thread only. Ownership: pushes into the
// caller's PacketBuffers; holds one scratch buffer, sized by Begin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/mix_samples.h"
#include "capture/packet_buffers.h"

class EndpointFeed {
public:
    explicit EndpointFeed(PacketBuffers& buffers) : buffers_(buffers) {}

    // A new stream: its layout and rate, whether it is a loopback, and the
    // most frames one packet holds (the stream's buffer; at least 1).
    void Begin(const MixLayout& layout, int rateHz, bool loopback, std::size_t packetFrames);
    // The stream (re)started at `nowMs`: the silence's clock starts over.
    void Started(std::int64_t nowMs);
    // One packet of `frames` frames at `bytes`, channel `choice`
    // (channel_choice.h); `silent` when the system marked it silence.
    void Packet(const std::byte* bytes, std::size_t frames, bool silent, int choice, std::int64_t nowMs);
    // After the packets of one look at the stream: a loopback that has been
    // quiet for kLoopbackQuietMs gets the silence due by `nowMs`.
    void Poll(std::int64_t nowMs);

private:
    PacketBuffers& buffers_;
    MixLayout layout_;
    int rateHz_ = 0;
    bool loopback_ = false;
    std::vector<float> samples_;
    std::int64_t runStartMs_ = 0;
    std::int64_t lastPacketMs_ = 0;
    std::int64_t delivered_ = 0;  // frames since the start, silence included
};
