#include "ui/controls/UiMenuPanel.h"

#include "ui/controls/UiMenu.h"
#include "ui/controls/UiMenuItem.h"
#include "ui/core/UiHost.h"

#include "gfx/Color.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"

namespace quorvo::ui {

UiMenuPanel::UiMenuPanel(FloatRect rect, UiMenu& menu)
    : UiControl(rect, ControlKind::None, true)
    , m_menu(menu)
{ }

UiMenuItem* UiMenuPanel::itemControl(int index) const
{
    for (const auto& child : children()) {
        auto* item = dynamic_cast<UiMenuItem*>(child.get());
        if (item != nullptr && item->index() == index)
            return item;
    }
    return nullptr;
}

void UiMenuPanel::setActiveItem(int index)
{
    if (index == m_active)
        return;
    UiMenuItem* previous = itemControl(m_active);
    m_active = index;
    if (previous != nullptr)
        previous->update();
    if (UiMenuItem* current = itemControl(m_active))
        current->update();
}

void UiMenuPanel::itemTimerFired(int index)
{
    UiMenu* open = m_menu.openSubMenu();
    if (open != nullptr) {
        // The pointer went from the opener to another item: close the open sub-menu.
        if (m_active == index)
            return;
        open->close();
        return;
    }
    if (index != m_active)
        return;
    const MenuItem* item = m_menu.model().item(index);
    UiMenuItem* control = itemControl(index);
    if (item == nullptr || item->type != MenuItemType::SubMenu || control == nullptr || host() == nullptr)
        return;
    const IntRect window = host()->screenBounds();
    const IntRect screen {window.x + static_cast<int>(control->left()), window.y + static_cast<int>(control->top()),
                          static_cast<int>(control->width()), static_cast<int>(control->height())};
    m_menu.openSubMenuOf(index, IntRect {window.x, screen.y, window.width, screen.height});
}

void UiMenuPanel::activateByKey(int index)
{
    const MenuItem* item = m_menu.model().item(index);
    if (item == nullptr)
        return;
    setActiveItem(index);
    if (item->type == MenuItemType::SubMenu)
        itemTimerFired(index);
    else
        m_menu.choose(index);
}

void UiMenuPanel::keyDownEvent(KeyEvent& event)
{
    const UiMenuModel& model = m_menu.model();
    switch (event.key()) {
    case Key::Down:
        setActiveItem(model.nextChoosable(m_active, 1));
        return;
    case Key::Up:
        setActiveItem(model.nextChoosable(m_active, -1));
        return;
    case Key::Right:
        if (m_active >= 0 && model.item(m_active)->type == MenuItemType::SubMenu)
            activateByKey(m_active);
        return;
    case Key::Left:
    case Key::Escape:
        m_menu.close();
        return;
    case Key::Return:
    case Key::Space:
        if (model.isChoosable(m_active))
            activateByKey(m_active);
        return;
    default:
        break;
    }
    const int code = event.code();
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
        const int found = model.findMnemonic(static_cast<char>(code));
        if (found >= 0) {
            activateByKey(found);
            return;
        }
    }
    event.ignore();
}

void UiMenuPanel::charEvent(CharEvent& event)
{
    // Alt+letter arrives as a system character; plain letters came as keys.
    if (event.type() == EventType::SysChar && event.character() > 0 && event.character() < 128) {
        const int found = m_menu.model().findMnemonic(static_cast<char>(event.character()));
        if (found >= 0) {
            activateByKey(found);
            return;
        }
    }
    event.ignore();
}

void UiMenuPanel::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const float w = width();
    const float h = height();
    // A soft shadow of four widening outlines, then the white panel.
    const gfx::Argb shadows[] = {0x7D000000, 0x23000000, 0x0F000000, 0x05000000};
    const float insets[] = {4.0f, 3.0f, 2.0f, 1.0f};
    for (int i = 0; i < 4; ++i)
        gfx::drawRoundRect(painter, {insets[i], insets[i], w - 2 * insets[i], h - 2 * insets[i]}, 8.0f, shadows[i]);
    gfx::fillRoundRect(painter, {4, 4, w - 8, h - 8}, 8.0f, 0xEAFFFFFF);
    const UiHost* tint = m_menu.tintHost();
    const std::uint32_t rgb = tint ? tint->backgroundColour() : 0x00C68630;
    gfx::fillRoundRect(painter, {5, 5, w - 10, h - 10}, 6.0f, gfx::toArgb(rgb, 102));
    gfx::drawRoundRect(painter, {5, 5, w - 10, h - 10}, 6.0f, gfx::toArgb(rgb, 51));
}

}  // namespace quorvo::ui
