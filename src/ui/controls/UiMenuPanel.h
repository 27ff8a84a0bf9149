#pragma once

// The open menu window's one top-level control: draws the rounded panel and
// its shadow, holds the item controls as children, keeps which item is
// highlighted and takes the keyboard (arrows, Enter, Esc, mnemonics).

#include "ui/core/UiControl.h"

namespace quorvo::ui {

class UiMenu;
class UiMenuItem;

class UiMenuPanel : public UiControl {
public:
    UiMenuPanel(FloatRect rect, UiMenu& menu);

    [[nodiscard]] UiMenu& menu() const { return m_menu; }
    // The highlighted item (model index), -1 for none.
    [[nodiscard]] int activeItem() const { return m_active; }
    void setActiveItem(int index);
    // The item control for a model index, or null when it is not shown.
    [[nodiscard]] UiMenuItem* itemControl(int index) const;
    // Sub-menu timer of an item (500 ms after the pointer came onto it).
    void itemTimerFired(int index);

protected:
    void paintEvent(PaintEvent& event) override;
    void keyDownEvent(KeyEvent& event) override;
    void charEvent(CharEvent& event) override;

private:
    void activateByKey(int index);

    UiMenu& m_menu;
    int m_active = -1;
};

}  // namespace quorvo::ui
