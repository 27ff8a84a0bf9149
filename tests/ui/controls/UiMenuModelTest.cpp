#include "ui/controls/UiMenuModel.h"

#include <gtest/gtest.h>

using quorvo::IntRect;
using quorvo::Text;
using quorvo::ui::MenuItem;
using quorvo::ui::MenuItemState;
using quorvo::ui::MenuItemType;
using quorvo::ui::UiMenuModel;

namespace {

// Ten pixels per byte: easy to reason about.
int measure(const Text& caption)
{
    return static_cast<int>(caption.size()) * 10;
}

MenuItem command(const char* caption, int id, MenuItemState state = MenuItemState::Normal)
{
    return MenuItem {.caption = caption, .state = state, .commandId = id};
}

MenuItem separator()
{
    return MenuItem {.type = MenuItemType::Separator};
}

}  // namespace

TEST(UiMenuModel, WidthRules)
{
    UiMenuModel menu;
    menu.addItem(command("&Open", 1));
    menu.addItem(command("Quit now", 2));
    EXPECT_EQ(menu.width(measure), 80 + 50);  // the mnemonic marker is not drawn
    menu.setWidthSetting(30);
    EXPECT_EQ(menu.width(measure), 50);
    menu.setWidthSetting(1);
    EXPECT_EQ(menu.width(measure), 50);
    menu.setWidthSetting(120);
    EXPECT_EQ(menu.width(measure), 120);
    menu.addItem(MenuItem {.caption = "More", .type = MenuItemType::SubMenu});
    EXPECT_EQ(menu.width(measure), 135);
}

TEST(UiMenuModel, HeightCountsSeparatorsAndItemsButNotHiddenOnes)
{
    UiMenuModel menu;
    EXPECT_EQ(menu.height(), 16);
    menu.addItem(command("a", 1));
    menu.addItem(separator());
    menu.addItem(command("b", 2, MenuItemState::Hidden));
    menu.addItem(command("c", 3, MenuItemState::Disabled));
    EXPECT_EQ(menu.height(), 16 + 22 + 3 + 22);

    const auto places = menu.places(100);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].rect, (IntRect {8, 8, 84, 22}));
    EXPECT_EQ(places[1].rect, (IntRect {33, 30, 60, 3}));
    EXPECT_EQ(places[2].index, 3);
    EXPECT_EQ(places[2].rect, (IntRect {8, 33, 84, 22}));

    UiMenuModel hiddenOnly;
    hiddenOnly.addItem(command("x", 1, MenuItemState::Hidden));
    hiddenOnly.addItem(command("y", 2, MenuItemState::Hidden));
    EXPECT_EQ(hiddenOnly.height(), 16);
}

TEST(UiMenuModel, KeysSkipHiddenDisabledAndSeparatorItems)
{
    UiMenuModel menu;
    menu.addItem(command("a", 1));
    menu.addItem(command("b", 2, MenuItemState::Hidden));
    menu.addItem(separator());
    menu.addItem(command("c", 3, MenuItemState::Disabled));
    menu.addItem(command("d", 4));
    EXPECT_EQ(menu.nextChoosable(-1, 1), 0);
    EXPECT_EQ(menu.nextChoosable(0, 1), 4);
    EXPECT_EQ(menu.nextChoosable(4, 1), 0);  // wraps
    EXPECT_EQ(menu.nextChoosable(0, -1), 4);
    EXPECT_EQ(menu.nextChoosable(-1, -1), 4);

    UiMenuModel none;
    none.addItem(command("x", 1, MenuItemState::Hidden));
    EXPECT_EQ(none.nextChoosable(-1, 1), -1);
}

TEST(UiMenuModel, MnemonicsFindChoosableItemsOnly)
{
    UiMenuModel menu;
    menu.addItem(command("\xBC\xF4\xC7\xD0(&T)", 88));  // 剪切(&T)
    menu.addItem(command("&Hidden", 2, MenuItemState::Hidden));
    menu.addItem(command("Fish && &Chips", 3));
    EXPECT_EQ(menu.findMnemonic('t'), 0);
    EXPECT_EQ(menu.findMnemonic('H'), -1);
    EXPECT_EQ(menu.findMnemonic('c'), 2);
    EXPECT_EQ(UiMenuModel::displayCaption("Fish && &Chips"), "Fish & Chips");
}
