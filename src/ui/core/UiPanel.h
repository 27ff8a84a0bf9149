#pragma once

// UiPanel: the invisible container (kind Panel). Pages are panels: showing,
// hiding or moving a panel acts on every control created under it. It draws
// nothing itself (its surface is 1 x 1).

#include "ui/core/UiControl.h"

namespace quorvo::ui {

class UiPanel : public UiControl {
public:
    explicit UiPanel(FloatRect rect, bool visible = true)
        : UiControl(rect, ControlKind::Panel, true, visible)
    { }

    [[nodiscard]] bool isContainer() const override { return true; }
};

}  // namespace quorvo::ui
