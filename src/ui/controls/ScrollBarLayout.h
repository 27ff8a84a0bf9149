#pragma once

// Where the parts of a scroll bar lie and how a thumb offset maps onto a
// position. Pure arithmetic, shared by the bar's painting, hit testing and
// dragging.

#include "runtime/Geometry.h"

namespace quorvo::ui {

enum class ScrollOrientation { Horizontal = 1, Vertical = 2 };

// The part under a press; the numbers are the bar's own codes.
enum class ScrollBarPart { None = 0, FirstArrow = 1, SecondArrow = 2, Thumb = 3, Track = 4 };

struct ScrollRange {
    int minimum = 0;
    int maximum = 100;
    int position = 0;
};

struct ScrollBarLayout {
    ScrollOrientation orientation = ScrollOrientation::Horizontal;
    IntRect firstArrow;
    IntRect secondArrow;
    IntRect track;
    IntRect thumb;
    // Along the track; 0 when the bar is too small to show one.
    int thumbLength = 0;

    [[nodiscard]] int trackLength() const;
    // Track pixels the thumb's origin can travel.
    [[nodiscard]] int freeLength() const;
    // The coordinate of a point along the track, measured from the track's origin.
    [[nodiscard]] int along(IntPoint point) const;
    // Hit order: first arrow, second arrow, thumb, track.
    [[nodiscard]] ScrollBarPart hitTest(IntPoint point) const;
};

// The thumb never gets shorter than this, nor longer than its track.
inline constexpr int minimumThumbLength = 30;

// Parts for a bar of `size` showing `range` (position already clamped).
ScrollBarLayout layoutScrollBar(ScrollOrientation orientation, IntSize size, const ScrollRange& range);

// The thumb's offset along the track for a position, and back. Both are
// proportional over the free track length; offsets outside it are clamped.
int thumbOffsetFor(const ScrollRange& range, int freeLength);
int positionForThumbOffset(const ScrollRange& range, int freeLength, int offset);

}  // namespace quorvo::ui
