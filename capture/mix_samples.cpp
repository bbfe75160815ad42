#include "capture/mix_samples.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

float FirstSample(const std::byte* frame, MixSampleKind kind) {
    const auto byte = [frame](int i) { return static_cast<std::uint32_t>(frame[i]); };
    switch (kind) {
    case MixSampleKind::kFloat32: {
        float v = 0.0f;
        std::memcpy(&v, frame, sizeof v);
        return v;
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

std::int16_t RingSample(float v) {
    if (!(v == v)) {
        return 0;  // NaN
    }
    const float scaled = std::nearbyint(v * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

std::size_t FirstChannel(const std::byte* bytes, std::size_t frames, const MixLayout& layout,
                         std::span<std::int16_t> out) {
    frames = std::min(frames, out.size());
    for (std::size_t f = 0; f < frames; ++f) {
        out[f] = RingSample(FirstSample(bytes + f * static_cast<std::size_t>(layout.frameBytes), layout.kind));
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
