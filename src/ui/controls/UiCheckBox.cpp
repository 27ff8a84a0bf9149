#include "ui/controls/UiCheckBox.h"

#include "ui/controls/ControlImages.h"

namespace quorvo::ui {

UiCheckBox::UiCheckBox(FloatRect rect, Text caption, ButtonOptions options)
    : UiMarkButton(rect, std::move(caption), options, checkMarkStrip(), ControlKind::CheckBox)
{ }

void UiCheckBox::clickEvent(ClickEvent& event)
{
    storeChecked(!isChecked());
    UiMarkButton::clickEvent(event);
}

}  // namespace quorvo::ui
