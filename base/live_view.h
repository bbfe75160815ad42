// LiveViewState: what the display changes while it runs — the zoom the wheel
// and a right-button drag set, the upper view's height, the divider's split,
// the frame count and the selection — kept apart from the settings image
// (base/settings.h), so that no worker thread writes the image.
//
// Threads: the frame loop (zoom, height, frame count, selection, a dragged
// split), the layout on the user-interface thread (height, the value-0 row,
// the split), the status loop (takes the frame count) and the readouts and
// the spectrogram inside a pass read and write it. Every field is an atomic
// of its own, read and written relaxed: no reader relies on two fields
// changing together (a pass sets the stored and the active zoom together,
// and the layout's rescaling of the value-0 row runs under the draw lock
// that a pass holds).
//
// Ownership: one per running program, in the App record. Start-up loads it
// from the image read from "param.bin" before the workers start; the image
// takes its values back only when it is saved or read whole (the workers
// stopped, or for a test), so the file holds what it held before.
#pragma once

#include <atomic>
#include <cstdint>

struct AppSettings;

struct LiveViewState {
    std::atomic<double> activeSpan{0.0};    // value span of the full upper-view height, this frame
    std::atomic<double> activeOffset{0.0};  // pixel row of value 0, this frame
    std::atomic<double> specSpan{0.0};      // stored span/offset of the spectrum display
    std::atomic<double> specOffset{0.0};
    std::atomic<double> cepSpan{0.0};       // stored span/offset of the cepstrum display
    std::atomic<double> cepOffset{0.0};
    std::atomic<std::int32_t> upperHeight{0};  // upper plot view height, pixels
    std::atomic<double> splitRatio{0.0};       // divider top / client height
    std::atomic<std::int32_t> frameCount{0};   // frames since the last status refresh
    // The selection block (display/selection.h), fractions of the upper view.
    std::atomic<double> selY0{0.0};
    std::atomic<double> selX0{0.0};
    std::atomic<double> selX1{0.0};
    std::atomic<double> selY1{0.0};

    // Takes every field from the image (at start-up, before the workers run).
    void LoadFrom(const AppSettings& image);
    // Writes every field into the image, leaving the image's other fields as
    // they are (before the image is saved or read whole).
    void SaveTo(AppSettings& image) const;
};
