#include "app/TrayIcon.h"

#include "assets/Assets.h"
#include "gfx/Image.h"
#include "platform/window/EventLoop.h"
#include "platform/window/TrayIcon.h"
#include "ui/core/UiHost.h"

namespace quorvo::app {

TrayIcon::~TrayIcon()
{
    remove();
}

bool TrayIcon::keep(ui::UiHost& owner, const Text& tip)
{
    remove();
    // The tray scales the picture to its own icon size (about 22 to 24 pixels
    // on most panels, twice that on a HiDPI desktop).
    const char* const name = owner.deviceScale() >= 2 ? "icon_48.png" : "icon_24.png";
    const gfx::Image picture = gfx::loadImage(assets::asStringView(assets::find(name)));
    platform::PixelView pixels;
    if (!picture.isNull()) {
        const gfx::Surface& frame = picture.activeFrame();
        pixels = {frame.data(), frame.pixelWidth(), frame.pixelHeight(), frame.stride()};
    }
    if (!owner.loop().keepTrayIcon(owner.window(), pixels, platform::TrayIcon::cutTooltip(tip)))
        return false;
    m_owner = &owner;
    return true;
}

bool TrayIcon::isDocked() const
{
    return m_owner && m_owner->isAlive() && m_owner->loop().isTrayIconDocked(m_owner->window());
}

void TrayIcon::remove()
{
    // Gone already when the owner's window was destroyed first.
    if (m_owner && m_owner->isAlive())
        m_owner->loop().removeTrayIcon(m_owner->window());
    m_owner = nullptr;
}

void TrayIcon::clicked(TrayClick click)
{
    if (click == TrayClick::Left) {
        toggleWindow(m_shell);
        return;
    }
    m_shell.setFirstMenuCaption(toggleCaption(m_shell.isWindowVisible()));
    m_shell.popUpMenu();
}

}  // namespace quorvo::app
