// Samples of an endpoint's mix format turned into what the sample ring takes:
// the chosen channel of interleaved frames (or the mix of all), as float with
// full scale at +-1.0. Nothing is rounded: 16- and 24-bit samples are exact
// in float, float samples pass as they are (not-a-number and infinity, which
// would spoil every analysis they reach, as silence), 32-bit PCM keeps its
// top 24 significant bits.
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

#include "capture/channel_choice.h"

enum class MixSampleKind : std::uint8_t { kFloat32, kInt16, kInt24, kInt32 };

struct MixLayout {
    MixSampleKind kind = MixSampleKind::kFloat32;
    int channels = 1;  // interleaved, 1 or more
    // Bytes of one frame (all channels): a container may be wider than its
    // samples (24-bit samples in 32-bit containers).
    int frameBytes = 4;
};

// Channel `choice` (channel_choice.h, through ChannelInUse) of `frames` whole
// frames at `bytes` (little-endian), into out[0 ... frames - 1]; at most
// out.size() frames are converted. Returns the frames converted.
std::size_t ChannelSamples(const std::byte* bytes, std::size_t frames, const MixLayout& layout, int choice,
                           std::span<float> out);

// Time a loopback endpoint may deliver nothing before the quiet counts as
// silence, milliseconds (the system hands packets every 10 ms while it plays).
inline constexpr int kLoopbackQuietMs = 40;

// Zero samples due at `rateHz` after `elapsedMs` since the start of a run of
// which `delivered` samples came so far, the last one `quietMs` ago: the
// samples the clock is ahead of what came, once the quiet has lasted
// kLoopbackQuietMs; otherwise none.
std::int64_t SilenceDue(std::int64_t elapsedMs, std::int64_t delivered, std::int64_t quietMs, int rateHz);
