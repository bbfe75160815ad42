// PublishedSettings: the settings as the workers see them. After each change
// of the settings image the user-interface thread publishes a copy; the frame
// loop takes one at the top of every pass and keeps it for the whole pass,
// the status line takes one whenever it is refreshed.
//
// Threads: Publish on the user-interface thread, which owns the image;
// Copy from any thread. One small lock guards the copy; neither call waits
// for anything else.
#pragma once

#include <mutex>

#include "base/settings.h"

class PublishedSettings {
public:
    // Replaces the published copy with one of `image`.
    void Publish(const AppSettings& image);
    // The copy published last; all zero before the first Publish.
    AppSettings Copy() const;

private:
    mutable std::mutex lock_;
    AppSettings copy_{};
};
