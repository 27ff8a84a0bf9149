#pragma once

// The list control's data: columns, rows with their cells, row states,
// check marks, the current and hot row, and the selection. Rows and columns
// are numbered from 1; 0 means none. An out-of-range number makes every
// operation do nothing and answer 0, false or an empty text.
//
// The view (UiList) listens through onChange and repaints what changed; the
// model itself never draws.

#include "runtime/Text.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quorvo::ui {

enum class RowState { Normal = 0, Hot = 1, Selected = 4 };

// Column alignment of titles and cells.
enum class ListAlignment { Near = 0, Centre = 1, Far = 2 };

// The list's default text colour: black with alpha 210.
inline constexpr std::uint32_t defaultListTextColour = 0xD2000000;

struct ListColumn {
    Text title {};
    ListAlignment alignment = ListAlignment::Near;
    int width = 50;
    int headerImage = -1;
};

struct ListRow {
    std::vector<Text> cells {};
    std::vector<int> images {};
    RowState state = RowState::Normal;
    std::int64_t itemData = 0;
    int indent = 0;
    std::uint32_t textColour = defaultListTextColour;
    bool checked = false;
};

struct NewRow {
    Text text {};
    int image = -1;
    std::int64_t itemData = 0;
    int indent = 0;
    std::uint32_t textColour = defaultListTextColour;
};

struct ListFind {
    bool exact = false;
    bool partial = false;
    // 1-based column; -1 = every column (report mode) or the first (other modes).
    int column = 1;
    bool allColumnsAllowed = true;
};

enum class ListChangeKind {
    RowChanged,     // one row's cells, state, colour or check
    RowsInserted,   // a row at `row`; the rows after it moved down
    RowsRemoved,    // the row at `row` is gone; the rows after it moved up
    Reset,          // everything
    ColumnsChanged  // columns added, removed or resized
};

struct ListChange {
    ListChangeKind kind = ListChangeKind::Reset;
    int row = 0;
};

struct SelectionModifiers {
    bool control = false;
    bool shift = false;
};

// Where a list's cells and row colours come from when the program keeps its
// rows itself: the model then holds only what the list adds to each row
// (check mark, selection, hover, images) and asks the source for a cell
// when it paints or searches. The program inserts and deletes the model's
// rows in step with its own and calls rowContentChanged when one changes.
class ListRowSource {
public:
    virtual ~ListRowSource() = default;
    [[nodiscard]] virtual Text cellText(int row, int column) const = 0;
    [[nodiscard]] virtual std::uint32_t rowTextColour(int row) const = 0;
};

class UiListModel {
public:
    // Null: the model's own cells and colours. The source must outlive the
    // model or be unset first.
    void setRowSource(const ListRowSource* source);
    [[nodiscard]] const ListRowSource* rowSource() const { return m_source; }
    // The source's row changed: the list repaints it.
    void rowContentChanged(int row);

    // ---- columns ----
    // position 0 (or beyond the end) appends; k inserts before column k.
    // Every row gets an empty cell without image there. Returns the new column's number.
    int insertColumn(int position, const Text& title, int width = 50, ListAlignment alignment = ListAlignment::Near,
                     int headerImage = -1);
    bool deleteColumn(int column);
    [[nodiscard]] int columnCount() const { return static_cast<int>(m_columns.size()); }
    [[nodiscard]] const ListColumn* column(int column) const;
    [[nodiscard]] Text columnTitle(int column) const;
    void setColumnTitle(int column, const Text& title);
    [[nodiscard]] int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    [[nodiscard]] int columnHeaderImage(int column) const;
    void setColumnHeaderImage(int column, int image);
    [[nodiscard]] int totalColumnWidth() const;

    // ---- rows ----
    [[nodiscard]] int rowCount() const { return static_cast<int>(m_rows.size()); }
    // position 0 (or beyond the end) appends; k inserts before row k.
    // Returns the new row's number. Selection numbers at or above it move up.
    int insertRow(int position, const NewRow& row);
    // Removes the row from the selection and moves the numbers above it down.
    bool deleteRow(int row);
    // Also clears selection, current and hot row.
    void deleteAllRows();
    [[nodiscard]] const ListRow* row(int row) const;
    [[nodiscard]] bool isValid(int row) const { return row >= 1 && row <= rowCount(); }
    [[nodiscard]] bool isValid(int row, int column) const
    {
        return isValid(row) && column >= 1 && column <= columnCount();
    }

    [[nodiscard]] Text cellText(int row, int column = 1) const;
    // Not shown while a row source is set.
    void setCellText(int row, int column, const Text& text);
    [[nodiscard]] int cellImage(int row, int column) const;
    void setCellImage(int row, int column, int image);
    [[nodiscard]] std::int64_t itemData(int row) const;
    void setItemData(int row, std::int64_t value);
    [[nodiscard]] std::uint32_t rowTextColour(int row) const;
    void setRowTextColour(int row, std::uint32_t colour);
    [[nodiscard]] bool isChecked(int row) const;
    // Returns whether the mark changed.
    bool setChecked(int row, bool checked);
    [[nodiscard]] RowState rowState(int row) const;
    void setRowState(int row, RowState state);

    // ---- find ----
    // With partial and not exact a cell matches when it contains the text,
    // ignoring ASCII letter case; otherwise it must equal it byte for byte.
    [[nodiscard]] int findText(const Text& text, int startRow = 1, const ListFind& options = {}) const;
    [[nodiscard]] int findItemData(std::int64_t value, int startRow = 1) const;

    // ---- selection ----
    [[nodiscard]] bool singleSelection() const { return m_singleSelection; }
    void setSingleSelection(bool single) { m_singleSelection = single; }
    [[nodiscard]] int currentRow() const { return m_current; }
    // Clears every selected row and the old current row, then selects `row`
    // (an invalid number leaves no current row).
    void setCurrentRow(int row);
    [[nodiscard]] int hotRow() const { return m_hot; }
    // Moves the hot mark; selected rows keep their selected state.
    void setHotRow(int row);
    // Refused (false) in single-selection mode.
    bool selectRow(int row);
    void deselectRow(int row);
    [[nodiscard]] std::span<const int> selectedRows() const { return m_selection; }
    [[nodiscard]] int selectionCount() const { return static_cast<int>(m_selection.size()); }
    [[nodiscard]] bool isSelected(int row) const { return rowState(row) == RowState::Selected; }
    // 1-based index in the selection order, 0 when not selected.
    [[nodiscard]] int positionInSelection(int row) const;
    // A press on a row: the selection rules of single and multiple selection
    // with Ctrl and Shift; the row becomes current. Returns false when the
    // whole list should be repainted (a Shift range), true when only the
    // rows reported through onChange changed.
    bool press(int row, SelectionModifiers modifiers, bool rightButton);
    // Selects the rows from `from` to `to` (either order) and nothing else;
    // both ends are first clamped to the rows that exist. The current row stays.
    void selectRange(int from, int to);
    // Hover selection: the row under the pointer becomes the current, selected row.
    // Returns whether it changed.
    bool hoverSelect(int row);

    std::function<void(const ListChange&)> onChange;

private:
    ListRow* mutableRow(int row);
    void changed(ListChangeKind kind, int row = 0);
    void clearSelection();
    void setState(int row, RowState state);
    [[nodiscard]] bool cellMatches(const Text& cell, const Text& text, const ListFind& options) const;

    const ListRowSource* m_source = nullptr;
    std::vector<ListColumn> m_columns;
    std::vector<ListRow> m_rows;
    std::vector<int> m_selection;
    int m_current = 0;
    int m_hot = 0;
    bool m_singleSelection = true;
};

}  // namespace quorvo::ui
