// The list control driven by synthetic input through a real host.

#include "ControlsFixture.h"

#include "ui/controls/UiEdit.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiScrollBar.h"

#include "gfx/Color.h"
#include "gfx/Image.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <memory>

namespace quorvo::ui::test {
namespace {

class ListTest : public ControlsTest {
protected:
    UiList& makeList(UiHost& host, int rows, ListOptions options = {}, FloatRect rect = {10, 10, 300, 200})
    {
        UiList& list = host.add<UiList>(rect, std::move(options));
        list.insertColumn(0, gbk("歌曲"), 150);
        list.insertColumn(0, gbk("歌手"), 100);
        for (int r = 1; r <= rows; ++r)
            list.appendRow(gbk("第" + std::to_string(r)));
        drain();
        return list;
    }
    // The middle of a row's first cell, in window coordinates.
    IntPoint rowPoint(const UiList& list, int row)
    {
        const IntRect r = list.rowRect(row);
        return {static_cast<int>(list.left()) + list.layout().itemArea.x + 60 + list.scrollX(),
                static_cast<int>(list.top()) + list.layout().itemArea.y + r.y + r.height / 2 + list.scrollY()};
    }
};

TEST_F(ListTest, LayoutNumbersFollowTheFont)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 3);
    const ListLayout& layout = list.layout();
    EXPECT_GT(layout.rowHeight, 6);
    EXPECT_EQ(layout.headerHeight, layout.rowHeight - 3 + 6) << "header: font + 3, plus 6; rows: font + 3, plus 3";
    EXPECT_EQ(layout.itemArea.y, layout.headerHeight);
    EXPECT_EQ(layout.contentHeight, 3 * layout.rowHeight);
    EXPECT_EQ(list.hitTest(rowPoint(list, 2)).row, 2);
    EXPECT_EQ(list.hitTest({rowPoint(list, 2).x + 150, rowPoint(list, 2).y}).column, 2);
}

TEST_F(ListTest, ClickingTheCheckSquareRaisesTheTickWithTheNewState)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 4, ListOptions {.checkBoxes = true});
    std::vector<std::pair<int, bool>> ticks;
    list.onCheckChanged = [&](int row, bool checked) { ticks.emplace_back(row, checked); };
    const IntRect square = list.checkRect(3);
    ASSERT_FALSE(square.empty());
    click(host, {square.x + 8, square.y + 8});
    click(host, {square.x + 8, square.y + 8});
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0], (std::pair {3, true}));
    EXPECT_EQ(ticks[1], (std::pair {3, false}));
    EXPECT_EQ(list.model().selectionCount(), 0) << "a tick leaves the selection alone";
    EXPECT_EQ(list.model().currentRow(), 0);
    click(host, rowPoint(list, 3));
    EXPECT_TRUE(list.model().isSelected(3));
    EXPECT_FALSE(list.model().isChecked(3));
}

TEST_F(ListTest, CtrlAndShiftClicksBuildTheSelection)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 6, ListOptions {.singleSelection = false});
    std::vector<int> clicked;
    list.onItemClicked = [&](int row) { clicked.push_back(row); };
    click(host, rowPoint(list, 1));
    click(host, rowPoint(list, 3), {.control = true});
    click(host, rowPoint(list, 5), {.shift = true});
    const auto selected = list.model().selectedRows();
    EXPECT_EQ(std::vector<int>(selected.begin(), selected.end()), (std::vector {3, 4, 5}));
    click(host, rowPoint(list, 4), {.control = true});
    EXPECT_FALSE(list.model().isSelected(4));
    EXPECT_EQ(clicked, (std::vector {1, 3, 5, 4}));
}

TEST_F(ListTest, TheWheelScrollsOnlyWhileTheBarShows)
{
    UiHost& host = makeHost();
    UiList& few = makeList(host, 3, {}, {10, 10, 300, 120});
    click(host, rowPoint(few, 1));
    synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(few.scrollY(), 0);
    EXPECT_FALSE(few.verticalBar()->isVisible());

    UiList& many = makeList(host, 40, {}, {10, 140, 300, 150});
    click(host, rowPoint(many, 1));
    ASSERT_TRUE(many.verticalBar()->isVisible());
    synthetic::mouseWheel(loop(), host.window(), 1);
    drain();
    EXPECT_EQ(many.scrollY(), 0) << "at the top a turn up stays at 0";
    synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(many.scrollY(), -3 * many.layout().rowHeight);
    EXPECT_EQ(many.verticalBar()->position(), 3 * many.layout().rowHeight);
    for (int i = 0; i < 40; ++i)
        synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(many.scrollY(), -(many.layout().contentHeight - many.layout().itemArea.height));
}

// The wheel goes to what is under the pointer: after a search the search box
// holds the focus, and the wheel over the result list must still scroll it.
TEST_F(ListTest, TheWheelScrollsTheListUnderThePointerNotTheFocusControl)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 40, {}, {10, 10, 300, 150});
    auto& edit = host.add<UiEdit>(FloatRect {10, 200, 200, 22});
    click(host, {50, 210});
    ASSERT_EQ(host.focus(), &edit);
    move(host, rowPoint(list, 2).x, rowPoint(list, 2).y);
    synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(list.scrollY(), -3 * list.layout().rowHeight);
    EXPECT_EQ(host.focus(), &edit) << "the wheel does not move the focus";
    // Over the list's own scroll bar the wheel reaches the list as well.
    const FloatRect bar = list.verticalBar()->rect();
    move(host, int(bar.x + bar.width / 2), int(bar.y + bar.height / 2));
    synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(list.scrollY(), -6 * list.layout().rowHeight);
}

TEST_F(ListTest, KeysMoveTheCurrentRowAndSpaceTicksIt)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 40, ListOptions {.checkBoxes = true}, {10, 10, 300, 150});
    std::vector<std::pair<int, bool>> ticks;
    list.onCheckChanged = [&](int row, bool checked) { ticks.emplace_back(row, checked); };
    click(host, rowPoint(list, 1));
    ASSERT_EQ(host.focus(), &list);
    key(host, platform::Key::Down);
    EXPECT_EQ(list.model().currentRow(), 2);
    EXPECT_TRUE(list.model().isSelected(2));
    EXPECT_FALSE(list.model().isSelected(1));
    key(host, platform::Key::End);
    EXPECT_EQ(list.model().currentRow(), 40);
    EXPECT_TRUE(list.isRowVisible(40));
    EXPECT_LT(list.scrollY(), 0);
    key(host, platform::Key::Home);
    EXPECT_EQ(list.model().currentRow(), 1);
    EXPECT_EQ(list.scrollY(), 0);
    key(host, platform::Key::Up);
    EXPECT_EQ(list.model().currentRow(), 1) << "the first row stays";
    const int page = list.layout().itemArea.height / list.layout().rowHeight;
    key(host, platform::Key::PageDown);
    EXPECT_EQ(list.model().currentRow(), 1 + page);
    EXPECT_TRUE(list.isRowVisible(1 + page));
    key(host, platform::Key::PageUp);
    EXPECT_EQ(list.model().currentRow(), 1);
    key(host, platform::Key::Space);
    key(host, platform::Key::Down);
    key(host, platform::Key::Space);
    key(host, platform::Key::Space);
    EXPECT_TRUE(list.model().isChecked(1));
    EXPECT_FALSE(list.model().isChecked(2));
    EXPECT_EQ(ticks, (std::vector<std::pair<int, bool>> {{1, true}, {2, true}, {2, false}}));
    EXPECT_EQ(host.focus(), &list) << "the keys stay with the list";
}

// The hover highlight marks the row under the pointer, also after the rows
// moved under a resting pointer (a wheel turn, a deleted row).
TEST_F(ListTest, TheHoverFollowsThePointerWhenTheRowsScrollOrGo)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 40, {}, {10, 10, 300, 150});
    const IntPoint at = rowPoint(list, 2);
    move(host, at.x, at.y);
    ASSERT_EQ(list.model().hotRow(), 2);
    synthetic::mouseWheel(loop(), host.window(), -1);
    drain();
    EXPECT_EQ(list.model().hotRow(), 5);
    EXPECT_EQ(list.model().rowState(2), RowState::Normal) << "no highlight stays on the row that scrolled away";
    EXPECT_EQ(list.model().rowState(5), RowState::Hot);
    list.model().deleteRow(5);
    drain();
    EXPECT_EQ(list.hitTest(at).row, 5);
    EXPECT_EQ(list.model().hotRow(), 5) << "the row that moved under the pointer";
    EXPECT_EQ(list.model().rowState(5), RowState::Hot);
    list.model().deleteRow(3);
    drain();
    EXPECT_EQ(list.model().hotRow(), 5);
    EXPECT_EQ(list.model().rowState(4), RowState::Normal);
}

TEST_F(ListTest, InsertAndDeleteKeepTheSelectedRows)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 5, ListOptions {.singleSelection = false});
    click(host, rowPoint(list, 2));
    click(host, rowPoint(list, 4), {.control = true});
    list.insertRow(1, NewRow {.text = "new"});
    list.model().deleteRow(4);  // the old row 3
    const auto selected = list.model().selectedRows();
    EXPECT_EQ(std::vector<int>(selected.begin(), selected.end()), (std::vector {3, 4}));
    EXPECT_EQ(list.model().cellText(3, 1), gbk("第2"));
    EXPECT_EQ(list.model().cellText(4, 1), gbk("第4"));
}

TEST_F(ListTest, RowsRemovedWhileScrolledAndDraggingAreNeverReadPast)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 200, ListOptions {.singleSelection = false});
    list.ensureVisible(200);
    drain();
    EXPECT_TRUE(list.isRowVisible(200));
    click(host, rowPoint(list, list.lastVisibleRow() - 1));
    // The deletion thread's work arrives between the press and a Shift click.
    while (list.model().rowCount() > 3)
        list.model().deleteRow(list.model().rowCount());
    host.repaintAll();
    EXPECT_LE(list.lastVisibleRow(), 3);
    EXPECT_EQ(list.scrollY(), 0);
    click(host, rowPoint(list, 2), {.shift = true});
    for (const int row : list.model().selectedRows())
        EXPECT_TRUE(list.model().isValid(row));
    list.model().deleteAllRows();
    host.repaintAll();
    EXPECT_EQ(list.hitTest(rowPoint(list, 1)).row, 0);
}

TEST_F(ListTest, HoverSelectionFollowsThePointerAndReportsPresses)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 5, ListOptions {.hoverSelection = true});
    std::vector<std::pair<int, int>> pressed;
    list.onItemPressed = [&](int row, int column) { pressed.emplace_back(row, column); };
    const IntPoint p = rowPoint(list, 4);
    synthetic::mouseMove(loop(), host.window(), p.x, p.y);
    drain();
    EXPECT_EQ(list.model().currentRow(), 4);
    EXPECT_TRUE(list.model().isSelected(4));
    ASSERT_FALSE(pressed.empty());
    EXPECT_EQ(pressed.back(), (std::pair {4, 0}));
}

TEST_F(ListTest, CellChangesOfHiddenColumnsAndRedRowsKeepTheirData)
{
    UiHost& host = makeHost();
    UiList& list = makeList(host, 2);
    const int hidden = list.insertColumn(0, "id", 0);
    list.model().setCellText(2, hidden, "4711");
    list.model().setRowTextColour(2, 0xFFFF0000);
    list.model().setCellText(2, 2, gbk("下载失败"));
    host.repaintAll();
    EXPECT_EQ(list.model().cellText(2, hidden), "4711");
    EXPECT_EQ(list.model().rowTextColour(2), 0xFFFF0000u);
    EXPECT_EQ(list.layout().contentWidth, 300) << "a zero-width column takes no room";
}

// A strip of two flat 32 x 32 icons: 0 green, 1 blue.
ListImageStrip flatIcons()
{
    gfx::Surface strip = gfx::Surface::create(64, 32);
    {
        gfx::Painter painter(strip);
        gfx::fillRect(painter, {0, 0, 32, 32}, 0xFF00FF00);
        gfx::fillRect(painter, {32, 0, 32, 32}, 0xFF0000FF);
    }
    auto frames = std::make_shared<gfx::Image::Frames>();
    frames->frames.push_back(std::move(strip));
    frames->delays.push_back(0);
    return {gfx::Image(std::move(frames)), 32, 32};
}

bool anyDarkPixel(const gfx::Surface& picture, IntRect area)
{
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x) {
            const gfx::Argb pixel = picture.pixel(x, y);
            if (gfx::alphaOf(pixel) > 128 && gfx::redOf(pixel) < 100 && gfx::greenOf(pixel) < 100)
                return true;
        }
    }
    return false;
}

// The icon grid lays items out line by line, icon centred at the top and the
// text under it; the simple list gives each item a whole line, icon at the
// left. Both draw and hit-test items where they lie, not as report rows.
TEST_F(ListTest, IconGridAndSimpleListPlaceDrawAndHitItemsWhereTheyLie)
{
    UiHost& host = makeHost({0, 0}, 640, 300);
    UiList& grid = host.add<UiList>(FloatRect {10, 10, 300, 260}, ListOptions {.mode = ListViewMode::Icons});
    UiList& simple = host.add<UiList>(FloatRect {320, 10, 300, 260}, ListOptions {.mode = ListViewMode::Simple});
    for (UiList* list : {&grid, &simple}) {
        list->setRowImages(flatIcons());
        list->insertColumn(0, gbk("歌曲"), 150);
        list->insertColumn(0, gbk("歌手"), 100);
        for (int r = 1; r <= 7; ++r)
            list->insertRow(0, NewRow {.text = gbk("第" + std::to_string(r)), .image = r == 5 ? 1 : 0});
    }
    host.repaintAll();
    const gfx::Surface& picture = host.backBuffer();

    const ListLayout& layout = grid.layout();
    ASSERT_EQ(layout.headerHeight, 0);
    const int perLine = 300 / layout.itemWidth;
    ASSERT_GE(perLine, 2);
    // Item 5 is the second of the second line when three fit on a line.
    const int fifth = 4;
    const IntRect item {fifth % perLine * layout.itemWidth, fifth / perLine * layout.rowHeight, layout.itemWidth,
                        layout.rowHeight};
    EXPECT_EQ(grid.rowRect(5), item);
    const IntPoint icon {10 + item.x + (item.width - 32) / 2, 10 + item.y + 4};
    EXPECT_EQ(picture.pixel(icon.x + 16, icon.y + 16), 0xFF0000FFu) << "item 5's blue icon, centred at the top";
    EXPECT_EQ(picture.pixel(icon.x + 16, icon.y + 33) & 0xFFFFFF,
              picture.pixel(10 + item.x + 1, icon.y + 33) & 0xFFFFFF)
        << "nothing of the icon under it";
    EXPECT_TRUE(anyDarkPixel(picture, {10 + item.x + 2, icon.y + 34, item.width - 4, layout.rowHeight - 40}))
        << "the text under the icon";
    EXPECT_EQ(grid.hitTest({icon.x + 16, icon.y + 16}).row, 5);
    EXPECT_EQ(grid.hitTest({10 + perLine * layout.itemWidth - 1, 10 + 2 * layout.rowHeight + 5}).row, 0)
        << "after the last item of a short line";
    EXPECT_EQ(grid.layout().contentHeight, (7 + perLine - 1) / perLine * layout.rowHeight);

    const ListLayout& lines = simple.layout();
    EXPECT_EQ(simple.rowRect(5), (IntRect {0, 4 * lines.rowHeight, 300, lines.rowHeight}));
    const int y5 = 10 + 4 * lines.rowHeight;
    EXPECT_EQ(picture.pixel(320 + 1 + 16, y5 + lines.rowHeight / 2), 0xFF0000FFu) << "icon at the left";
    EXPECT_TRUE(anyDarkPixel(picture, {320 + 35, y5 + 1, 60, lines.rowHeight - 2})) << "the text after the icon";
    const ListHit hit = simple.hitTest({320 + 250, y5 + 3});
    EXPECT_EQ(hit.row, 5) << "the whole line wide";
    EXPECT_EQ(hit.column, 1) << "first cell only";
}

TEST_F(ListTest, AWheelStepDrawsTheSamePictureAsAFreshPaint)
{
    UiHost& host = makeHost({0, 0}, 640, 300);
    UiList& scrolled = makeList(host, 60, ListOptions {.checkBoxes = true}, {10, 10, 300, 200});
    UiList& fresh = makeList(host, 60, ListOptions {.checkBoxes = true}, {320, 10, 300, 200});
    for (UiList* list : {&scrolled, &fresh}) {
        list->model().setChecked(9, true);
        list->model().setRowTextColour(11, 0xFFFF0000);
    }
    scrolled.paintIfNeeded();
    // Down by one step (the picture shifts, uncovered rows are drawn), a
    // changed row, and back up by one row: each path must match a full paint.
    scrolled.setVerticalPosition(3 * scrolled.layout().rowHeight);
    scrolled.paintIfNeeded();
    scrolled.model().setCellText(8, 2, "changed");
    scrolled.paintIfNeeded();
    scrolled.setVerticalPosition(2 * scrolled.layout().rowHeight);
    fresh.model().setCellText(8, 2, "changed");
    fresh.setVerticalPosition(2 * fresh.layout().rowHeight);
    scrolled.paintIfNeeded();
    fresh.paintIfNeeded();
    const gfx::Surface& a = scrolled.surface();
    const gfx::Surface& b = fresh.surface();
    ASSERT_EQ(a.width(), b.width());
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() - 10; ++x)  // the scroll bars are children, not in the surface
            differing += a.rawPixel(x, y) != b.rawPixel(x, y) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace quorvo::ui::test
