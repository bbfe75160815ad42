// ExtraSettings: the settings kept beside "param.bin" in "tavrin.ini", for what
// the 176-byte record has no room for; the rules of that file without the
// file calls (app/settings_file_win.h reads and writes it).
//
// Format: UTF-8 text, one "key=value" per line; lines end in LF or CRLF; a
// byte-order mark at the start is allowed. Spaces and tabs around the key and
// around the value are not part of them; empty lines and lines that start
// with '#' or ';' are comments. Keys:
//   input_device  the name of the input device in use at the last exit
//                 (empty: none known)
//   colour_map    the spectrogram's colours: rainbow (default), magma, grey
//   average       the spectrum's averaging: off (default), exponential,
//                 linear, max
//   average_seconds  exponential: the time constant, 0.01 ... 60 (default 1)
//   average_frames   linear: frames in the mean, 1 ... 256 (default 16)
//   input_path   the way in: wave (the wave-input device param.bin numbers,
//                default) or endpoint (the audio endpoint below)
//   endpoint_id  the endpoint's ID as the system gives it (empty: none)
//   channel       the channel a source of several plays: left (default),
//                 right, mix, or a channel number 1 ... 8
//   record_format the format REC writes: 16 (16-bit PCM, default), 24
//                 (24-bit PCM), float (32-bit float)
//   band_view     the upper view shows octave bands: on, off (default)
//   band_fraction the bands' width, 1/b octave: 1, 3 (default), 6, 12, 24
//   weighting     the bands' frequency weighting: Z (default), A, C
//   calibration   "OFFSET NAME": levels of the input NAME (a device's name,
//                 or kFileCalibrationName for played files) read dB SPL =
//                 dBFS + OFFSET; one line per input, at most
//                 kMaxCalibrations, OFFSET within +-kMaxCalibrationOffsetDb
//
// Reading is lenient, as for "param.bin": a line without '=', an unknown key
// and a line longer than kExtraSettingsMaxLineBytes are skipped; a value its
// key cannot take leaves that key's default; of a key given twice the last
// line counts. Only the file's first kExtraSettingsMaxBytes count, and a line
// cut off there is skipped: a huge file costs no more than that.
//
// Writing gives every key once, in a fixed order, each line ending in CRLF,
// without a byte-order mark, so that the same settings always give the same
// bytes and reading them back gives the same record.
//
// Threads: the user-interface thread (start-up and exit). Plain values.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "analysis/octave_bands.h"
#include "analysis/spectrum_average.h"
#include "capture/audio_input.h"
#include "capture/wav_reader.h"
#include "capture/wav_recorder.h"
#include "display/level_colour.h"

// What is read of the file at most, and the longest line that is not skipped
// (without its line end), bytes.
inline constexpr std::size_t kExtraSettingsMaxBytes = 64 * 1024;
inline constexpr std::size_t kExtraSettingsMaxLineBytes = 1024;
// Longest device name kept, bytes of UTF-8: the longest name the platform
// reports, at most three bytes per character.
inline constexpr std::size_t kStoredDeviceNameMaxBytes = 3 * kDeviceNameMaxChars;
// Longest endpoint ID kept, bytes (the system's are about 55 characters).
inline constexpr std::size_t kStoredEndpointIdMaxBytes = 256;

// The calibrations kept, and the largest offset taken, dB.
inline constexpr std::size_t kMaxCalibrations = 64;
inline constexpr double kMaxCalibrationOffsetDb = 400.0;
// The input a calibration taken while a file plays belongs to.
inline constexpr std::string_view kFileCalibrationName = "(file)";

struct ExtraSettings {
    std::string inputDevice;  // UTF-8, as StorableDeviceName leaves it
    ColourMap colourMap = ColourMap::kRainbow;
    AverageChoice average;
    bool endpointInput = false;  // input_path: the endpoint below, not the wave-input device
    std::string endpointId;      // UTF-8, as StorableEndpointId leaves it
    int channel = kChannelLeft;  // kChannelMix or 1 ... kMaxChosenChannel
    RecordFormat recordFormat = RecordFormat::kPcm16;
    bool bandView = false;
    BandChoice bands;
    std::map<std::string, double> calibrations;  // input name -> dB SPL minus dBFS

    bool operator==(const ExtraSettings&) const = default;
};

// `text` is the start of the file: when it holds more than
// kExtraSettingsMaxBytes, only those bytes count and the line cut off there
// is skipped (so a reader passes one byte more than the limit to say the file
// goes on). Never fails: whatever cannot be read stays at its default.
ExtraSettings ParseExtraSettings(std::string_view text);

// The file's whole text for `extra` (values made storable first).
std::string SerializeExtraSettings(const ExtraSettings& extra);

// `name` without the spaces and tabs around it, as "tavrin.ini" keeps it; empty
// when it is not valid UTF-8, holds a control character or is longer than
// kStoredDeviceNameMaxBytes.
std::string StorableDeviceName(std::string_view name);

// `id` without the spaces and tabs around it; empty when it is not clean
// UTF-8 (as for a device name) or longer than kStoredEndpointIdMaxBytes.
std::string StorableEndpointId(std::string_view id);
