// Samples of an endpoint's mix format turned into what the sample ring takes:
// the first channel of interleaved frames, as float (full scale = 1.0), then
// as the ring's 16-bit sample. RingSample is the one place where float meets
// 16 bits; the rest of the endpoint path speaks float.
//
// Also the loopback's silence: an endpoint that plays nothing delivers no
// packets at all, and SilenceDue tells how many zero samples stand for that
// quiet, so that the analysis sees silence rather than a lost input.
//
// Pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

enum class MixSampleKind : std::uint8_t { kFloat32, kInt16, kInt24, kInt32 };

struct MixLayout {
    MixSampleKind kind = MixSampleKind::kFloat32;
    int channels = 1;  // interleaved, 1 or more
    // Bytes of one frame (all channels): a container may be wider than its
    // samples (24-bit samples in 32-bit containers).
    int frameBytes = 4;
};

// `v` (full scale 1.0) as a 16-bit sample: v × 32,768 rounded, clipped to the
// 16-bit range.
std::int16_t RingSample(float v);

// The first channel of `frames` whole frames at `bytes` (little-endian), into
// out[0 ... frames - 1]; `out` holds at least `frames` samples. Returns frames.
std::size_t FirstChannel(const std::byte* bytes, std::size_t frames, const MixLayout& layout,
                         std::span<std::int16_t> out);

// Time a loopback endpoint may deliver nothing before the quiet counts as
// silence, milliseconds (the system hands packets every 10 ms while it plays).
inline constexpr int kLoopbackQuietMs = 40;

// Zero samples due at `rateHz` after `elapsedMs` since the start of a run of
// which `delivered` samples came so far, the last one `quietMs` ago: the
// samples the clock is ahead of what came, once the quiet has lasted
// kLoopbackQuietMs; otherwise none.
std::int64_t SilenceDue(std::int64_t elapsedMs, std::int64_t delivered, std::int64_t quietMs, int rateHz);
