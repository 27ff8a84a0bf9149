#pragma once

// A check box: a click toggles it; each change calls onCheckedChanged, and the
// click reaches the host with ControlKind::CheckBox.

#include "ui/controls/UiMarkButton.h"

namespace quorvo::ui {

class UiCheckBox : public UiMarkButton {
public:
    UiCheckBox(FloatRect rect, Text caption = {}, ButtonOptions options = {});

    // The same value again does nothing and raises nothing.
    void setChecked(bool checked) { storeChecked(checked); }

protected:
    void clickEvent(ClickEvent& event) override;
};

}  // namespace quorvo::ui
