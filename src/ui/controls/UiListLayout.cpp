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
