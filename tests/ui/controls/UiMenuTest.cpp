// Popup menus in their own windows, driven by synthetic input.

#include "ControlsFixture.h"

#include "ui/controls/UiMenu.h"

namespace quorvo::ui::test {
namespace {

MenuItem command(const char* caption, int id, MenuItemState state = MenuItemState::Normal)
{
    return MenuItem {.caption = caption, .state = state, .commandId = id};
}

// The middle of the visible item `index` of an open menu, in its window.
IntPoint itemPoint(const UiMenu& menu, int index)
{
    for (const MenuItemPlace& place : menu.model().places(menu.measuredWidth())) {
        if (place.index == index)
            return {place.rect.x + 20, place.rect.y + place.rect.height / 2};
    }
    ADD_FAILURE() << "item " << index << " is not shown";
    return {};
}

class MenuTest : public ControlsTest { };

TEST_F(MenuTest, TheWindowFollowsTheWidthAndHeightRules)
{
    UiHost& owner = makeHost({50, 50});
    UiMenu menu;
    menu.setWidthSetting(30);
    menu.addItem(command("a", 1));
    menu.addItem(MenuItem {.type = MenuItemType::Separator});
    menu.addItem(command("hidden", 2, MenuItemState::Hidden));
    menu.addItem(command("b", 3));
    IntRect bounds;
    menu.onPopup = [&](UiHost& window) {
        bounds = loop().bounds(window.window());
        queueKey(window, platform::Key::Escape);
    };
    menu.showAt(owner, {200, 200});
    EXPECT_FALSE(menu.isOpen());
    EXPECT_EQ(bounds.width, 50);
    EXPECT_EQ(bounds.height, 16 + 22 + 3 + 22);
    EXPECT_EQ(bounds.x, 200);
    EXPECT_EQ(bounds.y, 200);
}

TEST_F(MenuTest, OpensLeftAndAboveThePointNearTheWorkAreaEdge)
{
    UiHost& owner = makeHost({50, 50});
    UiMenu menu;
    menu.setWidthSetting(100);
    menu.addItem(command("a", 1));
    const IntRect work = loop().workArea();
    IntRect bounds;
    menu.onPopup = [&](UiHost& window) {
        bounds = loop().bounds(window.window());
        queueKey(window, platform::Key::Escape);
    };
    menu.showAt(owner, {work.x + work.width - 10, work.y + work.height - 5});
    EXPECT_EQ(bounds.x, work.x + work.width - 10 - 100);
    EXPECT_EQ(bounds.y, work.y + work.height - 5 - 38);
}

TEST_F(MenuTest, ACommandReachesTheOwnerAfterTheMenuClosed)
{
    UiHost& owner = makeHost({50, 50});
    std::vector<int> commands;
    owner.onMessage = [&](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::Command)
            commands.push_back(request.command);
        return notHandled;
    };
    UiMenu menu;
    menu.addItem(command("first", 101));
    menu.addItem(command("second", 102));
    menu.onPopup = [&](UiHost& window) { queueClick(window, itemPoint(menu, 1)); };
    menu.showAt(owner, {100, 100});
    EXPECT_TRUE(commands.empty()) << "delivered after the menu has closed, not during";
    drain();
    EXPECT_EQ(commands, (std::vector {102}));
}

TEST_F(MenuTest, KeysSkipHiddenAndDisabledItemsAndEscChoosesNothing)
{
    UiHost& owner = makeHost({50, 50});
    std::vector<int> chosen;
    UiMenu menu;
    menu.addItem(MenuItem {.caption = "a", .sendCommand = false, .handler = [&] { chosen.push_back(1); }});
    menu.addItem(MenuItem {
        .caption = "b", .state = MenuItemState::Hidden, .sendCommand = false, .handler = [&] { chosen.push_back(2); }});
    menu.addItem(MenuItem {.caption = "c", .state = MenuItemState::Disabled, .sendCommand = false, .handler = [&] {
                               chosen.push_back(3);
                           }});
    menu.addItem(MenuItem {.caption = "&d", .sendCommand = false, .handler = [&] { chosen.push_back(4); }});
    menu.onPopup = [&](UiHost& window) {
        queueKey(window, platform::Key::Down);
        queueKey(window, platform::Key::Down);
        queueKey(window, platform::Key::Return);
    };
    menu.showAt(owner, {100, 100});
    EXPECT_EQ(chosen, (std::vector {4}));

    menu.onPopup = [&](UiHost& window) { queueKey(window, 'D'); };
    menu.showAt(owner, {100, 100});
    EXPECT_EQ(chosen, (std::vector {4, 4})) << "the mnemonic chooses at once";

    menu.onPopup = [&](UiHost& window) { queueKey(window, platform::Key::Escape); };
    menu.showAt(owner, {100, 100});
    EXPECT_EQ(chosen, (std::vector {4, 4}));
}

TEST_F(MenuTest, LosingActivationClosesTheMenuWithoutACommand)
{
    UiHost& owner = makeHost({50, 50});
    int commands = 0;
    owner.onMessage = [&](const WindowRequest& request) {
        commands += request.kind == WindowRequestKind::Command ? 1 : 0;
        return notHandled;
    };
    UiMenu menu;
    menu.addItem(command("only", 7));
    menu.onPopup
        = [&](UiHost& window) { synthetic::windowEvent(loop(), window.window(), synthetic::WindowChange::FocusLost); };
    menu.showAt(owner, {100, 100});
    drain();
    EXPECT_FALSE(menu.isOpen());
    EXPECT_EQ(commands, 0);
}

TEST_F(MenuTest, ASubMenuOpensAfterItsDelayAndItsCommandClosesBoth)
{
    UiHost& owner = makeHost({50, 50});
    int chosen = 0;
    UiMenu sub;
    sub.addItem(MenuItem {.caption = "inner", .sendCommand = false, .handler = [&] { ++chosen; }});
    UiMenu menu;
    menu.addItem(command("plain", 1));
    menu.addItem(MenuItem {.caption = "more", .type = MenuItemType::SubMenu, .subMenu = &sub});
    EXPECT_EQ(menu.measuredWidth(), sub.measuredWidth() + 15 + (menu.measuredWidth() - sub.measuredWidth() - 15));

    bool openAtOnce = true;
    IntRect parentBounds;
    IntRect subBounds;
    menu.onPopup = [&](UiHost& window) {
        parentBounds = loop().bounds(window.window());
        const IntPoint at = itemPoint(menu, 1);
        synthetic::mouseMove(loop(), window.window(), at.x, at.y);
        // Let the hover register; the sub-menu must wait for its timer.
        framework->loop().post([&] { openAtOnce = sub.isOpen(); });
    };
    sub.onPopup = [&](UiHost& window) {
        subBounds = loop().bounds(window.window());
        EXPECT_TRUE(menu.isOpen());
        queueClick(window, itemPoint(sub, 0));
    };
    menu.showAt(owner, {100, 100});
    EXPECT_FALSE(openAtOnce);
    EXPECT_EQ(chosen, 1);
    EXPECT_FALSE(sub.isOpen());
    EXPECT_FALSE(menu.isOpen());
    EXPECT_GT(subBounds.x, parentBounds.x) << "beside the parent, on its right";
}

}  // namespace
}  // namespace quorvo::ui::test
