#include "analysis/analyzer.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "analysis/spectrum.h"
#include "base/trunc_to_int.h"
#include "base/settings.h"

namespace {

// Phase constants of the window tables: 2 pi and 4 pi as the program has
// always written them (not full precision; the tables depend on it).
constexpr double kTwoPiApprox = 6.2831853;
constexpr double kFourPiApprox = 12.5663706;

}  // namespace

std::unique_ptr<Analyzer> MakeAnalyzer() {
    // Value-initialisation zeroes every member.
    return std::make_unique<Analyzer>();
}

bool IsSupportedFrameLength(std::int32_t length) {
    return length >= kMinFrameLength && length <= kMaxFrameLength && (length & (length - 1)) == 0;
}

int SetupAnalyzer(Analyzer& an, const AppSettings& settings) {
    if (!IsSupportedFrameLength(settings.fftLength) || settings.halfLength * 2 != settings.fftLength) return 0;
    static_assert(kMaxFrameLength / 2 <= kBinCapacity);
    an.binCount = settings.halfLength;
    an.sampleCount = settings.fftLength;
    for (std::int32_t i = 0; i < an.binCount; i++) an.log10Table[i] = std::log10(static_cast<double>(i));
    an.frameLength = an.sampleCount;
    an.halfFrame = an.frameLength / 2;
    an.log2Length = truncToInt(std::log(static_cast<double>(an.frameLength)) / std::log(2.0));
    assert((1 << an.log2Length) == an.frameLength);
    BuildWindows(an);
    BuildSpectrumTables(an);
    return 1;
}

void BuildWindows(Analyzer& an) {
    const std::int32_t n = an.frameLength;
    const double d = n - 1;
    for (std::int32_t i = 0; i < n; i++) {
        const double a = kTwoPiApprox * i / d;
        an.hanningTable[i] = 0.5 - 0.5 * std::cos(a);
        an.hammingTable[i] = 0.54 - 0.46 * std::cos(a);
        an.blackmanTable[i] = 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(kFourPiApprox * i / d);
    }
}

namespace {

const double* ActiveWindowTable(const Analyzer& an) {
    switch (an.activeWindow) {
        case kWindowHanning: return an.hanningTable;
        case kWindowHamming: return an.hammingTable;
        case kWindowBlackman: return an.blackmanTable;
        default: return nullptr;  // none, or an unknown kind
    }
}

}  // namespace

double WindowPowerSum(const Analyzer& an) {
    const double* table = ActiveWindowTable(an);
    if (table == nullptr) return an.frameLength;
    double sum = 0.0;
    for (std::int32_t i = 0; i < an.frameLength; i++) sum += table[i] * table[i];
    return sum;
}

void ApplyWindow(Analyzer& an) {
    const std::int32_t n = an.frameLength;
    std::memcpy(an.rawFrame, an.sampleFrame, sizeof(double) * n);
    const double* table = ActiveWindowTable(an);
    if (table == nullptr) return;
    for (std::int32_t i = 0; i < n; i++) an.sampleFrame[i] *= table[i];
}
