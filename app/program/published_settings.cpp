#include "app/program/published_settings.h"

void PublishedSettings::Publish(const AppSettings& image) {
    const std::lock_guard<std::mutex> hold(lock_);
    copy_ = image;
}

AppSettings PublishedSettings::Copy() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return copy_;
}
