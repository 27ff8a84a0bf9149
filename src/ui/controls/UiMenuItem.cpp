#include "ui/controls/UiMenuItem.h"

#include "ui/controls/UiMenu.h"
#include "ui/controls/UiMenuPanel.h"
#include "ui/core/UiHost.h"

#include "gfx/Font.h"
#include "gfx/Image.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/StringFormat.h"
#include "gfx/TextPainter.h"

#include <algorithm>

namespace quorvo::ui {

namespace {

constexpr int subMenuTimer = 1;
constexpr int iconSize = 18;
constexpr int captionLeft = 30;

gfx::Argb darker(gfx::Argb colour)
{
    return gfx::argb(gfx::alphaOf(colour), gfx::redOf(colour) * 3 / 4, gfx::greenOf(colour) * 3 / 4,
                     gfx::blueOf(colour) * 3 / 4);
}

}  // namespace

UiMenuItem::UiMenuItem(FloatRect rect, UiMenuPanel& panel, int index)
    : UiControl(rect, ControlKind::None, false)
    , m_panel(panel)
    , m_index(index)
{
    if (item().state == MenuItemState::Disabled)
        setEnabled(false);
}

const MenuItem& UiMenuItem::item() const
{
    return *m_panel.menu().model().item(m_index);
}

bool UiMenuItem::isHighlighted() const
{
    if (item().type == MenuItemType::Separator || !isEnabled())
        return false;
    if (m_panel.activeItem() == m_index)
        return true;
    const UiMenu* open = m_panel.menu().openSubMenu();
    return open != nullptr && item().subMenu == open;
}

void UiMenuItem::createEvent(Event&)
{
    setText(UiMenuModel::displayCaption(item().caption));
    if (!item().icon.empty())
        m_icon = gfx::loadImage(item().icon);
}

void UiMenuItem::mouseEnterEvent(HoverEvent&)
{
    if (item().type == MenuItemType::Separator)
        return;
    m_panel.setActiveItem(m_index);
    startTimer(subMenuTimer, std::chrono::milliseconds(subMenuDelayMs));
}

void UiMenuItem::mouseLeaveEvent(HoverEvent&)
{
    if (m_panel.activeItem() == m_index)
        m_panel.setActiveItem(-1);
}

void UiMenuItem::timerEvent(TimerEvent& event)
{
    if (event.id() != subMenuTimer)
        return;
    killTimer(subMenuTimer);
    m_panel.itemTimerFired(m_index);
}

void UiMenuItem::clickEvent(ClickEvent&)
{
    const MenuItem& data = item();
    if (data.type == MenuItemType::Separator || data.state != MenuItemState::Normal)
        return;
    if (data.type == MenuItemType::SubMenu) {
        m_panel.setActiveItem(m_index);
        m_panel.itemTimerFired(m_index);
        return;
    }
    m_panel.menu().choose(m_index);
}

void UiMenuItem::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const MenuItem& data = item();
    const float w = width();
    const float h = height();
    if (data.type == MenuItemType::Separator) {
        gfx::drawLine(painter, gfx::argb(255, 183, 195, 204), 0.0f, 1.0f, w - 1.0f, 1.0f);
        return;
    }
    const bool highlighted = isHighlighted();
    gfx::Argb textColour = data.textColour;
    if (highlighted) {
        gfx::Argb fill = 0;
        if (data.highlightColour) {
            fill = *data.highlightColour;
        } else {
            const UiHost* tint = m_panel.menu().tintHost();
            const std::uint32_t rgb = tint ? tint->backgroundColour() : 0;
            fill = gfx::toArgb(rgb, 230);
        }
        gfx::fillRoundRect(painter, {0, 0, w, h}, 6.0f, fill);
        gfx::drawRoundRect(painter, {0, 0, w, h}, 6.0f, darker(fill));
        textColour = 0xFFFFFFFF;
    }
    if (m_icon)
        gfx::drawImage(painter, m_icon, {6, (h - iconSize) / 2, iconSize, iconSize});
    gfx::StringFormat format(gfx::StringFormatFlags::NoWrap | gfx::StringFormatFlags::MeasureTrailingSpaces);
    format.hotkeyPrefix(gfx::HotkeyPrefix::Show);
    format.trimming(gfx::StringTrimming::EllipsisCharacter);
    const float arrowRoom = data.type == MenuItemType::SubMenu ? 12.0f : 0.0f;
    const float textHeight = gfx::fontHeight(painter, gfx::defaultFont());
    const float textTop = std::max((h - textHeight) / 2.0f, 0.0f);
    gfx::drawText(painter, {captionLeft, textTop, w - captionLeft - arrowRoom - 4, h - textTop}, data.caption,
                  gfx::defaultFont(), textColour, format);
    if (data.type == MenuItemType::SubMenu) {
        const gfx::Argb arrow = highlighted ? 0xE6FFFFFF : 0x78000000;
        const float x = w - 9;
        const float y = h / 2;
        for (int i = 0; i < 4; ++i)
            gfx::drawLine(painter, arrow, x + static_cast<float>(i), y - 3 + static_cast<float>(i),
                          x + static_cast<float>(i), y + 3 - static_cast<float>(i));
    }
}

}  // namespace quorvo::ui
