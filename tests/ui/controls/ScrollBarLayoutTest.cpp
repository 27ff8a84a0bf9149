#include "ui/controls/ScrollBarLayout.h"

#include <gtest/gtest.h>

using namespace quorvo;
using namespace quorvo::ui;

TEST(ScrollBarLayout, HorizontalPartsSitWhereTheBarDrawsThem)
{
    const ScrollBarLayout layout = layoutScrollBar(ScrollOrientation::Horizontal, {200, 10}, {0, 100, 0});
    EXPECT_EQ(layout.firstArrow, (IntRect {0, 0, 9, 10}));
    EXPECT_EQ(layout.secondArrow, (IntRect {191, 0, 9, 10}));
    EXPECT_EQ(layout.track, (IntRect {10, 1, 180, 8}));
    // 180 * 180 / (180 + 100)
    EXPECT_EQ(layout.thumbLength, 115);
    EXPECT_EQ(layout.thumb, (IntRect {10, 1, 115, 8}));
}

TEST(ScrollBarLayout, VerticalPartsSitWhereTheBarDrawsThem)
{
    const ScrollBarLayout layout = layoutScrollBar(ScrollOrientation::Vertical, {10, 300}, {0, 1000, 1000});
    EXPECT_EQ(layout.firstArrow, (IntRect {0, 0, 10, 9}));
    EXPECT_EQ(layout.secondArrow, (IntRect {0, 291, 10, 9}));
    EXPECT_EQ(layout.track, (IntRect {1, 10, 8, 280}));
    EXPECT_EQ(layout.thumbLength, 280 * 280 / 1280);
    // At the maximum the thumb ends exactly at the track's end.
    EXPECT_EQ(layout.thumb.bottom(), layout.track.bottom());
}

TEST(ScrollBarLayout, ThumbNeverShorterThanMinimumNorLongerThanTrack)
{
    for (int maximum : {0, 1, 50, 1000, 100000, 2000000000}) {
        const ScrollBarLayout layout = layoutScrollBar(ScrollOrientation::Vertical, {10, 200}, {0, maximum, 0});
        EXPECT_GE(layout.thumbLength, minimumThumbLength) << maximum;
        EXPECT_LE(layout.thumbLength, layout.trackLength()) << maximum;
    }
    // A track shorter than the minimum gets a thumb filling it, not spilling over.
    const ScrollBarLayout tiny = layoutScrollBar(ScrollOrientation::Horizontal, {40, 10}, {0, 100, 50});
    EXPECT_EQ(tiny.trackLength(), 20);
    EXPECT_EQ(tiny.thumbLength, 20);
    EXPECT_EQ(tiny.freeLength(), 0);
}

TEST(ScrollBarLayout, NegativeMaximumDoesNotDivideByZero)
{
    const ScrollBarLayout layout = layoutScrollBar(ScrollOrientation::Horizontal, {120, 10}, {-300, -100, -200});
    EXPECT_EQ(layout.thumbLength, layout.trackLength());
    const ScrollBarLayout empty = layoutScrollBar(ScrollOrientation::Horizontal, {12, 10}, {0, 100, 0});
    EXPECT_EQ(empty.thumbLength, 0);
    EXPECT_EQ(empty.hitTest({5, 5}), ScrollBarPart::FirstArrow);
}

TEST(ScrollBarLayout, EveryPositionIsReachableByDraggingAndRoundTrips)
{
    const ScrollRange base {10, 47, 10};
    const int freeLength = 150;
    for (int position = base.minimum; position <= base.maximum; ++position) {
        ScrollRange range = base;
        range.position = position;
        const int offset = thumbOffsetFor(range, freeLength);
        EXPECT_EQ(positionForThumbOffset(range, freeLength, offset), position) << position;
    }
    EXPECT_EQ(positionForThumbOffset(base, freeLength, -40), base.minimum);
    EXPECT_EQ(positionForThumbOffset(base, freeLength, 400), base.maximum);
    // An empty range maps everything onto the minimum.
    EXPECT_EQ(positionForThumbOffset({5, 5, 5}, freeLength, 70), 5);
    EXPECT_EQ(thumbOffsetFor({5, 5, 5}, freeLength), 0);
}

TEST(ScrollBarLayout, HitTestPrefersArrowsThenThumbThenTrack)
{
    const ScrollBarLayout layout = layoutScrollBar(ScrollOrientation::Horizontal, {200, 10}, {0, 100, 100});
    EXPECT_EQ(layout.hitTest({3, 5}), ScrollBarPart::FirstArrow);
    EXPECT_EQ(layout.hitTest({195, 5}), ScrollBarPart::SecondArrow);
    EXPECT_EQ(layout.hitTest({layout.thumb.x + 2, 4}), ScrollBarPart::Thumb);
    EXPECT_EQ(layout.hitTest({layout.thumb.x - 2, 4}), ScrollBarPart::Track);
    EXPECT_EQ(layout.hitTest({9, 5}), ScrollBarPart::None);
    EXPECT_EQ(layout.along({layout.track.x + 17, 3}), 17);
}
