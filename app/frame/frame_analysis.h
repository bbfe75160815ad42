// The analysis half of a frame-loop pass: take the newest N samples, keep the
// unwindowed copy, window them and run the spectrum or the cepstrum path.
// These steps need no lock; they run on the frame loop's thread only and
// touch only the upper Analyzer and the cepstrum average.
#pragma once

#include <functional>
#include <memory>

#include "analysis/analyzer.h"
#include "analysis/cepstrum.h"
#include "base/settings.h"

// What the analysis half of a pass hands to the drawing half. Every pointer
// stays valid until the next pass (they point into the upper Analyzer).
struct FrameData {
    const double* rawFrame;       // the unwindowed samples, sampleCount of them
    int sampleCount;              // N
    const double* displayValues;  // spectrum levels or cepstrum, binCount of them
    int binCount;
    const double* log10Table;     // log10 of each bin index
    TracePoint* wavePoints;       // point buffers, pointCapacity entries each
    TracePoint* tracePoints;
    TracePoint* peakPoints;
    int pointCapacity;
    // False when the newest samples did not make a continuous frame (a
    // restart or a lost input in between): the frame is then the last good
    // one again, and nothing new may be counted or scrolled.
    bool fresh = true;
};

class FrameAnalysis {
public:
    virtual ~FrameAnalysis() = default;
    // `settings`: the pass's copy. `calRequest`: the settings image's CAL
    // request, shared with the user-interface thread.
    virtual FrameData Analyse(const AppSettings& settings, std::uint8_t& calRequest) = 0;
};

// Fills values[0 .. count) with the newest `count` samples, oldest first, and
// returns true; returns false, writing nothing, when they would span a gap.
using SampleFetch = std::function<bool(double* values, int count)>;

// The program's analysis: the upper Analyzer fed from the sample ring.
class AnalyzerFrameAnalysis final : public FrameAnalysis {
public:
    AnalyzerFrameAnalysis(Analyzer& analyzer, SampleFetch fetch);

    // Uses the length of the Analyzer's last set-up (a new length is applied
    // between passes), the window kind and the view mode of the settings, and
    // takes a pending CAL request in the cepstrum views (one exchange). When
    // the fetch finds no continuous frame, the last unwindowed frame is
    // analysed again.
    FrameData Analyse(const AppSettings& settings, std::uint8_t& calRequest) override;

    // The running cepstrum average, e.g. to clear the calibration between passes.
    CepstrumAverage& Average() { return *average_; }

private:
    Analyzer& analyzer_;
    SampleFetch fetch_;
    std::unique_ptr<CepstrumAverage> average_;
};
