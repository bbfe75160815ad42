// ViewOptions: the choices kept in "tavrin.ini" that the workers read while
// they run — the spectrogram's colour map, the averaging and the band view
// the status line names and the level calibration the readouts add. The user-interface
// thread sets them (at start-up from the file, then from the menus and
// whenever the input changes); the frame loop, the layout and the status
// loop read them.
//
// Threads: each field is an atomic of its own, read and written relaxed: no
// reader relies on two of them changing together (the status line is
// refreshed every second and shows the next state on its next refresh).
// The averaging itself reaches the analysis between passes (app/frame); these
// copies are for the display only.
//
// Ownership: one per running program, in the App record.
#pragma once

#include <atomic>
#include <limits>
#include <optional>

#include "analysis/octave_bands.h"
#include "analysis/spectrum_average.h"
#include "display/level_colour.h"

struct ViewOptions {
    std::atomic<ColourMap> colourMap{ColourMap::kRainbow};
    std::atomic<AverageMode> averageMode{AverageMode::kOff};
    std::atomic<double> averageSeconds{kAverageSlowSeconds};
    std::atomic<int> averageFrames{kAverageDefaultFrames};
    // The band view's 1/b octave and weighting; 0 while it is not shown.
    std::atomic<int> bandFraction{0};
    std::atomic<BandWeighting> bandWeighting{BandWeighting::kZ};
    // dB SPL minus dBFS for the input in use; NaN while it is not calibrated.
    std::atomic<double> splOffsetDb{std::numeric_limits<double>::quiet_NaN()};

    double SplOffsetDb() const { return splOffsetDb.load(std::memory_order_relaxed); }

    ColourMap Map() const { return colourMap.load(std::memory_order_relaxed); }
    AverageChoice Average() const {
        constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
        return AverageChoice{averageMode.load(kRelaxed), averageSeconds.load(kRelaxed), averageFrames.load(kRelaxed)};
    }
    std::optional<BandChoice> Bands() const {
        const int fraction = bandFraction.load(std::memory_order_relaxed);
        if (fraction == 0) return std::nullopt;
        return BandChoice{fraction, bandWeighting.load(std::memory_order_relaxed)};
    }
    void SetBands(const std::optional<BandChoice>& choice) {
        bandWeighting.store(choice ? choice->weighting : BandWeighting::kZ, std::memory_order_relaxed);
        bandFraction.store(choice ? choice->fraction : 0, std::memory_order_relaxed);
    }
    void SetAverage(const AverageChoice& choice) {
        constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
        averageMode.store(choice.mode, kRelaxed);
        averageSeconds.store(choice.seconds, kRelaxed);
        averageFrames.store(choice.frames, kRelaxed);
    }
};
