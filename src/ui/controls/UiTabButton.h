#pragma once

// A page tab: a 60 x 45 button drawn from the tab strip (hover frame, selected
// frame), an icon above its caption, and an exclusive selection among its
// sibling tabs. A press selects it; pressing the selected tab changes nothing.
//
//     auto& search = host.add<UiTabButton>(FloatRect {115, 41, 60, 45}, "搜索", searchIcon,
//                                          ButtonOptions {.textColour = white, .appearance = 4},
//                                          gfx::argb(81, 0, 0, 0));

#include "ui/controls/UiExclusiveGroup.h"
#include "ui/core/UiButtonBase.h"

#include "gfx/Image.h"

#include <functional>
#include <optional>

namespace quorvo::ui {

class UiTabButton : public UiButtonBase, public UiExclusiveMember {
public:
    // The appearance value is the caption's text effect (4: outline) and
    // `secondColour` its colour.
    UiTabButton(FloatRect rect, Text caption, Bytes icon = {}, ButtonOptions options = {},
                std::optional<gfx::Argb> secondColour = std::nullopt);

    [[nodiscard]] bool isSelected() const { return m_selected; }
    // Selecting clears the sibling tabs; the same value again does nothing.
    // Each change calls onSelectedChanged.
    void setSelected(bool selected);
    void select() { setSelected(true); }

    void clearByGroup() override;

    // Selected or cleared (a press, the program, or a sibling taking the selection).
    std::function<void(bool selected)> onSelectedChanged;

protected:
    bool paintButton(gfx::Painter& painter, ButtonState state) override;
    void mouseDownEvent(MouseEvent& event) override;

private:
    gfx::Image m_icon;
    std::optional<gfx::Argb> m_secondColour;
    bool m_selected = false;
};

}  // namespace quorvo::ui
