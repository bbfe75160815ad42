#include "capture/endpoint_feed.h"

#include <algorithm>
#include <span>

void EndpointFeed::Begin(const MixLayout& layout, int rateHz, bool loopback, std::size_t packetFrames) {
    layout_ = layout;
    rateHz_ = rateHz;
    loopback_ = loopback;
    samples_.assign(std::max<std::size_t>(packetFrames, 1), 0.0f);
}

void EndpointFeed::Started(std::int64_t nowMs) {
    runStartMs_ = lastPacketMs_ = nowMs;
    delivered_ = 0;
}

void EndpointFeed::Packet(const std::byte* bytes, std::size_t frames, bool silent, int choice, std::int64_t nowMs) {
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(frames - done, samples_.size());
        if (silent || bytes == nullptr) {
            std::fill_n(samples_.begin(), n, 0.0f);
        } else {
            ChannelSamples(bytes + done * static_cast<std::size_t>(layout_.frameBytes), n, layout_, choice, samples_);
        }
        buffers_.Push(std::span<const float>(samples_.data(), n));
        done += n;
    }
    delivered_ += static_cast<std::int64_t>(frames);
    lastPacketMs_ = nowMs;
}

void EndpointFeed::Poll(std::int64_t nowMs) {
    if (!loopback_) {
        return;
    }
    std::int64_t due = SilenceDue(nowMs - runStartMs_, delivered_, nowMs - lastPacketMs_, rateHz_);
    if (due <= 0) {
        return;
    }
    std::fill(samples_.begin(), samples_.end(), 0.0f);
    while (due > 0) {
        const std::size_t n = std::min(static_cast<std::size_t>(due), samples_.size());
        buffers_.Push(std::span<const float>(samples_.data(), n));
        due -= static_cast<std::int64_t>(n);
        delivered_ += static_cast<std::int64_t>(n);
    }
}
