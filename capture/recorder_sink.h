// RecorderSink: hands every stored capture block, with its epoch, to the WAV
// recorder, which queues it for its file while a recording of that epoch is
// open and drops it otherwise. Runs on the capture thread; the recorder's own
// lock separates it from the start and end of a recording.
#pragma once

#include "capture/wav_recorder.h"
#include "capture/wave_capture.h"

static_assert(kWavBlockSamples == kBlockSamples, "the recorder appends whole capture blocks");

class RecorderSink final : public BlockSink {
public:
    explicit RecorderSink(WavRecorder& recorder) : recorder_(recorder) {}
    void AppendBlock(std::span<const std::int16_t, kBlockSamples> block, std::uint32_t epoch) override {
        recorder_.Append(block.data(), epoch);
    }
    void AppendBlock(std::span<const float, kBlockSamples> block, std::uint32_t epoch) override {
        recorder_.Append(block.data(), epoch);
    }

private:
    WavRecorder& recorder_;
};
