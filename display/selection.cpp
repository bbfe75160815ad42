#include "display/selection.h"

#include <algorithm>
#include <cstdlib>

#include "base/live_view.h"

bool DragSelection(SelectionBlock& block, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                   std::int32_t width, std::int32_t height) {
    if (width < 2 || height < 2) {
        return false;
    }
    // Only the current point can lie outside: the press happened inside.
    x1 = std::clamp(x1, 0, width - 1);
    y1 = std::clamp(y1, 0, height - 1);
    if (std::abs(x1 - x0) < kMinDragPx || std::abs(y1 - y0) < kMinDragPx) {
        return false;
    }
    const double xSpan = width - 1;
    const double ySpan = height - 1;
    block.y0 = y0 / ySpan;
    block.y1 = y1 / ySpan;
    block.x0 = x0 / xSpan;
    block.x1 = x1 / xSpan;
    return true;
}

SelectionBlock SavedSelection(const LiveViewState& live) {
    constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
    return {live.selY0.load(kRelaxed), live.selX0.load(kRelaxed), live.selX1.load(kRelaxed), live.selY1.load(kRelaxed)};
}

void SaveSelection(LiveViewState& live, const SelectionBlock& block) {
    constexpr std::memory_order kRelaxed = std::memory_order_relaxed;
    live.selY0.store(block.y0, kRelaxed);
    live.selX0.store(block.x0, kRelaxed);
    live.selX1.store(block.x1, kRelaxed);
    live.selY1.store(block.y1, kRelaxed);
}
