#include "ui/controls/UiListModel.h"

#include <algorithm>
#include <utility>

namespace quorvo::ui {

// Row numbers the model keeps (selection, current, hot) always name rows
// that exist: inserting and deleting shifts them, and a deleted row drops
// out of them. The view may repaint or extend a drag selection at any time,
// also while rows are being removed, and must never meet a stale number.

int UiListModel::insertColumn(int position, const Text& title, int width, ListAlignment alignment, int headerImage)
{
    if (m_columns.empty())
        alignment = ListAlignment::Near;
    const int count = columnCount();
    const int index = (position >= 1 && position <= count) ? position - 1 : count;
    m_columns.insert(m_columns.begin() + index, ListColumn {title, alignment, std::max(width, 0), headerImage});
    for (auto& row : m_rows) {
        row.cells.insert(row.cells.begin() + index, Text());
        row.images.insert(row.images.begin() + index, -1);
    }
    changed(ListChangeKind::ColumnsChanged);
    return index + 1;
}

bool UiListModel::deleteColumn(int column)
{
    if (column < 1 || column > columnCount())
        return false;
    const auto index = static_cast<std::ptrdiff_t>(column - 1);
    m_columns.erase(m_columns.begin() + index);
    for (auto& row : m_rows) {
        row.cells.erase(row.cells.begin() + index);
        row.images.erase(row.images.begin() + index);
    }
    changed(ListChangeKind::ColumnsChanged);
    return true;
}

const ListColumn* UiListModel::column(int column) const
{
    if (column < 1 || column > columnCount())
        return nullptr;
    return &m_columns[static_cast<std::size_t>(column - 1)];
}

Text UiListModel::columnTitle(int number) const
{
    const ListColumn* found = column(number);
    return found ? found->title : Text();
}

void UiListModel::setColumnTitle(int number, const Text& title)
{
    if (column(number) == nullptr)
        return;
    m_columns[static_cast<std::size_t>(number - 1)].title = title;
    changed(ListChangeKind::ColumnsChanged);
}

int UiListModel::columnWidth(int number) const
{
    const ListColumn* found = column(number);
    return found ? found->width : 0;
}

void UiListModel::setColumnWidth(int number, int width)
{
    if (column(number) == nullptr)
        return;
    auto& stored = m_columns[static_cast<std::size_t>(number - 1)].width;
    width = std::max(width, 0);
    if (stored == width)
        return;
    stored = width;
    changed(ListChangeKind::ColumnsChanged);
}

int UiListModel::columnHeaderImage(int number) const
{
    const ListColumn* found = column(number);
    return found ? found->headerImage : -1;
}

void UiListModel::setColumnHeaderImage(int number, int image)
{
    if (column(number) == nullptr)
        return;
    m_columns[static_cast<std::size_t>(number - 1)].headerImage = image;
    changed(ListChangeKind::ColumnsChanged);
}

int UiListModel::totalColumnWidth() const
{
    int total = 0;
    for (const auto& c : m_columns)
        total += c.width;
    return total;
}

int UiListModel::insertRow(int position, const NewRow& fields)
{
    const int count = rowCount();
    const int number = (position >= 1 && position <= count) ? position : count + 1;
    ListRow row;
    row.cells.assign(m_columns.size(), Text());
    row.images.assign(m_columns.size(), -1);
    if (!row.cells.empty()) {
        row.cells.front() = fields.text;
        row.images.front() = fields.image;
    }
    row.itemData = fields.itemData;
    row.indent = fields.indent;
    row.textColour = fields.textColour;
    m_rows.insert(m_rows.begin() + (number - 1), std::move(row));

    for (int& selected : m_selection) {
        if (selected >= number)
            ++selected;
    }
    if (m_current >= number)
        ++m_current;
    if (m_hot >= number)
        ++m_hot;
    changed(ListChangeKind::RowsInserted, number);
    return number;
}

bool UiListModel::deleteRow(int number)
{
    if (!isValid(number))
        return false;
    m_rows.erase(m_rows.begin() + (number - 1));
    std::erase(m_selection, number);
    for (int& selected : m_selection) {
        if (selected > number)
            --selected;
    }
    const auto shift = [number](int& stored) {
        if (stored == number)
            stored = 0;
        else if (stored > number)
            --stored;
    };
    shift(m_current);
    shift(m_hot);
    changed(ListChangeKind::RowsRemoved, number);
    return true;
}

void UiListModel::deleteAllRows()
{
    m_rows.clear();
    m_selection.clear();
    m_current = 0;
    m_hot = 0;
    changed(ListChangeKind::Reset);
}

const ListRow* UiListModel::row(int number) const
{
    return isValid(number) ? &m_rows[static_cast<std::size_t>(number - 1)] : nullptr;
}

ListRow* UiListModel::mutableRow(int number)
{
    return isValid(number) ? &m_rows[static_cast<std::size_t>(number - 1)] : nullptr;
}

void UiListModel::changed(ListChangeKind kind, int row)
{
    if (onChange)
        onChange(ListChange {kind, row});
}

void UiListModel::setRowSource(const ListRowSource* source)
{
    m_source = source;
    changed(ListChangeKind::Reset);
}

void UiListModel::rowContentChanged(int number)
{
    if (isValid(number))
        changed(ListChangeKind::RowChanged, number);
}

Text UiListModel::cellText(int number, int column) const
{
    if (!isValid(number, column))
        return {};
    if (m_source)
        return m_source->cellText(number, column);
    return m_rows[static_cast<std::size_t>(number - 1)].cells[static_cast<std::size_t>(column - 1)];
}

void UiListModel::setCellText(int number, int column, const Text& text)
{
    if (!isValid(number, column))
        return;
    Text& cell = mutableRow(number)->cells[static_cast<std::size_t>(column - 1)];
    if (cell == text)
        return;
    cell = text;
    changed(ListChangeKind::RowChanged, number);
}

int UiListModel::cellImage(int number, int column) const
{
    if (!isValid(number, column))
        return -1;
    return m_rows[static_cast<std::size_t>(number - 1)].images[static_cast<std::size_t>(column - 1)];
}

void UiListModel::setCellImage(int number, int column, int image)
{
    if (!isValid(number, column))
        return;
    int& stored = mutableRow(number)->images[static_cast<std::size_t>(column - 1)];
    if (stored == image)
        return;
    stored = image;
    changed(ListChangeKind::RowChanged, number);
}

std::int64_t UiListModel::itemData(int number) const
{
    const ListRow* found = row(number);
    return found ? found->itemData : 0;
}

void UiListModel::setItemData(int number, std::int64_t value)
{
    if (ListRow* found = mutableRow(number))
        found->itemData = value;
}

std::uint32_t UiListModel::rowTextColour(int number) const
{
    const ListRow* found = row(number);
    if (found && m_source)
        return m_source->rowTextColour(number);
    return found ? found->textColour : 0;
}

void UiListModel::setRowTextColour(int number, std::uint32_t colour)
{
    ListRow* found = mutableRow(number);
    if (found == nullptr || found->textColour == colour)
        return;
    found->textColour = colour;
    changed(ListChangeKind::RowChanged, number);
}

bool UiListModel::isChecked(int number) const
{
    const ListRow* found = row(number);
    return found != nullptr && found->checked;
}

bool UiListModel::setChecked(int number, bool checked)
{
    ListRow* found = mutableRow(number);
    if (found == nullptr || found->checked == checked)
        return false;
    found->checked = checked;
    changed(ListChangeKind::RowChanged, number);
    return true;
}

RowState UiListModel::rowState(int number) const
{
    const ListRow* found = row(number);
    return found ? found->state : RowState::Normal;
}

void UiListModel::setState(int number, RowState state)
{
    ListRow* found = mutableRow(number);
    if (found == nullptr || found->state == state)
        return;
    found->state = state;
    changed(ListChangeKind::RowChanged, number);
}

void UiListModel::setRowState(int number, RowState state)
{
    if (!isValid(number))
        return;
    if (state == RowState::Selected) {
        if (!isSelected(number))
            m_selection.push_back(number);
    } else {
        std::erase(m_selection, number);
    }
    setState(number, state);
}

bool UiListModel::cellMatches(const Text& cell, const Text& text, const ListFind& options) const
{
    if (options.partial && !options.exact)
        return text::contains(cell.view(), text.view(), CaseSensitivity::Insensitive);
    return cell == text;
}

int UiListModel::findText(const Text& text, int startRow, const ListFind& options) const
{
    const bool everyColumn = options.column == -1 && options.allColumnsAllowed;
    const int column = options.column == -1 ? 1 : options.column;
    if (!everyColumn && (column < 1 || column > columnCount()))
        return 0;
    for (int number = std::max(startRow, 1); number <= rowCount(); ++number) {
        if (everyColumn) {
            for (int each = 1; each <= columnCount(); ++each) {
                if (cellMatches(cellText(number, each), text, options))
                    return number;
            }
        } else if (cellMatches(cellText(number, column), text, options)) {
            return number;
        }
    }
    return 0;
}

int UiListModel::findItemData(std::int64_t value, int startRow) const
{
    for (int number = std::max(startRow, 1); number <= rowCount(); ++number) {
        if (m_rows[static_cast<std::size_t>(number - 1)].itemData == value)
            return number;
    }
    return 0;
}

void UiListModel::clearSelection()
{
    const std::vector<int> previous = std::exchange(m_selection, {});
    for (const int number : previous)
        setState(number, number == m_hot ? RowState::Hot : RowState::Normal);
}

void UiListModel::setCurrentRow(int number)
{
    clearSelection();
    if (isValid(m_current))
        setState(m_current, m_current == m_hot ? RowState::Hot : RowState::Normal);
    if (!isValid(number)) {
        m_current = 0;
        return;
    }
    m_current = number;
    setRowState(number, RowState::Selected);
}

void UiListModel::setHotRow(int number)
{
    if (!isValid(number))
        number = 0;
    if (number == m_hot)
        return;
    const int previous = std::exchange(m_hot, number);
    if (isValid(previous) && !isSelected(previous))
        setState(previous, RowState::Normal);
    if (number != 0 && !isSelected(number))
        setState(number, RowState::Hot);
}

bool UiListModel::selectRow(int number)
{
    if (m_singleSelection || !isValid(number))
        return false;
    setRowState(number, RowState::Selected);
    return true;
}

void UiListModel::deselectRow(int number)
{
    if (!isSelected(number))
        return;
    setRowState(number, number == m_hot ? RowState::Hot : RowState::Normal);
}

int UiListModel::positionInSelection(int number) const
{
    const auto found = std::find(m_selection.begin(), m_selection.end(), number);
    return found == m_selection.end() ? 0 : static_cast<int>(found - m_selection.begin()) + 1;
}

bool UiListModel::press(int number, SelectionModifiers modifiers, bool rightButton)
{
    if (!isValid(number))
        return true;
    bool rowsOnly = true;
    if (m_singleSelection) {
        if (!(isSelected(number) && selectionCount() == 1)) {
            clearSelection();
            setRowState(number, RowState::Selected);
        }
    } else if (modifiers.control) {
        if (isSelected(number))
            deselectRow(number);
        else
            setRowState(number, RowState::Selected);
    } else if (modifiers.shift) {
        // The current row may have been deleted meanwhile; a range then
        // starts at the pressed row.
        selectRange(isValid(m_current) ? m_current : number, number);
        rowsOnly = false;
    } else if (!rightButton || !isSelected(number)) {
        clearSelection();
        setRowState(number, RowState::Selected);
    }
    m_current = number;
    return rowsOnly;
}

void UiListModel::selectRange(int from, int to)
{
    clearSelection();
    if (rowCount() == 0)
        return;
    from = std::clamp(from, 1, rowCount());
    to = std::clamp(to, 1, rowCount());
    const int step = to >= from ? 1 : -1;
    for (int r = from;; r += step) {
        setRowState(r, RowState::Selected);
        if (r == to)
            break;
    }
}

bool UiListModel::hoverSelect(int number)
{
    if (!isValid(number) || number == m_current)
        return false;
    clearSelection();
    if (isValid(m_current))
        setState(m_current, RowState::Normal);
    m_current = number;
    setRowState(number, RowState::Selected);
    return true;
}

}  // namespace quorvo::ui
