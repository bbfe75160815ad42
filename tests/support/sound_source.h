// The test sound server's sources, found by name: their device numbers change
// with the server's modules.
#pragma once

#include <cstddef>
#include <vector>

namespace testsupport {

// The source that carries the harness's 440 Hz sine.
inline constexpr const char* kSineSource = "Monitor of SineOut";
inline constexpr double kSineSourceHz = 440.0;

// The wave-input device number of the source called `name`, or -1.
int DeviceNumber(const char* name);

// Frequency from the rising zero crossings, interpolated between samples;
// 0 with fewer than two crossings.
double ZeroCrossingHz(const std::vector<double>& x, int rateHz);

// The 16-bit little-endian samples of `bytes` from `offset` on.
std::vector<double> Pcm16Samples(const std::vector<unsigned char>& bytes, std::size_t offset);

}  // namespace testsupport
