#pragma once

// The button an edit box may carry at its right end (the search box's search
// button): a four-frame strip (normal, hover, pressed, disabled), the hand
// cursor, a tooltip, and a click callback.

#include "ui/core/UiControl.h"

#include "gfx/Image.h"

#include <functional>

namespace quorvo::ui {

class UiEditButton : public UiControl {
public:
    UiEditButton(FloatRect rect, gfx::Image strip);

    std::function<void()> onClicked;
    // Clicks it as the mouse would.
    void press();
    // 0 normal, 1 hover, 2 pressed, 3 disabled.
    [[nodiscard]] int frame() const;

protected:
    void paintEvent(PaintEvent& event) override;
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void mouseUpEvent(MouseEvent& event) override;
    void clickEvent(ClickEvent& event) override;
    [[nodiscard]] bool wantsPress() const override { return true; }

private:
    gfx::Image m_strip;
    bool m_hover = false;
    bool m_down = false;
};

}  // namespace quorvo::ui
