#include "ui/controls/UiListModel.h"

#include <gtest/gtest.h>

#include <vector>

using quorvo::Text;
using quorvo::ui::ListChange;
using quorvo::ui::ListChangeKind;
using quorvo::ui::ListFind;
using quorvo::ui::NewRow;
using quorvo::ui::RowState;
using quorvo::ui::SelectionModifiers;
using quorvo::ui::UiListModel;

namespace {

UiListModel listOf(int rows, int columns = 2)
{
    UiListModel model;
    for (int c = 1; c <= columns; ++c)
        model.insertColumn(0, Text("col" + std::to_string(c)));
    for (int r = 1; r <= rows; ++r)
        model.insertRow(0, NewRow {.text = Text("row" + std::to_string(r)), .itemData = r * 10});
    return model;
}

std::vector<int> selection(const UiListModel& model)
{
    return {model.selectedRows().begin(), model.selectedRows().end()};
}

// Every row's state agrees with the selection array and every stored number names a row.
void expectConsistent(const UiListModel& model)
{
    for (const int row : model.selectedRows())
        EXPECT_TRUE(model.isValid(row)) << "selection holds row " << row;
    for (int row = 1; row <= model.rowCount(); ++row)
        EXPECT_EQ(model.isSelected(row), model.positionInSelection(row) != 0) << "row " << row;
    EXPECT_TRUE(model.currentRow() == 0 || model.isValid(model.currentRow()));
    EXPECT_TRUE(model.hotRow() == 0 || model.isValid(model.hotRow()));
}

}  // namespace

TEST(UiListModel, ANewColumnGivesEveryRowAnEmptyCellThere)
{
    UiListModel model = listOf(3);
    model.setCellText(2, 2, "b2");
    EXPECT_EQ(model.insertColumn(2, "middle"), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.cellText(2, 1), "row2");
    EXPECT_EQ(model.cellText(2, 2), "");
    EXPECT_EQ(model.cellImage(2, 2), -1);
    EXPECT_EQ(model.cellText(2, 3), "b2");
}

TEST(UiListModel, AHiddenZeroWidthColumnKeepsItsCells)
{
    UiListModel model = listOf(2, 3);
    model.setCellText(1, 3, "song-id-77");
    model.setColumnWidth(3, 0);
    EXPECT_EQ(model.columnWidth(3), 0);
    EXPECT_EQ(model.totalColumnWidth(), 100);
    EXPECT_EQ(model.cellText(1, 3), "song-id-77");
    EXPECT_EQ(model.findText("song-id-77", 1, ListFind {.column = 3}), 1);
}

TEST(UiListModel, BadNumbersDoNothing)
{
    UiListModel model = listOf(2);
    model.setCellText(3, 1, "x");
    model.setCellText(1, 3, "x");
    EXPECT_EQ(model.cellText(0, 1), "");
    EXPECT_FALSE(model.deleteRow(3));
    EXPECT_FALSE(model.setChecked(9, true));
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.findText("row1", 1, ListFind {.column = 5}), 0);
}

TEST(UiListModel, CtrlTogglesAndShiftSelectsTheRangeFromTheCurrentRow)
{
    UiListModel model = listOf(8);
    model.setSingleSelection(false);
    model.press(2, {}, false);
    model.press(5, SelectionModifiers {.control = true}, false);
    model.press(7, SelectionModifiers {.control = true}, false);
    EXPECT_EQ(selection(model), (std::vector {2, 5, 7}));
    model.press(5, SelectionModifiers {.control = true}, false);
    EXPECT_EQ(selection(model), (std::vector {2, 7}));
    EXPECT_EQ(model.rowState(5), RowState::Normal);
    // Shift from the current row (5) up to 3, in stepping order.
    EXPECT_FALSE(model.press(3, SelectionModifiers {.shift = true}, false));
    EXPECT_EQ(selection(model), (std::vector {5, 4, 3}));
    EXPECT_FALSE(model.isSelected(7));
    // A right press on a selected row keeps the selection; on another it replaces it.
    model.press(4, {}, true);
    EXPECT_EQ(selection(model), (std::vector {5, 4, 3}));
    model.press(8, {}, true);
    EXPECT_EQ(selection(model), (std::vector {8}));
    expectConsistent(model);
}

TEST(UiListModel, SingleSelectionKeepsOneRowAndRefusesSelectRow)
{
    UiListModel model = listOf(4);
    model.press(2, {}, false);
    model.press(3, SelectionModifiers {.control = true}, false);
    EXPECT_EQ(selection(model), (std::vector {3}));
    EXPECT_FALSE(model.isSelected(2));
    EXPECT_FALSE(model.selectRow(1));
    model.setCurrentRow(1);
    EXPECT_EQ(model.currentRow(), 1);
    EXPECT_EQ(selection(model), (std::vector {1}));
    model.setCurrentRow(99);
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(model.selectionCount(), 0);
}

TEST(UiListModel, InsertAndDeleteKeepSelectionNumbersOnTheSameRows)
{
    UiListModel model = listOf(6);
    model.setSingleSelection(false);
    model.selectRow(2);
    model.selectRow(5);
    model.insertRow(3, NewRow {.text = "new"});
    EXPECT_EQ(selection(model), (std::vector {2, 6}));
    EXPECT_EQ(model.cellText(6, 1), "row5");
    model.insertRow(1, NewRow {.text = "first"});
    EXPECT_EQ(selection(model), (std::vector {3, 7}));
    model.deleteRow(3);
    EXPECT_EQ(selection(model), (std::vector {6}));
    EXPECT_EQ(model.cellText(6, 1), "row5");
    EXPECT_TRUE(model.isSelected(6));
    expectConsistent(model);
}

TEST(UiListModel, RowsRemovedDuringADragNeverLeaveStaleNumbers)
{
    UiListModel model = listOf(10);
    model.setSingleSelection(false);
    model.press(9, {}, false);
    model.setHotRow(10);
    // The deletion thread's rows go while the user drags a Shift range.
    model.deleteRow(10);
    model.deleteRow(9);
    expectConsistent(model);
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(model.hotRow(), 0);
    model.press(4, SelectionModifiers {.shift = true}, false);
    EXPECT_EQ(selection(model), (std::vector {4}));
    model.press(8, SelectionModifiers {.shift = true}, false);
    EXPECT_EQ(selection(model), (std::vector {4, 5, 6, 7, 8}));
    while (model.rowCount() > 2)
        model.deleteRow(model.rowCount());
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(selection(model), (std::vector<int> {}));
    expectConsistent(model);
}

TEST(UiListModel, FindRules)
{
    UiListModel model = listOf(3);
    model.setCellText(2, 1, "Hello World");
    model.setCellText(3, 2, "hello");
    // Partial without exact: contained, case ignored.
    EXPECT_EQ(model.findText("WORLD", 1, ListFind {.partial = true}), 2);
    // Otherwise byte for byte.
    EXPECT_EQ(model.findText("hello world", 1, ListFind {}), 0);
    EXPECT_EQ(model.findText("Hello World", 1, ListFind {.exact = true, .partial = true}), 2);
    // Column -1: every column in report mode, the first cell otherwise.
    EXPECT_EQ(model.findText("hello", 1, ListFind {.column = -1}), 3);
    EXPECT_EQ(model.findText("hello", 1, ListFind {.column = -1, .allColumnsAllowed = false}), 0);
    EXPECT_EQ(model.findText("row", 2, ListFind {.partial = true}), 3);
    EXPECT_EQ(model.findItemData(20), 2);
    EXPECT_EQ(model.findItemData(20, 3), 0);
}

TEST(UiListModel, HotRowsAndSelectedRowsKeepTheirOwnStates)
{
    UiListModel model = listOf(3);
    model.press(2, {}, false);
    model.setHotRow(2);
    EXPECT_EQ(model.rowState(2), RowState::Selected);
    model.setHotRow(3);
    EXPECT_EQ(model.rowState(2), RowState::Selected);
    EXPECT_EQ(model.rowState(3), RowState::Hot);
    model.setHotRow(0);
    EXPECT_EQ(model.rowState(3), RowState::Normal);
}

TEST(UiListModel, ChangesAreReportedForTheRowsTheyTouch)
{
    UiListModel model = listOf(3);
    std::vector<ListChange> seen;
    model.onChange = [&](const ListChange& change) { seen.push_back(change); };
    EXPECT_TRUE(model.setChecked(2, true));
    EXPECT_FALSE(model.setChecked(2, true));  // same value: nothing
    model.setRowTextColour(3, 0xFFFF0000);
    model.deleteRow(1);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, ListChangeKind::RowChanged);
    EXPECT_EQ(seen[0].row, 2);
    EXPECT_EQ(seen[1].row, 3);
    EXPECT_EQ(seen[2].kind, ListChangeKind::RowsRemoved);
    EXPECT_TRUE(model.isChecked(1));
}

TEST(UiListModel, HoverSelectionFollowsThePointer)
{
    UiListModel model = listOf(3);
    EXPECT_TRUE(model.hoverSelect(2));
    EXPECT_FALSE(model.hoverSelect(2));
    EXPECT_TRUE(model.hoverSelect(3));
    EXPECT_EQ(model.currentRow(), 3);
    EXPECT_EQ(model.rowState(2), RowState::Normal);
    EXPECT_EQ(selection(model), (std::vector {3}));
}

namespace {

// The program's own rows behind the list: two columns per row.
class RowsBehind final : public quorvo::ui::ListRowSource {
public:
    Text cellText(int row, int column) const override
    {
        return m_rows.at(static_cast<std::size_t>(row - 1)).at(static_cast<std::size_t>(column - 1));
    }
    std::uint32_t rowTextColour(int row) const override { return row == 2 ? 0xFFFF0000 : 0xFF000000; }
    std::vector<std::vector<Text>> m_rows {{"a", "1"}, {"b", "2"}};
};

}  // namespace

TEST(UiListModel, ARowSourceSuppliesTheCellsAndColoursAndTheModelKeepsNoCopy)
{
    RowsBehind source;
    UiListModel model;
    model.insertColumn(0, "name");
    model.insertColumn(0, "count");
    model.insertRow(0, NewRow {});
    model.insertRow(0, NewRow {});
    model.setRowSource(&source);
    EXPECT_EQ(model.cellText(2, 1), "b");
    EXPECT_EQ(model.rowTextColour(2), 0xFFFF0000u);
    EXPECT_EQ(model.findText("2", 1, ListFind {.exact = true, .column = 2}), 2);

    std::vector<ListChange> seen;
    model.onChange = [&](const ListChange& change) { seen.push_back(change); };
    source.m_rows[0][1] = "changed";
    model.rowContentChanged(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, ListChangeKind::RowChanged);
    EXPECT_EQ(seen[0].row, 1);
    EXPECT_EQ(model.cellText(1, 2), "changed");
    EXPECT_EQ(model.cellText(3, 1), "");

    model.setRowSource(nullptr);
    EXPECT_EQ(model.cellText(1, 2), "");
}
