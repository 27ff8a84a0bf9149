// The combo box and its drop-down, driven by synthetic input.

#include "ControlsFixture.h"

#include "ui/controls/UiComboBox.h"
#include "ui/controls/UiList.h"

#include "gfx/Color.h"

namespace quorvo::ui::test {
namespace {

class ComboTest : public ControlsTest {
protected:
    UiComboBox& makeCombo(UiHost& host, int items, FloatRect rect = {20, 20, 160, 26})
    {
        UiComboBox& combo = host.add<UiComboBox>(rect);
        for (int i = 1; i <= items; ++i)
            combo.addItem(gbk("方案" + std::to_string(i)));
        combo.setCurrentIndex(1);
        drain();
        return combo;
    }
};

TEST_F(ComboTest, HeightRules)
{
    EXPECT_EQ(UiComboBox::dropDownHeight(0), 130);
    EXPECT_EQ(UiComboBox::dropDownHeight(3), 63);
    EXPECT_EQ(UiComboBox::dropDownHeight(6), 120);
    EXPECT_EQ(UiComboBox::dropDownHeight(7), 130);
}

TEST_F(ComboTest, OpensBelowAndChoosingRaisesTheCallbackOnce)
{
    UiHost& host = makeHost({100, 100});
    UiComboBox& combo = makeCombo(host, 4);
    std::vector<int> changes;
    combo.onSelectionChanged = [&](int index) { changes.push_back(index); };
    IntRect opened;
    combo.onPopupShown = [&](UiHost& popup, UiList& list) {
        EXPECT_TRUE(combo.isDropped());
        const IntRect bounds = loop().bounds(popup.window());
        opened = {bounds.x, bounds.y, bounds.width, bounds.height};
        const IntRect row = list.rowRect(3);
        const IntPoint at {static_cast<int>(list.left()) + 20, static_cast<int>(list.top()) + row.y + row.height / 2};
        queueClick(popup, at);
    };
    click(host, {60, 33});
    ASSERT_TRUE(pumpUntil([&] { return !changes.empty() && !combo.isDropped(); }));
    EXPECT_EQ(opened, (IntRect {120, 146, 160, 4 * 19 + 6}));
    EXPECT_EQ(changes, (std::vector {3}));
    EXPECT_EQ(combo.currentIndex(), 3);
    EXPECT_EQ(combo.currentText(), gbk("方案3"));
}

TEST_F(ComboTest, OpensAboveWhenThereIsNoRoomBelowAndEscClosesWithoutAChange)
{
    const IntRect work = loop().workArea();
    UiHost& host = makeHost({100, work.y + work.height - 60}, 300, 60);
    UiComboBox& combo = makeCombo(host, 2, {20, 20, 160, 26});
    int changes = 0;
    combo.onSelectionChanged = [&](int) { ++changes; };
    IntRect opened;
    combo.onPopupShown = [&](UiHost& popup, UiList&) {
        const IntRect bounds = loop().bounds(popup.window());
        opened = {bounds.x, bounds.y, bounds.width, bounds.height};
        queueKey(popup, platform::Key::Escape);
    };
    int closed = 0;
    combo.onCloseUp = [&] { ++closed; };
    click(host, {60, 33});
    ASSERT_TRUE(pumpUntil([&] { return closed == 1; }));
    EXPECT_EQ(opened.y + opened.height, work.y + work.height - 60 + 20) << "the drop-down ends at the box's top";
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_FALSE(combo.isDropped());
}

TEST_F(ComboTest, AnEmptyComboOpensA130HighDropDownAndClosesOnDeactivation)
{
    UiHost& host = makeHost({100, 100});
    UiComboBox& combo = host.add<UiComboBox>(FloatRect {20, 20, 160, 26});
    int height = 0;
    combo.onPopupShown = [&](UiHost& popup, UiList&) {
        height = loop().bounds(popup.window()).height;
        synthetic::windowEvent(loop(), popup.window(), synthetic::WindowChange::FocusLost);
    };
    int changes = 0;
    combo.onSelectionChanged = [&](int) { ++changes; };
    click(host, {60, 33});
    ASSERT_TRUE(pumpUntil([&] { return !combo.isDropped(); }));
    EXPECT_EQ(height, 130);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(combo.currentIndex(), 0);
}

// The drop-down is framed by the strip's nine-grid out to its edges, and its
// rows fill it from x 3: neither a window shape nor the host's inner clip
// may cut the frame or the rows away.
TEST_F(ComboTest, TheDropDownShowsItsFrameAndRowsToTheEdges)
{
    UiHost& host = makeHost({100, 100});
    UiComboBox& combo = makeCombo(host, 3);
    combo.onPopupShown = [&](UiHost& popup, UiList& list) {
        EXPECT_GE(popup.layerAlpha(), 0) << "an opaque host is cut to its inner area";
        popup.repaintAll();
        const gfx::Surface& picture = popup.backBuffer();
        const gfx::Argb edge = picture.pixel(0, picture.height() / 2);
        EXPECT_GE(gfx::alphaOf(edge), 0x70) << std::hex << edge;
        EXPECT_GT(gfx::blueOf(edge), gfx::redOf(edge) + 40) << "the frame's blue border, " << std::hex << edge;
        EXPECT_EQ(list.layout().rowHeight, 19) << "rows keep the pitch the height counts";
        const IntRect row = list.rowRect(1);
        const gfx::Argb selected = picture.pixel(4, static_cast<int>(list.top()) + row.y + row.height / 2);
        EXPECT_GT(gfx::blueOf(selected), gfx::redOf(selected) + 40)
            << "the current row's highlight, " << std::hex << selected;
        queueKey(popup, platform::Key::Escape);
    };
    click(host, {60, 33});
    ASSERT_TRUE(pumpUntil([&] { return !combo.isDropped(); }));
}

}  // namespace
}  // namespace quorvo::ui::test
