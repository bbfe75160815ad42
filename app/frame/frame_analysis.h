// The analysis half of a frame-loop pass and the one value it hands to the
// drawing half: take the newest N samples, keep the unwindowed copy, window
// them and run the spectrum or the cepstrum path; then describe the result
// as a FrameData. Everything the drawing, the readouts and the export learn
// about a frame comes from its FrameData, never from the analysis's insides.
//
// Threads: Analyse runs on the frame loop's thread only and needs no lock.
// SetUp and the calibration's Clear run there too, between passes (the
// frame loop's RunBetweenPasses), or before the loop starts; the CAL request
// may be raised from any thread (analysis/cepstrum.h).
//
// Ownership: AnalyzerFrameAnalysis owns the Analyzer (the plan and the work
// buffers), the calibration, the spectrum's average and the pitch tracker with
// its sample window (about 1 MiB, allocated once); a FrameData only borrows
// from them.
//
// Averaging: in the spectrum path the frame's levels are those of the
// average (analysis/spectrum_average.h), so that the traces, the readouts,
// the spectrogram and the CSV export all show the averaged spectrum. The
// time between frames is measured on the steady clock; a frame that is not
// fresh adds nothing. The cepstrum path is never averaged and starts the
// average over, and so does a new rate, window or data length. SetAverage,
// ResetAverage and SetBands run between passes.
//
// Bands: while a band choice is set, a spectrum frame's averaged power is
// also summed into fractional-octave bands (analysis/octave_bands.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "analysis/analyzer.h"
#include "analysis/cepstrum.h"
#include "analysis/octave_bands.h"
#include "analysis/spectrum_average.h"
#include "analysis/pitch_tracker.h"
#include "base/settings.h"

// What the analysis half of a pass hands to the drawing half. Every pointer
// stays valid, and its values unchanged, until the next pass's analysis.
struct FrameData {
    const double* rawFrame = nullptr;       // the unwindowed samples, sampleCount of them
    int sampleCount = 0;                    // N
    const double* displayValues = nullptr;  // spectrum levels or cepstrum, binCount of them
    int binCount = 0;
    // Spectrum path: the power |X|^2 behind each level, averaged as the
    // levels are; null in the cepstrum path.
    const double* binPower = nullptr;
    const double* log10Table = nullptr;     // log10 of each bin index
    // Cepstrum views: the pitch of the newest samples, searched in the band
    // of lags selected (PitchSearchRange); unvoiced in the other views.
    PitchEstimate pitch{};
    // The band view: the bands of the choice in force and their levels,
    // dBFS, of the averaged power; empty when the bands are not shown.
    std::span<const Band> bands{};
    std::span<const double> bandLevels{};
    int bandFraction = 0;
    BandWeighting bandWeighting = BandWeighting::kZ;
    std::int32_t windowKind = 0;  // WindowKind the samples were windowed with
    bool cepstrum = false;        // displayValues are the cepstrum, else spectrum levels
    // False when the newest samples did not make a continuous frame (a
    // restart or a lost input in between): the frame is then the last good
    // one again, and nothing new may be counted or scrolled.
    bool fresh = true;
};

// The pitches the cepstrum views search: the whole range (kPitchFloorHz to
// kPitchCeilingHz) with the selection the program starts with, else only the
// pitches whose periods lie between the selection's left and right edges
// (settings' selX0 and selX1 over `lagCount` lags on the settings' axis).
// An empty range (lowHz >= highHz) finds no pitch.
PitchRange PitchSearchRange(const AppSettings& settings, std::int32_t lagCount);

class FrameAnalysis {
public:
    virtual ~FrameAnalysis() = default;
    // `settings`: the pass's copy.
    virtual FrameData Analyse(const AppSettings& settings) = 0;
};

// Fills values[0 .. count) with the newest `count` samples, oldest first, and
// returns true; returns false, writing nothing, when they would span a gap.
// `values` has room for kFrameCapacity samples.
using SampleFetch = std::function<bool(double* values, int count)>;

// The program's analysis: an Analyzer fed through the fetch (from the
// sample ring), with the cepstrum's calibration.
class AnalyzerFrameAnalysis final : public FrameAnalysis {
public:
    explicit AnalyzerFrameAnalysis(SampleFetch fetch);

    // Sets the analysis up for the settings' data length (SetupAnalyzer);
    // false, nothing changed, for an unsupported length. See Threads above.
    bool SetUp(const AppSettings& settings);
    // N of the last set-up; 0 before the first.
    std::int32_t FrameLength() const { return analyzer_->frameLength; }

    // Uses the length of the last set-up (a new length is applied between
    // passes), the window kind and the view mode of the settings, and takes
    // a pending CAL request in the cepstrum views. When the fetch finds no
    // continuous frame, the last unwindowed frame is analysed again (and
    // the last pitch kept). In the cepstrum views the pitch is estimated
    // from the newest samples the search range's window needs (which may be
    // more than the frame), with silence judged beside the loudest pitch
    // window of the last seconds.
    FrameData Analyse(const AppSettings& settings) override;

    CepstrumCalibration& Calibration() { return *calibration_; }

    // A new averaging choice (a different one starts over), or a fresh
    // start of the current one (max hold's reset). See Threads above.
    void SetAverage(const AverageChoice& choice) { average_.Choose(choice); }
    void ResetAverage() { average_.Reset(); }
    // The band view's choice, or none while the bands are not shown. See
    // Threads above.
    void SetBands(const std::optional<BandChoice>& choice) { bandChoice_ = choice; }
    // The level of the last spectrum frame (averaged as shown) in the
    // 1/3-octave band at 1 kHz, unweighted, dBFS: what a calibrator playing
    // there reads. -infinity before a spectrum frame or without power. See
    // Threads above.
    double CalibratorLevelDbfs();

private:
    PitchEstimate EstimatePitch(const AppSettings& settings);
    void UpdateWindowPowerSum();

    SampleFetch fetch_;
    std::unique_ptr<Analyzer> analyzer_;
    std::unique_ptr<CepstrumCalibration> calibration_;
    SpectrumAverage average_;
    std::optional<BandChoice> bandChoice_;
    OctaveBands bands_;
    // The window power sum of the plan in force, and what it was taken of.
    double windowPowerSum_ = 0.0;
    std::int32_t powerSumWindow_ = -1;
    std::int32_t powerSumLength_ = 0;
    // The averaged power of the last spectrum frame, and its rate.
    const double* lastPower_ = nullptr;
    std::int32_t lastPowerRate_ = 0;
    std::chrono::steady_clock::time_point lastFresh_{};  // of the last fresh spectrum frame
    std::int32_t averagedRate_ = 0;    // the rate and window the average is of
    std::int32_t averagedWindow_ = 0;
    PitchTracker pitchTracker_;
    std::vector<double> pitchSamples_;  // kPitchMaxWindowSamples
    PitchEstimate lastPitch_;
    double loudest_ = 0.0;               // the reference peak, decaying
    double loudestAtSeconds_ = 0.0;      // steady clock of its last update
};
