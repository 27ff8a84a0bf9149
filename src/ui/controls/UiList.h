#pragma once

// UiList: the drawn list and report control (the search results, the
// download list, the combo box's drop-down). Its data lives in a UiListModel
// (model()); the list draws it, scrolls it and turns the mouse and the keys
// (arrows, Home/End, page keys, Space for the check mark) into selection,
// check marks and the four list events. The hover mark follows the pointer
// also when the rows move under it.
//
// Rows and columns are numbered from 1. Painting reads the model at paint
// time and draws only rows that exist and intersect the item area, so rows
// removed at any moment (the download list's deletion) are never read past.

#include "ui/controls/UiListLayout.h"
#include "ui/controls/UiListModel.h"
#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Image.h"
#include "gfx/StringFormat.h"
#include "gfx/Surface.h"

#include <functional>
#include <optional>
#include <vector>

namespace quorvo::ui {

class UiScrollBar;

namespace gridlines {
inline constexpr unsigned RowLines = 1;     // a line under each row
inline constexpr unsigned ColumnLines = 2;  // a line at each column's right edge (report mode)
}  // namespace gridlines

struct ListOptions {
    ListViewMode mode = ListViewMode::Report;
    bool headerHidden = false;
    // gridlines:: bits; none: both in report mode, none otherwise.
    std::optional<unsigned> gridLines {};
    bool singleSelection = true;
    bool checkBoxes = false;  // report mode only
    bool hoverSelection = false;
    gfx::Argb textColour = defaultListTextColour;
    gfx::Argb hotTextColour = 0;       // 0: the row's own colour
    gfx::Argb selectedTextColour = 0;  // 0: the row's own colour
    gfx::Argb hotBackground = 0;       // 0: the host's background colour, alpha 51
    gfx::Argb selectedBackground = 0;  // 0: the host's background colour, alpha 102
    gfx::Argb background = 0xD2FFFFFF;
    gfx::Argb headerTextColour = 0xD2000000;
    gfx::Argb borderColour = 0x50000000;  // 0: no border
    gfx::Font font {};                    // null: the framework's default font
};

// Icons cut from a strip of equal square-ish cells laid side by side.
struct ListImageStrip {
    gfx::Image image;
    int iconWidth = 0;
    int iconHeight = 0;
};

struct ListHit {
    int row = 0;
    int column = 0;
};

class UiList : public UiControl {
public:
    explicit UiList(FloatRect rect, ListOptions options = {});
    ~UiList() override;

    [[nodiscard]] UiListModel& model() { return m_model; }
    [[nodiscard]] const UiListModel& model() const { return m_model; }
    [[nodiscard]] const ListLayout& layout() const { return m_layout; }
    [[nodiscard]] const ListOptions& options() const { return m_options; }

    // ---- convenience over the model (numbers from 1) ----
    int insertColumn(int position, const Text& title, int width = 50, ListAlignment alignment = ListAlignment::Near,
                     int headerImage = -1);
    int insertRow(int position, const NewRow& row) { return m_model.insertRow(position, row); }
    int appendRow(const Text& text)
    {
        return m_model.insertRow(0, NewRow {.text = text, .textColour = m_options.textColour});
    }

    // Column -1 searches every cell in report mode and the first cell otherwise.
    [[nodiscard]] int findText(const Text& text, int startRow = 1, ListFind options = {}) const
    {
        options.allColumnsAllowed = m_options.mode == ListViewMode::Report;
        return m_model.findText(text, startRow, options);
    }

    void setHeaderImages(ListImageStrip strip);
    void setRowImages(ListImageStrip strip);
    void setHoverSelection(bool on) { m_options.hoverSelection = on; }
    [[nodiscard]] bool hoverSelection() const { return m_options.hoverSelection; }

    // ---- scrolling ----
    // Scroll offsets are <= 0 (content moved up / left).
    [[nodiscard]] int scrollX() const { return m_scrollX; }
    [[nodiscard]] int scrollY() const { return m_scrollY; }
    // Positions are >= 0: the offset's magnitude.
    void setHorizontalPosition(int position);
    void setVerticalPosition(int position);
    // Scrolls so that the row is inside the item area; nothing when it is.
    void ensureVisible(int row);
    // Rows intersecting the item area now (first > last when none).
    [[nodiscard]] int firstVisibleRow() const;
    [[nodiscard]] int lastVisibleRow() const;
    [[nodiscard]] bool isRowVisible(int row) const;

    // ---- geometry ----
    // Row rectangle in content coordinates (before scrolling).
    [[nodiscard]] IntRect rowRect(int row) const;
    // The row and column at a window point; row 0 = none, column 1 by default.
    [[nodiscard]] ListHit hitTest(IntPoint windowPoint) const;
    // The check square of a row, in window coordinates (empty without check boxes).
    [[nodiscard]] IntRect checkRect(int row) const;
    [[nodiscard]] UiScrollBar* verticalBar() const { return m_verticalBar; }
    [[nodiscard]] UiScrollBar* horizontalBar() const { return m_horizontalBar; }

    // ---- program callbacks ----
    std::function<void(int row, int column)> onItemPressed;
    std::function<void(int row)> onItemClicked;
    std::function<void(int row)> onItemRightClicked;
    std::function<void(int row, bool checked)> onCheckChanged;

protected:
    void createEvent(Event& event) override;
    void paintEvent(PaintEvent& event) override;
    void mouseMoveEvent(MouseEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void mouseUpEvent(MouseEvent& event) override;
    void rightMouseDownEvent(MouseEvent& event) override;
    void rightMouseUpEvent(MouseEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void wheelEvent(WheelEvent& event) override;
    void keyDownEvent(KeyEvent& event) override;
    void focusInEvent(FocusEvent& event) override;
    void focusOutEvent(FocusEvent& event) override;
    void resizeEvent(ResizeEvent& event) override;
    void alphaChangedEvent(ValueEvent& event) override;

private:
    void relayout();
    void updateScrollBars();
    void modelChanged(const ListChange& change);
    void press(MouseEvent& event, bool right);
    void moveCurrentRow(int row, bool extend);
    void followPointer();
    void release(MouseEvent& event, bool right);
    void clampScroll();
    void drawHeader(gfx::Painter& painter) const;
    // Draws a row with the item area's top-left at `origin`.
    void drawRow(gfx::Painter& painter, int row, IntPoint origin) const;
    // Report mode: cell by cell from the row's left edge.
    void drawCells(gfx::Painter& painter, int row, const ListRow& data, const IntRect& r, gfx::Argb textColour) const;
    // Icon grid and simple list: the first cell's icon and text as one item.
    void drawItem(gfx::Painter& painter, int row, const ListRow& data, const IntRect& r, gfx::Argb textColour) const;
    void drawRowIcon(gfx::Painter& painter, int index, const IntRect& at) const;
    void refreshRowCache();
    void refreshHeaderCache();
    void redrawRowsIn(gfx::Painter& painter, int top, int bottom);
    void invalidateRows();
    [[nodiscard]] gfx::Argb hostBackground(int alpha) const;
    [[nodiscard]] IntPoint toLocal(IntPoint windowPoint) const;
    [[nodiscard]] unsigned gridLines() const;
    [[nodiscard]] const gfx::Font& font() const;

    ListOptions m_options;
    UiListModel m_model;
    ListLayout m_layout;
    int m_fontHeight = 0;
    ListImageStrip m_headerImages;
    ListImageStrip m_rowImages;
    int m_scrollX = 0;
    int m_scrollY = 0;
    bool m_rightPressed = false;
    // Where the pointer rests over the list (window coordinates); none when it is elsewhere.
    std::optional<IntPoint> m_pointer;
    UiScrollBar* m_verticalBar = nullptr;
    UiScrollBar* m_horizontalBar = nullptr;
    gfx::StringFormat m_cellFormat;

    // The rows as last drawn (item-area sized) and the header: a wheel step
    // shifts the rows' picture and draws only the rows it uncovers; a cell
    // change redraws only its row.
    gfx::Surface m_rowCache;
    gfx::Surface m_rowSpare;
    gfx::Surface m_headerCache;
    bool m_rowCacheValid = false;
    bool m_headerCacheValid = false;
    int m_cacheScrollY = 0;
    std::vector<int> m_dirtyRows;
};

}  // namespace quorvo::ui
