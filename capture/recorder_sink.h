// RecorderSink: hands every stored capture block to the WAV recorder, which
// writes it while a recording is open and drops it otherwise. Runs on the
// capture thread; the recorder's own lock separates it from the start and
// end of a recording.
#pragma once

#include "capture/wav_recorder.h"
#include "capture/wave_capture.h"

static_assert(kWavBlockBytes == kBlockBytes, "the recorder appends whole capture blocks");

class RecorderSink final : public BlockSink {
public:
    explicit RecorderSink(WavRecorder& recorder) : recorder_(recorder) {}
    void AppendBlock(std::span<const std::int16_t, kBlockSamples> block) override { recorder_.Append(block.data()); }

private:
    WavRecorder& recorder_;
};
