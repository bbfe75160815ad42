#include "app/batch/pitch_csv.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "analysis/pitch_tracker.h"

WavError PitchTrackCsv(std::unique_ptr<ByteSource> source, std::string& csv) {
    csv.clear();
    std::unique_ptr<WavReader> reader;
    const WavError opened = WavReader::Open(std::move(source), reader);
    if (opened != WavError::kNone) {
        return opened;
    }
    const std::uint64_t frames = reader->format().frames;
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(frames));
    std::array<float, kBlockSamples> block{};
    while (samples.size() < frames) {
        bool looped = false;
        if (!reader->ReadBlock(block, looped)) {
            return WavError::kCannotRead;
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSamples, frames - samples.size()));
        // On the 16-bit scale the tracker has always read, as from the ring.
        for (std::size_t i = 0; i < take; ++i) samples.push_back(block[i] * static_cast<double>(kRingFullScale));
    }
    const double rateHz = reader->format().rateHz;
    const std::vector<PitchEstimate> track = TrackPitch(samples.data(), samples.size(), rateHz, PitchRange{});
    csv = "time_s,f0_hz\n";
    char row[64];
    for (std::size_t i = 0; i < track.size(); ++i) {
        const double seconds = i * kPitchTrackStepSeconds;
        if (track[i].voiced) {
            std::snprintf(row, sizeof row, "%.2f,%.2f\n", seconds, track[i].hz);
        } else {
            std::snprintf(row, sizeof row, "%.2f,\n", seconds);
        }
        csv += row;
    }
    return WavError::kNone;
}
