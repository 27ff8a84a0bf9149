#pragma once

// A radio button: checking one clears the other radio buttons of its group
// among its siblings. Clicking the checked one changes nothing and raises no
// change event (the click itself still reaches the host). Each click shows
// the highlighted mark in the next paint, even from the keyboard, so a key
// press on a focused radio button is seen to take effect.

#include "ui/controls/UiExclusiveGroup.h"
#include "ui/controls/UiMarkButton.h"

namespace quorvo::ui {

class UiRadioButton : public UiMarkButton, public UiExclusiveMember {
public:
    UiRadioButton(FloatRect rect, Text caption = {}, int group = 0, ButtonOptions options = {});

    // Checking clears the rest of the group first; the same value again does nothing.
    void setChecked(bool checked);
    [[nodiscard]] int group() const { return m_group; }
    void setGroup(int group) { m_group = group; }

    [[nodiscard]] int exclusiveGroup() const override { return m_group; }
    void clearByGroup() override { storeChecked(false); }

protected:
    void clickEvent(ClickEvent& event) override;
    bool paintButton(gfx::Painter& painter, ButtonState state) override;

private:
    int m_group = 0;
    bool m_pressedLook = false;
};

}  // namespace quorvo::ui
