#pragma once

// UiMenu: a popup menu. A plain object holding its items (UiMenuModel); each
// show opens a small top-level window of its own with one UiMenuItem per
// visible item and runs a nested loop on the user-interface thread until the
// window closes, so the rest of the program keeps painting and its timers
// keep firing meanwhile.
//
// A chosen command item reaches its target after the menu has closed: as a
// command request posted to the owner window (which hands it to its focus
// control), or by calling the item's handler. Esc closes one level; a click
// elsewhere (deactivation) closes the whole chain of open menus.

#include "ui/controls/UiMenuModel.h"

#include "runtime/Geometry.h"

#include <functional>
#include <memory>
#include <optional>

namespace quorvo::ui {

class UiHost;
class UiMenuPanel;

class UiMenu {
public:
    UiMenu();
    ~UiMenu();
    UiMenu(const UiMenu&) = delete;
    UiMenu& operator=(const UiMenu&) = delete;

    [[nodiscard]] UiMenuModel& model() { return m_model; }
    [[nodiscard]] const UiMenuModel& model() const { return m_model; }
    int addItem(MenuItem item)
    {
        if (m_useHostColour)
            item.highlightColour.reset();
        return m_model.addItem(std::move(item));
    }
    void setWidthSetting(int width) { m_model.setWidthSetting(width); }
    // Items added while this is set highlight in the owner's background colour.
    void setUseHostColour(bool on) { m_useHostColour = on; }

    // Called with the menu window once it is open (before its loop runs).
    std::function<void(UiHost& menuWindow)> onPopup;

    // Opens at a screen point (both 0: at the pointer) and returns when the
    // menu has closed. Opens to the left of and/or above the point when the
    // menu would pass the work area's right or bottom edge.
    void showAt(UiHost& owner, IntPoint screenPoint = {});
    // Opens beside a screen rectangle (the item of a parent menu): at its
    // right edge, or to its left when there is no room on the right.
    void showBeside(UiHost& owner, IntRect besideScreen);

    [[nodiscard]] bool isOpen() const { return m_window != nullptr; }
    // The open menu's window; null while closed.
    [[nodiscard]] UiHost* window() const { return m_window.get(); }
    // The open sub-menu, if any.
    [[nodiscard]] UiMenu* openSubMenu() const { return m_openSub; }
    // Closes this menu (and the sub-menus it opened).
    void close();
    // Closes this menu and every menu that opened it.
    void closeChain();

    // Width and position the next show would use (for the rules' tests).
    [[nodiscard]] int measuredWidth() const;
    [[nodiscard]] int height() const { return m_model.height(); }

    // ---- used by the menu's own controls ----
    void choose(int index);
    void openSubMenuOf(int index, IntRect itemScreenRect);
    void windowDeactivated();
    [[nodiscard]] UiHost* owner() const { return m_owner; }
    // The host whose background colour tints the menu: the first menu's
    // owner, so that a sub-menu (owned by its parent's window) looks like its parent.
    [[nodiscard]] const UiHost* tintHost() const;
    [[nodiscard]] UiMenu* parentMenu() const { return m_parent; }

private:
    void run(UiHost& owner, IntPoint position);
    [[nodiscard]] UiMenu& root();

    UiMenuModel m_model;
    bool m_useHostColour = false;
    std::unique_ptr<UiHost> m_window;
    UiMenuPanel* m_panel = nullptr;
    UiHost* m_owner = nullptr;
    UiMenu* m_parent = nullptr;
    UiMenu* m_openSub = nullptr;
    bool m_closing = false;
    // The root menu keeps the item chosen anywhere in its chain.
    struct Choice {
        UiMenu* menu = nullptr;
        int index = -1;
    };
    std::optional<Choice> m_choice;
};

}  // namespace quorvo::ui
