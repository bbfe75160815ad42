// The test sound server's sources, found by name: their device numbers change
// with the server's modules.
#pragma once

namespace testsupport {

// The source that carries the harness's 440 Hz sine.
inline constexpr const char* kSineSource = "Monitor of SineOut";
inline constexpr double kSineSourceHz = 440.0;

// The wave-input device number of the source called `name`, or -1.
int DeviceNumber(const char* name);

}  // namespace testsupport
