#include "display/band_fill.h"

#include <algorithm>

#include "display/surface.h"

namespace {

constexpr std::size_t kHatchPeriod = 8;  // columns (and rows) between two hatch lines
static_assert(kSurfaceBytesPerPixel == sizeof(std::uint32_t), "one pixel word per pixel");
// Pixels per step of the row fill: a fixed count lets the compiler turn the
// step into a few vector operations.
constexpr int kStepColumns = 8;
// Columns visited together: a run none of whose bars reaches a row is
// skipped there, so low bars cost little.
constexpr std::int32_t kRunColumns = 32;

// The bar's pixel where its column reaches row y and the mask has it, else
// the pixel that is there.
std::uint32_t Pick(std::uint32_t bar, std::uint32_t mask, std::uint32_t there, std::int32_t top, std::int32_t y) {
    const std::uint32_t m = mask & (0u - static_cast<std::uint32_t>(top <= y));
    return (bar & m) | (there & ~m);
}

void FillRow(std::uint32_t* __restrict dst, const std::uint32_t* __restrict colour,
             const std::uint32_t* __restrict mask, const std::int32_t* __restrict tops, int n, std::int32_t y) {
    int i = 0;
    for (; i + kStepColumns <= n; i += kStepColumns) {
        for (int k = 0; k < kStepColumns; ++k) {
            dst[i + k] = Pick(colour[i + k], mask[i + k], dst[i + k], tops[i + k], y);
        }
    }
    for (; i < n; ++i) {
        dst[i] = Pick(colour[i], mask[i], dst[i], tops[i], y);
    }
}

}  // namespace

void BandFill::Layout(const BandScale& scale, std::span<const Band> bands, const LayoutKey& key) {
    key_ = key;
    const auto width = static_cast<std::size_t>(std::max(scale.axis.width, 0));
    owner_.assign(width, -1);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const BandColumns c = BandColumnsOf(scale, bands[i]);
        if (!c.shown) continue;
        std::fill(owner_.begin() + c.left, owner_.begin() + c.right + 1, static_cast<std::int32_t>(i));
    }
    colour_.assign(width, 0);
    masks_.assign(width * kHatchPeriod, 0);
    first_ = static_cast<std::int32_t>(width);
    last_ = 0;
    for (std::size_t x = 0; x < width; ++x) {
        if (owner_[x] < 0) continue;
        const bool resolved = bands[static_cast<std::size_t>(owner_[x])].resolved;
        colour_[x] = resolved ? solid_ : hatch_;
        for (std::size_t p = 0; p < kHatchPeriod; ++p) {
            const bool on = resolved || (x + p) % kHatchPeriod == kHatchPeriod - 1;
            masks_[p * width + x] = on ? ~0u : 0u;
        }
        first_ = std::min(first_, static_cast<std::int32_t>(x));
        last_ = static_cast<std::int32_t>(x) + 1;
    }
    tops_.assign(width, 0);
}

void BandFill::Draw(const BandScale& scale, std::span<const Band> bands, std::span<const double> levelsDbfs,
                    const BandFillTarget& target) {
    if (!target.surface || bands.size() != levelsDbfs.size() || target.width != scale.axis.width ||
        target.height != scale.levels.height || target.width <= 0 || target.height <= 0) {
        return;
    }
    LayoutKey key{scale.axis.width, scale.axis.bins, scale.axis.logAxis, scale.binHz, bands.size(), 0.0, 0.0, 0};
    if (!bands.empty()) {
        key.firstLowerHz = bands.front().lowerHz;
        key.lastUpperHz = bands.back().upperHz;
        key.resolvedCount = static_cast<std::size_t>(
            std::count_if(bands.begin(), bands.end(), [](const Band& b) { return b.resolved; }));
    }
    if (key != key_ || owner_.size() != static_cast<std::size_t>(target.width)) Layout(scale, bands, key);
    if (first_ >= last_) return;

    bandTops_.resize(bands.size());
    for (std::size_t i = 0; i < bands.size(); ++i) bandTops_[i] = BandTopRow(scale, levelsDbfs[i]);
    std::int32_t highest = target.height;
    for (std::int32_t x = first_; x < last_; ++x) {
        const std::int32_t band = owner_[static_cast<std::size_t>(x)];
        tops_[static_cast<std::size_t>(x)] = band < 0 ? target.height : bandTops_[static_cast<std::size_t>(band)];
        highest = std::min(highest, tops_[static_cast<std::size_t>(x)]);
    }
    // Each run of columns is visited only in the rows one of its bars reaches.
    runTops_.clear();
    for (std::int32_t x = first_; x < last_; x += kRunColumns) {
        const std::int32_t end = std::min(last_, x + kRunColumns);
        runTops_.push_back(*std::min_element(tops_.begin() + x, tops_.begin() + end));
    }
    const auto width = static_cast<std::size_t>(target.width);
    for (std::int32_t y = std::max(highest, 0); y < target.height; ++y) {
        // Drawing row y is memory row height - 1 - y.
        std::uint8_t* row = target.surface + static_cast<std::ptrdiff_t>(target.height - 1 - y) * target.stride;
        auto* pixels = reinterpret_cast<std::uint32_t*>(row);
        const std::uint32_t* mask = masks_.data() + (static_cast<std::size_t>(y) % kHatchPeriod) * width;
        for (std::size_t r = 0; r < runTops_.size(); ++r) {
            if (runTops_[r] > y) continue;
            const std::int32_t x = first_ + static_cast<std::int32_t>(r) * kRunColumns;
            FillRow(pixels + x, colour_.data() + x, mask + x, tops_.data() + x, std::min(kRunColumns, last_ - x), y);
        }
    }
}
