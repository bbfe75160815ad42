#include "app/frame/peak_hold.h"

PeakHoldScope AnalysedScope(const AppSettings& s) {
    PeakHoldScope scope;
    scope.showWave = s.showWave;
    scope.showSpectrum = s.showSpectrum;
    scope.cepstrumMode = s.cepstrumMode;
    scope.pitchOn = s.pitchOn;
    scope.windowKind = s.windowKind;
    scope.sampleRate = s.sampleRate;
    return scope;
}
