// WAV files built in memory for the reader's tests, native and under Wine.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

// A canonical 44-byte head (16-bit mono PCM at 44,100 Hz) and `frames`
// samples 0, 1, 2, ...
inline std::vector<std::uint8_t> CanonicalWav(std::uint32_t frames) {
    std::vector<std::uint8_t> b(44 + 2 * frames, 0);
    auto put = [&b](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::memcpy(&b[0], "RIFF", 4);
    put(4, 36 + 2 * frames, 4);
    std::memcpy(&b[8], "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);       // PCM
    put(22, 1, 2);       // channels
    put(24, 44100, 4);   // rate
    put(28, 88200, 4);   // bytes per second
    put(32, 2, 2);       // block align
    put(34, 16, 2);      // bits
    std::memcpy(&b[36], "data", 4);
    put(40, 2 * frames, 4);
    for (std::uint32_t i = 0; i < frames; ++i) put(44 + 2 * i, i, 2);
    return b;
}

}  // namespace testsupport
