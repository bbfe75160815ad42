#include "app/program/published_settings.h"

void PublishedSettings::Publish(const AppSettings& image) {
    const AppSettings copy = CopyForWorkers(image);
    const std::lock_guard<std::mutex> hold(lock_);
    copy_ = copy;
}

AppSettings PublishedSettings::Copy() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return copy_;
}
