#include "base/live_view.h"

#include "base/settings.h"

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

// Each field of the live state and the image field it stands for.
template <typename T>
struct Field {
    std::atomic<T> LiveViewState::*live;
    T AppSettings::*image;
};

constexpr Field<double> kDoubleFields[] = {
    {&LiveViewState::activeSpan, &AppSettings::activeSpan},
    {&LiveViewState::activeOffset, &AppSettings::activeOffset},
    {&LiveViewState::specSpan, &AppSettings::specSpan},
    {&LiveViewState::specOffset, &AppSettings::specOffset},
    {&LiveViewState::cepSpan, &AppSettings::cepSpan},
    {&LiveViewState::cepOffset, &AppSettings::cepOffset},
    {&LiveViewState::splitRatio, &AppSettings::splitRatio},
    {&LiveViewState::selY0, &AppSettings::selY0},
    {&LiveViewState::selX0, &AppSettings::selX0},
    {&LiveViewState::selX1, &AppSettings::selX1},
    {&LiveViewState::selY1, &AppSettings::selY1},
};

constexpr Field<std::int32_t> kIntFields[] = {
    {&LiveViewState::upperHeight, &AppSettings::upperHeight},
    {&LiveViewState::frameCount, &AppSettings::frameCount},
};

}  // namespace

void LiveViewState::LoadFrom(const AppSettings& image) {
    for (const auto& f : kDoubleFields) (this->*f.live).store(image.*f.image, kRelaxed);
    for (const auto& f : kIntFields) (this->*f.live).store(image.*f.image, kRelaxed);
}

void LiveViewState::SaveTo(AppSettings& image) const {
    for (const auto& f : kDoubleFields) image.*f.image = (this->*f.live).load(kRelaxed);
    for (const auto& f : kIntFields) image.*f.image = (this->*f.live).load(kRelaxed);
}
