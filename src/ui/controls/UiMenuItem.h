#pragma once

// One visible item of an open menu: a command, a separator or a sub-menu
// opener. Highlighted while the pointer is over it or while its sub-menu is
// open; a click chooses it.

#include "ui/core/UiControl.h"

#include "gfx/Image.h"

namespace quorvo::ui {

class UiMenuPanel;
struct MenuItem;

class UiMenuItem : public UiControl {
public:
    UiMenuItem(FloatRect rect, UiMenuPanel& panel, int index);

    [[nodiscard]] int index() const { return m_index; }
    [[nodiscard]] const MenuItem& item() const;
    [[nodiscard]] bool isHighlighted() const;
    // The delay before a hovered sub-menu item opens its menu.
    static constexpr int subMenuDelayMs = 500;

protected:
    void createEvent(Event& event) override;
    void paintEvent(PaintEvent& event) override;
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void clickEvent(ClickEvent& event) override;
    void timerEvent(TimerEvent& event) override;
    [[nodiscard]] bool wantsPress() const override { return true; }

private:
    UiMenuPanel& m_panel;
    int m_index;
    gfx::Image m_icon;
};

}  // namespace quorvo::ui
