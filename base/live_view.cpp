#include "base/live_view.h"

#include "base/settings.h"

namespace {

constexpr std::memory_order kRelaxed = std::memory_order_relaxed;

}  // namespace

void LiveViewState::LoadFrom(const AppSettings& image) {
    activeSpan.store(image.activeSpan, kRelaxed);
    activeOffset.store(image.activeOffset, kRelaxed);
    specSpan.store(image.specSpan, kRelaxed);
    specOffset.store(image.specOffset, kRelaxed);
    cepSpan.store(image.cepSpan, kRelaxed);
    cepOffset.store(image.cepOffset, kRelaxed);
    upperHeight.store(image.upperHeight, kRelaxed);
    splitRatio.store(image.splitRatio, kRelaxed);
    frameCount.store(image.frameCount, kRelaxed);
    selY0.store(image.selY0, kRelaxed);
    selX0.store(image.selX0, kRelaxed);
    selX1.store(image.selX1, kRelaxed);
    selY1.store(image.selY1, kRelaxed);
}

void LiveViewState::SaveTo(AppSettings& image) const {
    image.activeSpan = activeSpan.load(kRelaxed);
    image.activeOffset = activeOffset.load(kRelaxed);
    image.specSpan = specSpan.load(kRelaxed);
    image.specOffset = specOffset.load(kRelaxed);
    image.cepSpan = cepSpan.load(kRelaxed);
    image.cepOffset = cepOffset.load(kRelaxed);
    image.upperHeight = upperHeight.load(kRelaxed);
    image.splitRatio = splitRatio.load(kRelaxed);
    image.frameCount = frameCount.load(kRelaxed);
    image.selY0 = selY0.load(kRelaxed);
    image.selX0 = selX0.load(kRelaxed);
    image.selX1 = selX1.load(kRelaxed);
    image.selY1 = selY1.load(kRelaxed);
}
