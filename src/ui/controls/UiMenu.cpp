#include "ui/controls/UiMenu.h"

#include "ui/controls/UiMenuItem.h"
#include "ui/controls/UiMenuPanel.h"
#include "ui/core/UiHost.h"

#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/StringFormat.h"
#include "gfx/Surface.h"
#include "gfx/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

int captionWidth(const Text& caption)
{
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    gfx::Painter painter(scratch);
    gfx::StringFormat format(gfx::StringFormatFlags::NoWrap | gfx::StringFormatFlags::MeasureTrailingSpaces);
    const FloatRect box = gfx::measureString(painter, caption, gfx::defaultFont(), format, {0, 0, 4000, 100});
    return static_cast<int>(std::ceil(box.width));
}

}  // namespace

UiMenu::UiMenu() = default;

UiMenu::~UiMenu()
{
    close();
}

int UiMenu::measuredWidth() const
{
    return m_model.width(captionWidth);
}

UiMenu& UiMenu::root()
{
    UiMenu* menu = this;
    while (menu->m_parent != nullptr)
        menu = menu->m_parent;
    return *menu;
}

const UiHost* UiMenu::tintHost() const
{
    const UiMenu* menu = this;
    while (menu->m_parent != nullptr)
        menu = menu->m_parent;
    return menu->m_owner;
}

void UiMenu::showAt(UiHost& owner, IntPoint point)
{
    if (isOpen())
        return;
    if (point.x == 0 && point.y == 0) {
        const IntPoint cursor = owner.cursorPosition();
        point = {cursor.x, cursor.y};
    }
    const IntRect area = owner.workArea();
    const IntRect work {area.x, area.y, area.width, area.height};
    const int width = measuredWidth();
    const int height = m_model.height();
    if (point.x + width > work.right())
        point.x -= width;
    if (point.y + height > work.bottom())
        point.y -= height;
    point.x = std::max(point.x, work.x);
    point.y = std::max(point.y, work.y);
    run(owner, point);
}

void UiMenu::showBeside(UiHost& owner, IntRect beside)
{
    if (isOpen())
        return;
    const IntRect area = owner.workArea();
    const IntRect work {area.x, area.y, area.width, area.height};
    const int width = measuredWidth();
    const int height = m_model.height();
    IntPoint point {beside.right() - 10, beside.y - 7};
    if (point.x + width > work.right())
        point.x = beside.x - width + 10;
    if (point.y + height > work.bottom())
        point.y = work.bottom() - height;
    point.x = std::max(point.x, work.x);
    point.y = std::max(point.y, work.y);
    run(owner, point);
}

void UiMenu::run(UiHost& owner, IntPoint position)
{
    m_owner = &owner;
    m_choice.reset();
    m_closing = false;
    const int width = measuredWidth();
    const int height = m_model.height();

    HostOptions options;
    options.title = "menu";
    options.position = position;
    options.width = width;
    options.height = height;
    options.popup = true;
    options.owner = &owner;
    options.backgroundColour = 0x00FFFFFF;
    options.captionFlags = 0;
    options.layerAlpha = 240;
    options.frameStyle = 0;
    options.dragAnywhere = false;
    m_window = std::make_unique<UiHost>(owner.framework(), options);
    UiHost& window = *m_window;
    window.onMessage = [this](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::Deactivate)
            windowDeactivated();
        return notHandled;
    };

    m_panel = &window.add<UiMenuPanel>(FloatRect {0, 0, static_cast<float>(width), static_cast<float>(height)}, *this);
    for (const MenuItemPlace& place : m_model.places(width)) {
        m_panel->add<UiMenuItem>(FloatRect {static_cast<float>(place.rect.x), static_cast<float>(place.rect.y),
                                            static_cast<float>(place.rect.width),
                                            static_cast<float>(place.rect.height)},
                                 *m_panel, place.index);
    }
    if (onPopup)
        onPopup(window);
    window.show();
    window.activate();
    m_panel->setFocus();
    window.runWhileAlive();

    // The window is gone; free it and the item controls.
    m_panel = nullptr;
    m_window.reset();
    m_openSub = nullptr;

    if (m_parent != nullptr)
        return;
    const std::optional<Choice> choice = std::exchange(m_choice, std::nullopt);
    UiHost* target = std::exchange(m_owner, nullptr);
    if (!choice || choice->menu == nullptr)
        return;
    const MenuItem* item = choice->menu->m_model.item(choice->index);
    if (item == nullptr)
        return;
    if (item->sendCommand) {
        if (target != nullptr && target->isAlive()) {
            WindowRequest request;
            request.kind = WindowRequestKind::Command;
            request.command = item->commandId;
            target->postWindowRequest(request);
        }
    } else if (item->handler) {
        // Copied: the handler may change or clear this menu's items.
        const auto handler = item->handler;
        handler();
    }
}

void UiMenu::close()
{
    m_closing = true;
    if (m_openSub != nullptr)
        m_openSub->close();
    if (m_window && m_window->isAlive())
        m_window->requestClose();
}

void UiMenu::closeChain()
{
    UiMenu* menu = this;
    while (menu != nullptr) {
        UiMenu* parent = menu->m_parent;
        menu->close();
        menu = parent;
    }
}

void UiMenu::choose(int index)
{
    const MenuItem* item = m_model.item(index);
    if (item == nullptr || !m_model.isChoosable(index) || item->type != MenuItemType::Command)
        return;
    root().m_choice = Choice {this, index};
    if (m_window)
        m_window->hide();
    if (m_owner != nullptr && m_owner->isAlive())
        (root().m_owner ? root().m_owner : m_owner)->activate();
    closeChain();
}

void UiMenu::openSubMenuOf(int index, IntRect itemScreenRect)
{
    MenuItem* item = m_model.item(index);
    if (item == nullptr || item->type != MenuItemType::SubMenu || item->subMenu == nullptr || !m_window)
        return;
    if (m_openSub == item->subMenu)
        return;
    if (m_openSub != nullptr)
        m_openSub->close();
    UiMenu& sub = *item->subMenu;
    sub.m_parent = this;
    m_openSub = &sub;
    if (m_panel != nullptr) {
        if (UiMenuItem* opener = m_panel->itemControl(index))
            opener->update();  // highlighted while its sub-menu is open
    }
    sub.showBeside(*m_window, itemScreenRect);
    // Back from the sub-menu's loop.
    sub.m_parent = nullptr;
    if (m_openSub == &sub)
        m_openSub = nullptr;
    // Esc or the pointer closed only the sub-menu: the keyboard comes back here.
    if (m_window && m_window->isAlive() && m_panel != nullptr && !m_closing) {
        m_window->activate();
        m_panel->update();
    }
}

void UiMenu::windowDeactivated()
{
    // Focus moving into our own sub-menu is not leaving the menu.
    if (m_openSub != nullptr)
        return;
    for (UiMenu* menu = m_parent; menu != nullptr; menu = menu->m_parent) {
        if (menu->m_window && menu->m_window->isActive()) {
            close();  // back to the parent menu: only this level closes
            return;
        }
    }
    closeChain();
}

}  // namespace quorvo::ui
