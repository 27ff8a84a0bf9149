// The system tray icons of the event loop's windows.

#include "platform/window/EventLoopImpl.h"

#include <SDL_syswm.h>

namespace quorvo::platform {

namespace {

// The icon identifier the owner is told in wParam: one icon per window.
constexpr WParam trayIconId = 1;

}  // namespace

bool EventLoop::addTrayIcon(WindowId owner, const PixelView& icon, const Text& tooltip, std::string* whyNot)
{
    WindowRecord* record = m_impl->find(owner);
    std::string reason;
    if (record == nullptr) {
        reason = "no such window";
    } else if (m_impl->trayIcons.contains(owner.value)) {
        reason = "the window has a tray icon already";
    } else if (auto tray
               = TrayIcon::dock(record->sdl.get(), icon.valid() ? icon : record->icon.view(), tooltip, reason)) {
        m_impl->trayIcons.emplace(owner.value, std::move(tray));
        return true;
    }
    if (whyNot != nullptr) {
        *whyNot = reason;
    }
    return false;
}

bool EventLoop::removeTrayIcon(WindowId owner)
{
    return m_impl->trayIcons.erase(owner.value) > 0;
}

bool EventLoop::setTrayIconTooltip(WindowId owner, const Text& tooltip)
{
    const auto found = m_impl->trayIcons.find(owner.value);
    if (found == m_impl->trayIcons.end()) {
        return false;
    }
    found->second->setTooltip(tooltip);
    return true;
}

bool EventLoop::setTrayIconPicture(WindowId owner, const PixelView& icon)
{
    const auto found = m_impl->trayIcons.find(owner.value);
    if (found == m_impl->trayIcons.end() || !icon.valid()) {
        return false;
    }
    found->second->setIcon(icon);
    return true;
}

bool EventLoop::isTrayIconDocked(WindowId owner) const
{
    const auto found = m_impl->trayIcons.find(owner.value);
    return found != m_impl->trayIcons.end() && found->second->docked();
}

std::optional<IntRect> EventLoop::trayIconBounds(WindowId owner) const
{
    const auto found = m_impl->trayIcons.find(owner.value);
    if (found == m_impl->trayIcons.end()) {
        return std::nullopt;
    }
    return found->second->screenBounds();
}

bool EventLoop::Impl::handleSystemEvent(const SDL_Event& event)
{
    if (event.syswm.msg == nullptr) {
        return false;
    }
    for (auto& [owner, tray] : trayIcons) {
        const TrayIcon::Notice notice = tray->handle(*event.syswm.msg);
        if (notice == TrayIcon::Notice::Nothing) {
            continue;
        }
        if (notice == TrayIcon::Notice::TrayGone) {
            WindowRecord* record = find(WindowId {owner});
            if (record != nullptr && (SDL_GetWindowFlags(record->sdl.get()) & SDL_WINDOW_SHOWN) == 0) {
                SDL_ShowWindow(record->sdl.get());
            }
            return true;
        }
        QueueItem item;
        item.kind = ItemKind::Posted;
        item.message = Message {WindowId {owner}, trayMessage, trayIconId,
                                notice == TrayIcon::Notice::LeftRelease ? LParam {WM_LBUTTONUP} : LParam {WM_RBUTTONUP},
                                Text {}};
        ready.push_back(std::move(item));
        return true;
    }
    return false;
}

}  // namespace quorvo::platform
