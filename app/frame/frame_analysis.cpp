#include "app/frame/frame_analysis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/spectrum.h"

namespace {

// Silence is judged beside the loudest pitch window of the last seconds: its
// peak halves every this many seconds, but never falls below 1 % of full
// scale (so that a quiet room alone is no reference).
constexpr double kLoudestHalfLifeSeconds = 2.0;
constexpr double kQuietestReference = 327.68;
constexpr double kSelectionMatch = 1e-9;
// Where a sound calibrator plays.
constexpr double kCalibratorHz = 1000.0;

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The lag at a fraction of the cepstrum view's width (as its axis places it).
double LagAtFraction(double fraction, std::int32_t lagCount, bool logAxis) {
    return logAxis ? std::pow(10.0, fraction * std::log10(static_cast<double>(lagCount))) : fraction * lagCount;
}

}  // namespace

PitchRange PitchSearchRange(const AppSettings& s, std::int32_t lagCount) {
    AppSettings start{};
    InstallDefaults(start, 0, 0);
    const PitchRange whole{kPitchFloorHz, kPitchCeilingHz};
    if ((std::fabs(s.selX0 - start.selX0) < kSelectionMatch && std::fabs(s.selX1 - start.selX1) < kSelectionMatch) ||
        lagCount < 2 || s.sampleRate <= 0) {
        return whole;
    }
    const bool logAxis = s.logGrid != 0;
    const double a = LagAtFraction(std::clamp(std::min(s.selX0, s.selX1), 0.0, 1.0), lagCount, logAxis);
    const double b = LagAtFraction(std::clamp(std::max(s.selX0, s.selX1), 0.0, 1.0), lagCount, logAxis);
    PitchRange range;
    range.lowHz = b > 0.0 ? std::max(whole.lowHz, s.sampleRate / b) : whole.highHz;
    range.highHz = a > 0.0 ? std::min(whole.highHz, s.sampleRate / a) : whole.highHz;
    return range;
}

AnalyzerFrameAnalysis::AnalyzerFrameAnalysis(SampleFetch fetch)
    : fetch_(std::move(fetch)),
      analyzer_(MakeAnalyzer()),
      calibration_(std::make_unique<CepstrumCalibration>()),
      pitchSamples_(kPitchMaxWindowSamples) {}

bool AnalyzerFrameAnalysis::SetUp(const AppSettings& settings) {
    average_.Reset();
    lastPower_ = nullptr;
    return SetupAnalyzer(*analyzer_, settings) == 1;
}

FrameData AnalyzerFrameAnalysis::Analyse(const AppSettings& s) {
    Analyzer& an = *analyzer_;
    const int n = an.sampleCount;
    bool fresh = true;
    if (fetch_ && !fetch_(an.sampleFrame, n)) {
        std::memcpy(an.sampleFrame, an.rawFrame, sizeof(double) * static_cast<std::size_t>(n > 0 ? n : 0));
        fresh = false;
    }
    an.activeWindow = s.windowKind;
    ApplyWindow(an);
    const bool cepstrum = s.cepstrumMode == 1;
    PitchEstimate pitch;
    if (cepstrum) {
        ComputeCepstrum(an, *calibration_, calibration_->TakeRequest());
        pitch = fresh ? EstimatePitch(s) : lastPitch_;
        lastPitch_ = pitch;
    } else {
        ComputeSpectrum(an);
    }
    AveragedSpectrum averaged{an.outRe, nullptr};
    // A bin of another rate or window is not the same measurement.
    if (s.sampleRate != averagedRate_ || an.activeWindow != averagedWindow_) {
        average_.Reset();
        averagedRate_ = s.sampleRate;
        averagedWindow_ = an.activeWindow;
    }
    if (cepstrum) {
        average_.Reset();
    } else if (fresh) {
        const auto now = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(now - lastFresh_).count();
        lastFresh_ = now;
        averaged = average_.Apply(an.outRe, an.binPower, an.binCount, elapsed);
    } else {
        averaged = average_.Current(an.outRe, an.binPower, an.binCount);
    }
    FrameData frame;
    lastPower_ = averaged.power;
    lastPowerRate_ = s.sampleRate;
    if (!cepstrum && bandChoice_ && averaged.power != nullptr) {
        UpdateWindowPowerSum();
        bands_.Plan(*bandChoice_, s.sampleRate, an.frameLength, windowPowerSum_);
        frame.bandLevels = bands_.Measure(averaged.power);
        frame.bands = bands_.Bands();
        frame.bandFraction = bandChoice_->fraction;
        frame.bandWeighting = bandChoice_->weighting;
    }
    frame.rawFrame = an.rawFrame;
    frame.sampleCount = n;
    frame.displayValues = averaged.levels;
    frame.binPower = averaged.power;
    frame.binCount = an.binCount;
    frame.log10Table = an.log10Table;
    frame.pitch = pitch;
    frame.windowKind = an.activeWindow;
    frame.cepstrum = cepstrum;
    frame.fresh = fresh;
    return frame;
}

void AnalyzerFrameAnalysis::UpdateWindowPowerSum() {
    const Analyzer& an = *analyzer_;
    if (an.activeWindow != powerSumWindow_ || an.frameLength != powerSumLength_) {
        windowPowerSum_ = WindowPowerSum(an);
        powerSumWindow_ = an.activeWindow;
        powerSumLength_ = an.frameLength;
    }
}

double AnalyzerFrameAnalysis::CalibratorLevelDbfs() {
    if (lastPower_ == nullptr) return -std::numeric_limits<double>::infinity();
    UpdateWindowPowerSum();
    OctaveBands thirds;
    thirds.Plan({3, BandWeighting::kZ}, lastPowerRate_, analyzer_->frameLength, windowPowerSum_);
    const auto levels = thirds.Measure(lastPower_);
    const auto bands = thirds.Bands();
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (std::fabs(bands[i].centreHz - kCalibratorHz) < 1.0) return levels[i];
    }
    return -std::numeric_limits<double>::infinity();
}

PitchEstimate AnalyzerFrameAnalysis::EstimatePitch(const AppSettings& s) {
    const Analyzer& an = *analyzer_;
    const PitchRange range = PitchSearchRange(s, an.binCount);
    if (!(range.highHz > range.lowHz) || s.sampleRate <= 0) {
        return {};
    }
    const std::int32_t count = PitchWindowSamples(s.sampleRate, range.lowHz);
    const double* samples = pitchSamples_.data();
    if (count <= an.sampleCount) {
        // The frame already holds them: its newest `count` samples.
        samples = an.rawFrame + (an.sampleCount - count);
    } else if (!fetch_ || !fetch_(pitchSamples_.data(), count)) {
        return {};
    }
    double peak = 0.0;
    double mean = 0.0;
    for (std::int32_t i = 0; i < count; ++i) mean += samples[i];
    mean /= count;
    for (std::int32_t i = 0; i < count; ++i) peak = std::max(peak, std::fabs(samples[i] - mean));
    const double now = SteadySeconds();
    const double decayed = loudest_ * std::exp2(-(now - loudestAtSeconds_) / kLoudestHalfLifeSeconds);
    loudestAtSeconds_ = now;
    loudest_ = std::max({peak, decayed, kQuietestReference});
    return pitchTracker_.Estimate(samples, count, s.sampleRate, range, loudest_);
}
