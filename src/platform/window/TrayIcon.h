#pragma once

// One icon docked in the desktop's system tray through the XEmbed tray
// protocol: a small X window, created on SDL's own connection, that the tray
// owner (the client holding _NET_SYSTEM_TRAY_S<screen>) reparents into its
// panel. Its X events come back through SDL as SDL_SYSWMEVENT.

#include "platform/window/Pixels.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <memory>
#include <optional>
#include <string>

struct SDL_Window;
struct SDL_SysWMmsg;

namespace quorvo::platform {

class TrayIcon {
public:
    // What an X event on the icon means to the owner.
    enum class Notice {
        Nothing,
        LeftRelease,
        RightRelease,
        // The tray went away and gave the icon window back to the root.
        TrayGone,
    };

    // Null when the window is not on X11 or no tray owner exists; `whyNot` says why.
    static std::unique_ptr<TrayIcon> dock(SDL_Window* owner, const PixelView& icon, const Text& tooltip,
                                          std::string& whyNot);
    // Asks for the root window's notices on `any` window's display, where a
    // starting tray announces itself (the MANAGER client message). False off X11.
    static bool watchForTrays(SDL_Window* any);
    // The event is a tray's announcement that it now owns the tray selection.
    static bool announcesTray(const SDL_SysWMmsg& message);

    struct X11;
    explicit TrayIcon(std::unique_ptr<X11> x11);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Handles the X event when it is for the icon window.
    Notice handle(const SDL_SysWMmsg& message);

    // The tooltip is cut as cutTooltip does.
    void setTooltip(const Text& tooltip);
    // An invalid view keeps the current picture.
    void setIcon(const PixelView& icon);

    // The tray has taken the icon in (its window is no longer a child of the root).
    [[nodiscard]] bool docked() const;
    // Screen rectangle of the icon window.
    [[nodiscard]] std::optional<IntRect> screenBounds() const;
    [[nodiscard]] const std::string& tooltipUtf8() const { return m_tooltip; }

    // The tooltip's program text cut to the 127 bytes the tray record holds,
    // never inside a character.
    [[nodiscard]] static Text cutTooltip(const Text& tooltip);

private:
    void draw();

    std::unique_ptr<X11> m_x11;
    bool m_wasDocked = false;
    PixelBuffer m_icon;
    std::string m_tooltip;
};

}  // namespace quorvo::platform
