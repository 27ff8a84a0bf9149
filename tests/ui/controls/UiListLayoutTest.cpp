#include "ui/controls/UiListLayout.h"

#include <gtest/gtest.h>

using quorvo::IntRect;
using quorvo::ui::computeListLayout;
using quorvo::ui::ListLayoutInput;
using quorvo::ui::ListViewMode;

TEST(UiListLayout, ReportModeRowAndHeaderHeights)
{
    ListLayoutInput input {.client = {300, 200}, .fontHeight = 16, .totalColumnWidth = 200, .rowCount = 5};
    auto layout = computeListLayout(input);
    EXPECT_EQ(layout.rowHeight, 22);  // font + 3, then + 3
    EXPECT_EQ(layout.headerHeight, 25);
    EXPECT_EQ(layout.itemArea, (IntRect {0, 25, 300, 175}));
    EXPECT_EQ(layout.contentHeight, 5 * 22);
    EXPECT_EQ(layout.contentWidth, 300);
    EXPECT_FALSE(layout.verticalBar);
    EXPECT_FALSE(layout.horizontalBar);

    input.headerIconHeight = 24;
    input.rowIconHeight = 24;
    layout = computeListLayout(input);
    EXPECT_EQ(layout.headerHeight, 30);
    EXPECT_EQ(layout.rowHeight, 30);  // icon height + 6 once the icon is at least font + 3

    input.headerHidden = true;
    EXPECT_EQ(computeListLayout(input).itemArea, (IntRect {0, 0, 300, 200}));
}

TEST(UiListLayout, BarsShowOnlyWhenContentExceedsTheView)
{
    ListLayoutInput input {.client = {300, 200}, .fontHeight = 16, .totalColumnWidth = 300, .rowCount = 7};
    auto layout = computeListLayout(input);
    EXPECT_EQ(layout.contentHeight, 154);
    EXPECT_FALSE(layout.verticalBar);
    EXPECT_EQ(layout.contentWidth, 300);  // exactly the width: no extra room, no bar

    input.rowCount = 8;  // 176 > 175
    input.totalColumnWidth = 301;
    layout = computeListLayout(input);
    EXPECT_TRUE(layout.verticalBar);
    EXPECT_TRUE(layout.horizontalBar);
    EXPECT_EQ(layout.contentWidth, 313);
    EXPECT_EQ(layout.maxScrollY(), 1);
    EXPECT_EQ(layout.verticalBarRect, (IntRect {290, 25, 10, 175}));
    EXPECT_EQ(layout.horizontalBarRect, (IntRect {0, 190, 290, 10}));
}

TEST(UiListLayout, OtherModesHaveNoHeaderAndTheirOwnRows)
{
    ListLayoutInput input {
        .client = {300, 200}, .mode = ListViewMode::Icons, .fontHeight = 16, .rowIconHeight = 32, .rowCount = 10};
    auto layout = computeListLayout(input);
    EXPECT_EQ(layout.headerHeight, 0);
    EXPECT_EQ(layout.rowHeight, 19 + 32 + 8);
    EXPECT_EQ(layout.itemWidth, 79);
    EXPECT_EQ(layout.itemsPerLine, 3);
    EXPECT_EQ(layout.contentHeight, 4 * 59);

    input.mode = ListViewMode::Simple;
    input.rowIconHeight = 0;
    input.totalColumnWidth = 900;
    layout = computeListLayout(input);
    EXPECT_EQ(layout.headerHeight, 0);
    EXPECT_EQ(layout.rowHeight, 22);
    EXPECT_EQ(layout.contentWidth, 300);  // first cell only: as wide as the view
}
