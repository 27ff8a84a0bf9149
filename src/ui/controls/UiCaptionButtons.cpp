#include "ui/controls/UiCaptionButtons.h"

#include "ui/core/UiHost.h"

#include "assets/Layout.h"
#include "gfx/Painter.h"

namespace quorvo::ui {

namespace {

namespace layout = assets::layout;

layout::CaptionRow rowFor(CaptionButtonKind kind, bool maximised)
{
    switch (kind) {
    case CaptionButtonKind::Close:
        return layout::CaptionRow::Close;
    case CaptionButtonKind::Maximise:
        return maximised ? layout::CaptionRow::Restore : layout::CaptionRow::Maximise;
    case CaptionButtonKind::Minimise:
        return layout::CaptionRow::Minimise;
    default:
        return layout::CaptionRow::Menu;
    }
}

}  // namespace

UiCaptionButtons::UiCaptionButtons(FloatRect rect, CaptionButtonKind kind)
    : UiControl(rect, ControlKind::CaptionButton, false)
    , m_buttonKind(kind)
{ }

void UiCaptionButtons::setLook(Look look)
{
    if (look == m_look)
        return;
    m_look = look;
    update();
}

void UiCaptionButtons::mouseDownEvent(MouseEvent&)
{
    setLook(Look::Pressed);
}

void UiCaptionButtons::mouseUpEvent(MouseEvent&)
{
    setLook(Look::Hover);
}

void UiCaptionButtons::mouseEnterEvent(HoverEvent&)
{
    setLook(Look::Hover);
}

void UiCaptionButtons::mouseLeaveEvent(HoverEvent&)
{
    setLook(Look::Normal);
}

void UiCaptionButtons::clickEvent(ClickEvent&)
{
    // Disabled buttons never get here: the control drops input while disabled.
    UiHost* owner = host();
    if (owner == nullptr)
        return;
    switch (m_buttonKind) {
    case CaptionButtonKind::Close:
        owner->requestClose();
        break;
    case CaptionButtonKind::Maximise:
        owner->toggleMaximise();
        break;
    case CaptionButtonKind::Minimise:
        if (!owner->isMinimised())
            owner->minimise();
        break;
    default:
        // The menu and further buttons only report their click.
        break;
    }
}

void UiCaptionButtons::paintEvent(PaintEvent& event)
{
    if (host() == nullptr)
        return;
    const gfx::Image& strip = host()->framework().skin().captionButtons;
    if (strip.isNull())
        return;
    const bool maximised = host() != nullptr && host()->isMaximised();
    const int row = int(rowFor(m_buttonKind, maximised));
    const int frameWidth
        = m_buttonKind == CaptionButtonKind::Close ? layout::captionCloseWidth : layout::captionOtherWidth;
    const int column = isEnabled() ? int(m_look) : int(layout::CaptionState::Disabled);
    const FloatRect source {float(column * frameWidth), float(row * layout::captionHeight), float(frameWidth),
                            float(layout::captionHeight)};
    gfx::drawImage(event.painter(), strip, {0, 0, float(frameWidth), float(layout::captionHeight)}, source);
}

void installCaptionButtons(UiFramework& framework)
{
    framework.setCaptionButtonFactory([](UiHost& host, CaptionButtonKind kind, FloatRect rect) -> UiControl* {
        return &host.add<UiCaptionButtons>(rect, kind);
    });
}

}  // namespace quorvo::ui

namespace quorvo::ui {

bool isMenuCaptionButton(const UiControl& control)
{
    const auto* button = dynamic_cast<const UiCaptionButtons*>(&control);
    return button && button->buttonKind() == CaptionButtonKind::Menu;
}

}  // namespace quorvo::ui
