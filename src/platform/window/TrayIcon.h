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
#include <span>
#include <string>
#include <vector>

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
    // `pictures`: the icon at one or more sizes (see setPictures); `scale`:
    // device pixels per logical pixel, for the size the icon asks the tray for.
    static std::unique_ptr<TrayIcon> dock(SDL_Window* owner, std::span<const PixelView> pictures, const Text& tooltip,
                                          int scale, std::string& whyNot);
    // Asks for the root window's notices on `any` window's display, where a
    // starting tray announces itself (the MANAGER client message). False off X11.
    static bool watchForTrays(SDL_Window* any);
    // When the event is a tray's announcement that it now owns the tray
    // selection: the new owner's window.
    static std::optional<unsigned long> announcedTray(const SDL_SysWMmsg& message);
    // The docking request went to the tray owner `trayWindow` (it may not
    // have taken the icon in yet), and that tray has not given it back.
    [[nodiscard]] bool askedTray(unsigned long trayWindow) const;

    struct X11;
    explicit TrayIcon(std::unique_ptr<X11> x11);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Handles the X event when it is for the icon window.
    Notice handle(const SDL_SysWMmsg& message);

    // The tooltip is cut as cutTooltip does.
    void setTooltip(const Text& tooltip);
    // The icon at one or more sizes: the tray's socket shows the smallest
    // that is not smaller than it (else the largest), resampled to the
    // socket's square. No valid view keeps the current pictures.
    void setPictures(std::span<const PixelView> pictures);
    void setIcon(const PixelView& icon) { setPictures({&icon, 1}); }

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
    std::vector<PixelBuffer> m_pictures;
    std::string m_tooltip;
};

}  // namespace quorvo::platform
