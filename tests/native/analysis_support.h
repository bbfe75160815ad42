// Helpers shared by the analysis tests.
#pragma once

#include <cstdint>
#include <memory>
#include <random>

#include "analysis/analyzer.h"
#include "app/settings.h"

namespace analysis_test {

inline AppSettings lengthSettings(std::int32_t n) {
    AppSettings s{};
    s.fftLength = n;
    s.halfLength = n / 2;
    return s;
}

inline std::unique_ptr<Analyzer> analyzerFor(std::int32_t n) {
    auto an = makeAnalyzer();
    const AppSettings s = lengthSettings(n);
    setupAnalyzer(*an, s);
    return an;
}

// Random 16-bit samples, as the capture delivers them, into sampleFrame.
inline void fillRandomSamples(Analyzer& an, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> dist(-32768, 32767);
    for (std::int32_t i = 0; i < an.frameLength; i++) an.sampleFrame[i] = dist(gen);
}

}  // namespace analysis_test
