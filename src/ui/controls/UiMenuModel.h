#pragma once

// A popup menu's items and the rules that size and place them: width from
// the widest caption, height from the item kinds, item rectangles, and the
// keyboard's walk over the items that can be chosen. No window here; UiMenu
// shows a model.

#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorvo::ui {

class UiMenu;

enum class MenuItemState { Normal = 0, Disabled = -1, Hidden = 5 };
enum class MenuItemType { Command = 0, Separator = 1, SubMenu = 2 };

// Default colours: caption black with alpha 210, highlight RGB 48, 134, 198 with alpha 230.
inline constexpr std::uint32_t menuTextColour = 0xD2000000;
inline constexpr std::uint32_t menuHighlightColour = 0xE63086C6;

struct MenuItem {
    Text caption {};  // may hold a "&" before its mnemonic letter
    Bytes icon {};    // encoded image, drawn 18 x 18; empty = none
    MenuItemState state = MenuItemState::Normal;
    MenuItemType type = MenuItemType::Command;
    // true: the choice goes to the owner as a command with `commandId`;
    // false: `handler` is called.
    bool sendCommand = true;
    int commandId = 0;
    std::function<void()> handler {};
    UiMenu* subMenu = nullptr;  // sub-menu items; menus live as long as the program
    std::uint32_t textColour = menuTextColour;
    // Empty: the owner window's background colour with alpha 230.
    std::optional<std::uint32_t> highlightColour = menuHighlightColour;
};

struct MenuItemPlace {
    int index = 0;  // into the model's items
    IntRect rect;   // in the menu window
};

class UiMenuModel {
public:
    // Returns the item's index (0-based).
    int addItem(MenuItem item);
    bool deleteItem(int index);
    void clear() { m_items.clear(); }
    [[nodiscard]] int itemCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const MenuItem* item(int index) const;
    [[nodiscard]] MenuItem* item(int index);
    [[nodiscard]] const std::vector<MenuItem>& items() const { return m_items; }

    // 0 = automatic (widest caption + 50); 1 to 49 become 50.
    [[nodiscard]] int widthSetting() const { return m_widthSetting; }
    void setWidthSetting(int width) { m_widthSetting = width; }

    // Width in pixels; `measure` gives a caption's drawn width.
    [[nodiscard]] int width(const std::function<int(const Text&)>& measure) const;
    // 16 + 3 per separator + 22 per other item; hidden items take no room.
    [[nodiscard]] int height() const;
    [[nodiscard]] bool hasSubMenus() const;
    // Rectangles of the visible items, top-down from y 8.
    [[nodiscard]] std::vector<MenuItemPlace> places(int menuWidth) const;

    // Whether the item can be highlighted and chosen: shown, enabled, not a separator.
    [[nodiscard]] bool isChoosable(int index) const;
    // The next choosable item after `from` going down (step 1) or up (-1),
    // wrapping around; -1 when there is none. `from` -1 starts before the first.
    [[nodiscard]] int nextChoosable(int from, int step) const;
    // The choosable item whose mnemonic ("&X") is `letter` (ASCII, any case), or -1.
    [[nodiscard]] int findMnemonic(char letter) const;

    // The caption as drawn: "&&" becomes "&", a single "&" disappears.
    [[nodiscard]] static Text displayCaption(const Text& caption);
    [[nodiscard]] static std::optional<char> mnemonicOf(const Text& caption);

private:
    std::vector<MenuItem> m_items;
    int m_widthSetting = 0;
};

}  // namespace quorvo::ui
