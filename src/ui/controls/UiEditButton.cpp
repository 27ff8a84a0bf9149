#include "ui/controls/UiEditButton.h"

#include "gfx/Painter.h"

namespace quorvo::ui {

UiEditButton::UiEditButton(FloatRect rect, gfx::Image strip)
    : UiControl(rect, ControlKind::ImageButton, false)
    , m_strip(std::move(strip))
{
    setCursor(Cursor::Hand);
}

int UiEditButton::frame() const
{
    if (!isEnabled())
        return 3;
    if (m_down)
        return 2;
    return m_hover ? 1 : 0;
}

void UiEditButton::press()
{
    if (!isEnabled())
        return;
    if (onClicked)
        onClicked();
}

void UiEditButton::paintEvent(PaintEvent& event)
{
    if (!m_strip)
        return;
    const float w = width();
    const float h = height();
    gfx::drawImage(event.painter(), m_strip, {0, 0, w, h}, FloatRect {static_cast<float>(frame()) * w, 0, w, h});
}

void UiEditButton::mouseEnterEvent(HoverEvent&)
{
    m_hover = true;
    update();
}

void UiEditButton::mouseLeaveEvent(HoverEvent&)
{
    m_hover = false;
    m_down = false;
    update();
}

void UiEditButton::mouseDownEvent(MouseEvent&)
{
    m_down = true;
    update();
}

void UiEditButton::mouseUpEvent(MouseEvent&)
{
    m_down = false;
    update();
}

void UiEditButton::clickEvent(ClickEvent&)
{
    press();
}

}  // namespace quorvo::ui
