#pragma once

// The list control's layout formula: row and header height, item area,
// content size, and which scroll bars show. Pure arithmetic on the numbers
// the list gives it, so that it can be checked without a window.

#include "runtime/Geometry.h"

namespace quorvo::ui {

// 0 report (header, columns), 1 icon grid, 2 simple list (first cell only, no header).
enum class ListViewMode { Report = 0, Icons = 1, Simple = 2 };

inline constexpr int listScrollBarThickness = 10;

struct ListLayoutInput {
    IntSize client;
    ListViewMode mode = ListViewMode::Report;
    int fontHeight = 0;
    bool headerHidden = false;
    int headerIconHeight = 0;  // 0 = no header image list
    int rowIconHeight = 0;     // 0 = no row image list
    int totalColumnWidth = 0;
    int rowCount = 0;
};

struct ListLayout {
    int rowHeight = 0;
    int headerHeight = 0;
    IntRect header;
    IntRect itemArea;
    int contentWidth = 0;
    int contentHeight = 0;
    int itemWidth = 0;     // icon mode only
    int itemsPerLine = 1;  // icon mode only
    bool verticalBar = false;
    bool horizontalBar = false;
    IntRect verticalBarRect;
    IntRect horizontalBarRect;

    // Largest downward scroll (scroll y runs from -maxScrollY to 0).
    [[nodiscard]] int maxScrollY() const
    {
        return contentHeight > itemArea.height ? contentHeight - itemArea.height : 0;
    }
    [[nodiscard]] int maxScrollX() const { return contentWidth > itemArea.width ? contentWidth - itemArea.width : 0; }
};

[[nodiscard]] ListLayout computeListLayout(const ListLayoutInput& input);

// Content height for `rows` rows under a layout (icon mode counts item lines).
[[nodiscard]] int listContentHeight(const ListLayout& layout, ListViewMode mode, int rows);

// Where the icon and the text of a whole item go inside its rectangle in the
// icon grid and the simple list (report mode lays out cells instead): the
// grid puts the icon centred at the top and the text centred under it; the
// simple list puts the icon at the left (after the indent) and the text after
// it. An empty icon size takes no room.
struct ListItemParts {
    IntRect icon;
    IntRect text;
};
[[nodiscard]] ListItemParts listItemParts(ListViewMode mode, IntRect item, IntSize icon, int indent = 0);

}  // namespace quorvo::ui
