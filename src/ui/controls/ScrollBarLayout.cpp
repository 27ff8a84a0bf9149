#include "ui/controls/ScrollBarLayout.h"

#include <algorithm>
#include <cstdint>

namespace quorvo::ui {

int ScrollBarLayout::trackLength() const
{
    return orientation == ScrollOrientation::Horizontal ? track.width : track.height;
}

int ScrollBarLayout::freeLength() const
{
    return std::max(0, trackLength() - thumbLength);
}

int ScrollBarLayout::along(IntPoint point) const
{
    return orientation == ScrollOrientation::Horizontal ? point.x - track.x : point.y - track.y;
}

ScrollBarPart ScrollBarLayout::hitTest(IntPoint point) const
{
    if (firstArrow.contains(point))
        return ScrollBarPart::FirstArrow;
    if (secondArrow.contains(point))
        return ScrollBarPart::SecondArrow;
    if (thumbLength > 0 && thumb.contains(point))
        return ScrollBarPart::Thumb;
    if (track.contains(point))
        return ScrollBarPart::Track;
    return ScrollBarPart::None;
}

int thumbOffsetFor(const ScrollRange& range, int freeLength)
{
    const std::int64_t span = std::int64_t {range.maximum} - range.minimum;
    if (span <= 0 || freeLength <= 0)
        return 0;
    const std::int64_t into = std::clamp<std::int64_t>(std::int64_t {range.position} - range.minimum, 0, span);
    return static_cast<int>(into * freeLength / span);
}

int positionForThumbOffset(const ScrollRange& range, int freeLength, int offset)
{
    const std::int64_t span = std::int64_t {range.maximum} - range.minimum;
    if (span <= 0 || freeLength <= 0)
        return range.minimum;
    const std::int64_t clamped = std::clamp(offset, 0, freeLength);
    // Rounded, so that every position is reachable by dragging and the ends land exactly.
    return static_cast<int>(range.minimum + (clamped * span + freeLength / 2) / freeLength);
}

ScrollBarLayout layoutScrollBar(ScrollOrientation orientation, IntSize size, const ScrollRange& range)
{
    ScrollBarLayout layout;
    layout.orientation = orientation;
    const int w = size.width;
    const int h = size.height;
    if (orientation == ScrollOrientation::Horizontal) {
        layout.firstArrow = {0, 0, 9, 10};
        layout.secondArrow = {w - 9, 0, 9, 10};
        layout.track = {10, 1, std::max(0, w - 20), 8};
    } else {
        layout.firstArrow = {0, 0, 10, 9};
        layout.secondArrow = {0, h - 9, 10, 9};
        layout.track = {1, 10, 8, std::max(0, h - 20)};
    }

    const std::int64_t length = layout.trackLength();
    if (length <= 0)
        return layout;
    // A maximum at or below minus the track length would divide by zero or
    // flip the sign: such a bar gets the whole track as its thumb.
    const std::int64_t divisor = length + range.maximum;
    std::int64_t thumb = divisor > 0 ? length * length / divisor : length;
    thumb = std::clamp<std::int64_t>(thumb, std::min<std::int64_t>(minimumThumbLength, length), length);
    layout.thumbLength = static_cast<int>(thumb);

    const int offset = thumbOffsetFor(range, layout.freeLength());
    if (orientation == ScrollOrientation::Horizontal)
        layout.thumb = {layout.track.x + offset, layout.track.y, layout.thumbLength, layout.track.height};
    else
        layout.thumb = {layout.track.x, layout.track.y + offset, layout.track.width, layout.thumbLength};
    return layout;
}

}  // namespace quorvo::ui
