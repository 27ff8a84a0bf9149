#include "ui/controls/UiRadioButton.h"

#include "ui/controls/ControlImages.h"

namespace quorvo::ui {

UiRadioButton::UiRadioButton(FloatRect rect, Text caption, int group, ButtonOptions options)
    : UiMarkButton(rect, std::move(caption), options, radioMarkStrip(), ControlKind::RadioButton)
    , m_group(group)
{ }

void UiRadioButton::setChecked(bool checked)
{
    if (checked == isChecked())
        return;
    if (checked)
        clearGroupSiblings(*this, *this);
    storeChecked(checked);
}

void UiRadioButton::clickEvent(ClickEvent& event)
{
    m_pressedLook = true;
    update();
    setChecked(true);
    UiMarkButton::clickEvent(event);
}

bool UiRadioButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    if (m_pressedLook) {
        m_pressedLook = false;
        state = ButtonState::Pressed;
    }
    return UiMarkButton::paintButton(painter, state);
}

}  // namespace quorvo::ui
