#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/settings.h"
#include "display/overview_picture.h"
#include "wav_bytes.h"

namespace {

// The batch command's averaged spectrum against a Welch estimate made here
// by a plain DFT of the same 16-bit samples: Hann frames of N points over
// N - 1, hop N/2, the last one zero-padded past the end, the mean power of
// all frames, in dB relative to a full-scale sine. Every bin within 0.05 dB.
TEST(WelchCsv, AgreesWithAPlainDftEstimate) {
    constexpr std::uint32_t kSamples = 13230;  // 0.3 s at 44.1 kHz: the last frame runs past the end
    constexpr int kLength = 1024;
    std::vector<std::uint8_t> wav = testsupport::CanonicalWav(kSamples);
    std::vector<double> x(kSamples);
    std::mt19937 random(26);
    std::normal_distribution<double> noise(0.0, 200.0);
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        const double v = std::round(8000.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0) + noise(random));
        x[i] = v;
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
        wav[44 + 2 * i] = static_cast<std::uint8_t>(s);
        wav[45 + 2 * i] = static_cast<std::uint8_t>(s >> 8);
    }

    OverviewRequest request;
    request.columns = 40;
    request.frameLength = kLength;
    request.windowKind = kWindowHanning;
    FileOverview file;
    ASSERT_EQ(ComputeFileOverview(MemoryByteSource(std::move(wav)), request, nullptr, file), WavError::kNone);
    const std::string csv = WelchCsv(file.overview, 44100, kWindowHanning);

    std::vector<double> window(kLength);
    double gain = 0.0;
    for (int j = 0; j < kLength; ++j) {
        window[j] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * j / (kLength - 1));
        gain += window[j] / kLength;
    }
    std::vector<double> cosine(kLength);
    std::vector<double> sine(kLength);
    for (int j = 0; j < kLength; ++j) {
        cosine[j] = std::cos(2.0 * std::numbers::pi * j / kLength);
        sine[j] = std::sin(2.0 * std::numbers::pi * j / kLength);
    }
    std::vector<double> power(kLength / 2, 0.0);
    int frames = 0;
    for (std::size_t start = 0;; start += kLength / 2) {
        for (int k = 0; k < kLength / 2; ++k) {
            double re = 0.0;
            double im = 0.0;
            for (int j = 0; j < kLength; ++j) {
                const double v = start + j < kSamples ? x[start + j] * window[j] : 0.0;
                const int turn = (j * k) % kLength;
                re += v * cosine[turn];
                im -= v * sine[turn];
            }
            power[k] += re * re + im * im;
        }
        ++frames;
        if (start + kLength >= kSamples) break;
    }
    const double fullScaleDb = 20.0 * std::log10(32768.0 * kLength * gain / 2.0);

    std::istringstream lines(csv);
    std::string line;
    int k = 0;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("frequency_hz", 0) == 0) continue;
        ASSERT_LT(k, kLength / 2);
        const double dbfs = std::strtod(line.substr(line.rfind(',') + 1).c_str(), nullptr);
        const double expected = 10.0 * std::log10(power[k] / frames) - fullScaleDb;
        EXPECT_NEAR(dbfs, expected, 0.05) << "bin " << k;
        ++k;
    }
    EXPECT_EQ(k, kLength / 2);
}

}  // namespace
