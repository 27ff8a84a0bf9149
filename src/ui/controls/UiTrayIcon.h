#pragma once

// UiTrayIcon: one icon with a tooltip in the desktop's notification area for
// a host window. A plain object, not a control: the program owns one, adds it
// at start-up and removes it when its window goes. Left and right button
// releases on the icon reach the owner's onMessage hook as
// WindowRequestKind::TrayNotification with trayEvent MouseUp / RightMouseUp.
//
// Where no notification area exists (no tray running, or not on X11) add
// fails: the program must then keep its window reachable another way.

#include "gfx/Image.h"
#include "platform/window/EventLoop.h"
#include "runtime/Text.h"

#include <string>

namespace quorvo::ui {

class UiHost;

class UiTrayIcon {
public:
    UiTrayIcon() = default;
    // Removes the icon. Must not outlive the framework of its owner.
    ~UiTrayIcon();
    UiTrayIcon(const UiTrayIcon&) = delete;
    UiTrayIcon& operator=(const UiTrayIcon&) = delete;

    // Puts the icon in for `owner`; a null `icon` means the picture given to
    // the owner's window. The tooltip is cut to 127 bytes, never inside a
    // character. False when no notification area takes icons or an icon is
    // in already; `whyNot` (if given) says why.
    bool add(UiHost& owner, const Text& tooltip, const gfx::Image& icon = {}, std::string* whyNot = nullptr);
    // Takes out the icon of the last add; false when none is in.
    bool remove();
    // False when no icon is in.
    bool setTooltip(const Text& tooltip);
    bool setIcon(const gfx::Image& icon);

    [[nodiscard]] bool isAdded() const { return m_loop != nullptr; }
    // The notification area has taken the icon in (a moment after add) and
    // still holds it.
    [[nodiscard]] bool isDocked() const;
    // The tooltip as kept (cut).
    [[nodiscard]] const Text& tooltip() const { return m_tooltip; }

private:
    platform::EventLoop* m_loop = nullptr;
    platform::WindowId m_owner;
    Text m_tooltip;
};

}  // namespace quorvo::ui
