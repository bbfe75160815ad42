#include "app/frame/frame_analysis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "analysis/spectrum.h"

namespace {

// Silence is judged beside the loudest pitch window of the last seconds: its
// peak halves every this many seconds, but never falls below 1 % of full
// scale (so that a quiet room alone is no reference).
constexpr double kLoudestHalfLifeSeconds = 2.0;
constexpr double kQuietestReference = 327.68;
constexpr double kSelectionMatch = 1e-9;

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
    const double* values = an.outRe;
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
        values = average_.Apply(an.outRe, an.binCount, elapsed);
    } else {
        values = average_.Current(an.outRe, an.binCount);
    }
    FrameData frame;
    frame.rawFrame = an.rawFrame;
    frame.sampleCount = n;
    frame.displayValues = values;
    frame.binCount = an.binCount;
    frame.log10Table = an.log10Table;
    frame.pitch = pitch;
    frame.windowKind = an.activeWindow;
    frame.cepstrum = cepstrum;
    frame.fresh = fresh;
    return frame;
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
