// The pitch track of a WAV file as CSV text: a header row "time_s,f0_hz",
// then one row every kPitchTrackStepSeconds (10 ms) from 0 to the file's
// end, the time in seconds and the fundamental in Hz, the second field empty
// where the file has no pitch (analysis/pitch_tracker.h decides). The first
// channel is read, as 16-bit samples (capture/wav_reader.h), and searched
// from kPitchFloorHz to kPitchCeilingHz.
//
// Memory: the file's samples are held whole (8 bytes a sample). Pure apart
// from reading `source`; any thread.
#pragma once

#include <memory>
#include <string>

#include "capture/wav_reader.h"

// kNone and the text in `csv`, or why the file cannot be read (`csv` empty).
WavError PitchTrackCsv(std::unique_ptr<ByteSource> source, std::string& csv);
