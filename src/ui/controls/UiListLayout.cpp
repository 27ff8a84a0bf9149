#include "ui/controls/UiListLayout.h"

#include <algorithm>

namespace quorvo::ui {

int listContentHeight(const ListLayout& layout, ListViewMode mode, int rows)
{
    if (mode == ListViewMode::Icons) {
        const int perLine = std::max(layout.itemsPerLine, 1);
        return (rows + perLine - 1) / perLine * layout.rowHeight;
    }
    return rows * layout.rowHeight;
}

ListItemParts listItemParts(ListViewMode mode, IntRect item, IntSize icon, int indent)
{
    ListItemParts parts;
    const bool hasIcon = icon.width > 0 && icon.height > 0;
    if (mode == ListViewMode::Icons) {
        // The grid's row height is the font's line plus the icon plus 8: 4 above the icon, 2 + 2 around the text.
        constexpr int above = 4;
        const int iconBottom = item.y + above + (hasIcon ? icon.height : 0);
        if (hasIcon)
            parts.icon = {item.x + (item.width - icon.width) / 2, item.y + above, icon.width, icon.height};
        parts.text
            = {item.x + 2, iconBottom + 2, std::max(item.width - 4, 0), std::max(item.bottom() - iconBottom - 4, 0)};
        return parts;
    }
    int x = item.x + 1 + indent;
    if (hasIcon) {
        parts.icon = {x, item.y + (item.height - icon.height) / 2, icon.width, icon.height};
        x += icon.width + 2;
    }
    parts.text = {x, item.y + 1, std::max(item.right() - 2 - x, 0), std::max(item.height - 2, 0)};
    return parts;
}

ListLayout computeListLayout(const ListLayoutInput& input)
{
    ListLayout layout;
    const bool headerHidden = input.headerHidden || input.mode != ListViewMode::Report;
    int rowHeight = input.fontHeight + 3;
    if (!headerHidden)
        layout.headerHeight = std::max(rowHeight, input.headerIconHeight) + 6;
    layout.header = {0, 0, input.client.width, layout.headerHeight};
    layout.itemArea
        = {0, layout.headerHeight, input.client.width, std::max(input.client.height - layout.headerHeight, 0)};

    if (input.mode == ListViewMode::Icons) {
        rowHeight += input.rowIconHeight + 8;
        layout.itemWidth = rowHeight + 20;
        layout.itemsPerLine = std::max(layout.itemArea.width / std::max(layout.itemWidth, 1), 1);
    } else if (input.rowIconHeight >= rowHeight) {
        rowHeight = input.rowIconHeight + 6;
    } else {
        rowHeight += 3;
    }
    layout.rowHeight = rowHeight;

    if (input.mode == ListViewMode::Icons) {
        layout.contentWidth = layout.itemArea.width;
    } else {
        const int total = input.mode == ListViewMode::Report ? input.totalColumnWidth : layout.itemArea.width;
        layout.contentWidth = total > layout.itemArea.width ? total + 12 : layout.itemArea.width;
    }
    layout.contentHeight = listContentHeight(layout, input.mode, input.rowCount);

    const IntRect& area = layout.itemArea;
    layout.verticalBar = layout.contentHeight > area.height;
    layout.horizontalBar = layout.contentWidth > area.width;
    layout.verticalBarRect = {area.right() - listScrollBarThickness, area.y, listScrollBarThickness, area.height};
    const int horizontalWidth = area.width - (layout.verticalBar ? listScrollBarThickness : 0);
    layout.horizontalBarRect
        = {area.x, area.bottom() - listScrollBarThickness, horizontalWidth, listScrollBarThickness};
    return layout;
}

}  // namespace quorvo::ui
