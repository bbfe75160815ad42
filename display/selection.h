// The selection block: the rectangle the user drags over the upper plot view,
// as fractions of the view's extent, copied as one unit between the views,
// the live view state (base/live_view.h) and, through it, the settings file.
//
// Field order is the block's own: y of the press point, x of the press point,
// x of the current point, y of the current point. y fractions are of
// (height - 1), x fractions of (width - 1); 0 is the top/left pixel and 1 the
// bottom/right one. The two points are not ordered.
#pragma once

#include <cstdint>

struct LiveViewState;

struct SelectionBlock {
    double y0;
    double x0;
    double x1;
    double y1;
};
static_assert(sizeof(SelectionBlock) == 32);

inline constexpr SelectionBlock kDefaultSelection{0.1, 0.1, 0.9, 0.9};

// Least extent of a drag, pixels, in both directions, before it replaces the
// selection: a slip of the hand during a click must not leave a band one
// pixel wide.
inline constexpr std::int32_t kMinDragPx = 3;

// The press point (x0, y0) and the current point (x1, y1), view pixels, as a
// selection of a width x height view. The current point is clamped to the
// view first. A drag that spans less than kMinDragPx across or down, and a
// view narrower or lower than 2 pixels (no fractions), leave the block
// unchanged and return false.
bool DragSelection(SelectionBlock& block, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                   std::int32_t width, std::int32_t height);

// The copy of the block kept in the live view state, and back; each field is
// read and written atomically.
SelectionBlock SavedSelection(const LiveViewState& live);
void SaveSelection(LiveViewState& live, const SelectionBlock& block);
