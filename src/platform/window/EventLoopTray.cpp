// The system tray icons of the event loop's windows.

#include "platform/window/EventLoopImpl.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <vector>

namespace quorvo::platform {

bool EventLoop::addTrayIcon(WindowId owner, const PixelView& icon, const Text& tooltip, std::string* whyNot)
{
    WindowRecord* record = m_impl->find(owner);
    std::string reason;
    if (record == nullptr) {
        reason = "no such window";
    } else if (m_impl->trayIcons.contains(owner.value)) {
        reason = "the window has a tray icon already";
    } else {
        const PixelView picture = icon.valid() ? icon : record->icon.view();
        if (auto tray = TrayIcon::dock(record->sdl.get(), {&picture, 1}, tooltip, m_impl->scale, reason)) {
            m_impl->trayIcons.emplace(owner.value, std::move(tray));
            return true;
        }
    }
    if (whyNot != nullptr) {
        *whyNot = reason;
    }
    return false;
}

bool EventLoop::keepTrayIcon(WindowId owner, const PixelView& icon, const Text& tooltip)
{
    return keepTrayIcon(owner, {&icon, 1}, tooltip);
}

bool EventLoop::keepTrayIcon(WindowId owner, std::span<const PixelView> pictures, const Text& tooltip)
{
    WindowRecord* record = m_impl->find(owner);
    if (record == nullptr) {
        return false;
    }
    Impl::WantedTrayIcon wanted;
    for (const PixelView& picture : pictures) {
        if (picture.valid()) {
            wanted.pictures.push_back(copyOf(picture));
        }
    }
    if (wanted.pictures.empty() && record->icon.view().valid()) {
        wanted.pictures.push_back(copyOf(record->icon.view()));
    }
    wanted.tooltip = tooltip;
    m_impl->wantedTrayIcons[owner.value] = std::move(wanted);
    // Watch first: a tray that starts between the two still announces itself.
    if (!TrayIcon::watchForTrays(record->sdl.get())) {
        m_impl->wantedTrayIcons.erase(owner.value);
        return false;
    }
    m_impl->dockWanted(owner.value);
    return true;
}

bool EventLoop::Impl::dockWanted(std::uint32_t owner)
{
    const auto wanted = wantedTrayIcons.find(owner);
    WindowRecord* record = find(WindowId {owner});
    if (wanted == wantedTrayIcons.end() || record == nullptr) {
        return false;
    }
    trayIcons.erase(owner);
    std::string reason;
    std::vector<PixelView> pictures;
    for (const PixelBuffer& picture : wanted->second.pictures) {
        pictures.push_back(picture.view());
    }
    auto tray = TrayIcon::dock(record->sdl.get(), pictures, wanted->second.tooltip, scale, reason);
    if (!tray) {
        return false;
    }
    trayIcons.emplace(owner, std::move(tray));
    return true;
}

bool EventLoop::removeTrayIcon(WindowId owner)
{
    const bool wanted = m_impl->wantedTrayIcons.erase(owner.value) > 0;
    return m_impl->trayIcons.erase(owner.value) > 0 || wanted;
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
    const std::optional<IntRect> device = found->second->screenBounds();
    if (!device) {
        return std::nullopt;
    }
    return m_impl->toLogical(*device);
}

bool EventLoop::Impl::handleSystemEvent(const SDL_Event& event)
{
    if (event.syswm.msg == nullptr) {
        return false;
    }
    if (const std::optional<unsigned long> tray
        = wantedTrayIcons.empty() ? std::nullopt : TrayIcon::announcedTray(*event.syswm.msg)) {
        // A tray has started (or replaced the one before): every kept icon
        // docks in it, except one that asked this very tray already (it
        // started while the icon was being put in).
        std::vector<std::uint32_t> owners;
        for (const auto& [owner, wanted] : wantedTrayIcons) {
            const auto icon = trayIcons.find(owner);
            if (icon == trayIcons.end() || !icon->second->askedTray(*tray)) {
                owners.push_back(owner);
            }
        }
        for (const std::uint32_t owner : owners) {
            dockWanted(owner);
        }
        return true;
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
        // Queued as a task for the window, not as input: a modal loop lets it
        // through, as the tray is no part of the windows it keeps input from.
        const WindowId window {owner};
        const MouseButton button = notice == TrayIcon::Notice::LeftRelease ? MouseButton::Left : MouseButton::Right;
        QueueItem item;
        item.kind = ItemKind::Task;
        item.window = window;
        item.task = [this, window, button] { deliver(window, TrayIconReleased {button}); };
        ready.push_back(std::move(item));
        return true;
    }
    return false;
}

}  // namespace quorvo::platform
