#include "ui/controls/UiTrayIcon.h"

#include "ui/core/UiHost.h"

#include "platform/window/TrayIcon.h"

namespace quorvo::ui {

namespace {

platform::PixelView pixelsOf(const gfx::Image& icon)
{
    if (icon.isNull()) {
        return {};
    }
    const gfx::Surface& frame = icon.activeFrame();
    return {frame.data(), frame.width(), frame.height(), frame.stride()};
}

}  // namespace

UiTrayIcon::~UiTrayIcon()
{
    remove();
}

bool UiTrayIcon::add(UiHost& owner, const Text& tooltip, const gfx::Image& icon, std::string* whyNot)
{
    if (isAdded()) {
        if (whyNot != nullptr) {
            *whyNot = "the icon is in already";
        }
        return false;
    }
    const Text cut = platform::TrayIcon::cutTooltip(tooltip);
    if (!owner.loop().addTrayIcon(owner.window(), pixelsOf(icon), cut, whyNot)) {
        return false;
    }
    m_loop = &owner.loop();
    m_owner = owner.window();
    m_tooltip = cut;
    return true;
}

bool UiTrayIcon::remove()
{
    if (!isAdded()) {
        return false;
    }
    // Gone already when the owner's window was destroyed first.
    m_loop->removeTrayIcon(m_owner);
    m_loop = nullptr;
    return true;
}

bool UiTrayIcon::setTooltip(const Text& tooltip)
{
    if (!isAdded()) {
        return false;
    }
    m_tooltip = platform::TrayIcon::cutTooltip(tooltip);
    return m_loop->setTrayIconTooltip(m_owner, m_tooltip);
}

bool UiTrayIcon::setIcon(const gfx::Image& icon)
{
    return isAdded() && m_loop->setTrayIconPicture(m_owner, pixelsOf(icon));
}

bool UiTrayIcon::isDocked() const
{
    return isAdded() && m_loop->isTrayIconDocked(m_owner);
}

}  // namespace quorvo::ui
