#include "capture/mix_samples.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int SampleBytes(MixSampleKind kind) {
    switch (kind) {
    case MixSampleKind::kInt16:
        return 2;
    case MixSampleKind::kInt24:
        return 3;
    case MixSampleKind::kFloat32:
    case MixSampleKind::kInt32:
        return 4;
    }
    return 4;
}

float SampleAt(const std::byte* at, MixSampleKind kind) {
    const auto byte = [at](int i) { return static_cast<std::uint32_t>(at[i]); };
    switch (kind) {
    case MixSampleKind::kFloat32: {
        float v = 0.0f;
        std::memcpy(&v, at, sizeof v);
        return std::isfinite(v) ? v : 0.0f;
    }
    case MixSampleKind::kInt16:
        return static_cast<float>(static_cast<std::int16_t>(byte(0) | byte(1) << 8)) / 32768.0f;
    case MixSampleKind::kInt24: {
        const std::uint32_t u = byte(0) << 8 | byte(1) << 16 | byte(2) << 24;
        return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(u)) / 2147483648.0);
    }
    case MixSampleKind::kInt32: {
        const std::uint32_t u = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
        return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(u)) / 2147483648.0);
    }
    }
    return 0.0f;
}

}  // namespace

std::size_t ChannelSamples(const std::byte* bytes, std::size_t frames, const MixLayout& layout, int choice,
                           std::span<float> out) {
    frames = std::min(frames, out.size());
    const auto stride = static_cast<std::size_t>(layout.frameBytes);
    const auto sampleBytes = static_cast<std::size_t>(SampleBytes(layout.kind));
    const int channel = ChannelInUse(choice, layout.channels);
    if (channel != kChannelMix) {
        const std::byte* first = bytes + static_cast<std::size_t>(channel - 1) * sampleBytes;
        for (std::size_t f = 0; f < frames; ++f) {
            out[f] = SampleAt(first + f * stride, layout.kind);
        }
        return frames;
    }
    const double scale = 1.0 / layout.channels;
    for (std::size_t f = 0; f < frames; ++f) {
        double sum = 0.0;
        for (int c = 0; c < layout.channels; ++c) {
            sum += SampleAt(bytes + f * stride + static_cast<std::size_t>(c) * sampleBytes, layout.kind);
        }
        out[f] = static_cast<float>(sum * scale);
    }
    return frames;
}

std::int64_t SilenceDue(std::int64_t elapsedMs, std::int64_t delivered, std::int64_t quietMs, int rateHz) {
    if (quietMs < kLoopbackQuietMs) {
        return 0;
    }
    const std::int64_t due = elapsedMs * rateHz / 1000 - delivered;
    return due > 0 ? due : 0;
}
