#pragma once

// A StatusNotifierItem: the tray icon of KDE Plasma, GNOME with the
// AppIndicator extension, and most panels of today, spoken over the session
// bus. The item (org.kde.StatusNotifierItem at /StatusNotifierItem, under a
// name of its own) and its menu (com.canonical.dbusmenu at /MenuBar) are
// registered with the org.kde.StatusNotifierWatcher whenever one owns that
// name, again after a new watcher starts, and count as shown while a watcher
// holds the item and reports a host that draws it.
//
// All bus work happens on the SessionBus thread; the handlers are called on
// the user-interface thread through the poster, and never after the
// notifier is gone. The notifier's own calls are made on the user-interface
// thread.

#include "platform/dbus/SessionBus.h"
#include "platform/window/Pixels.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvo::platform {

// One item of the menu the desktop shows for the icon (UTF-8 label).
struct StatusMenuEntry {
    std::string label;
    bool separator = false;
    bool enabled = true;
};

// A picture as the item carries it: width, height and ARGB32 pixels in
// network byte order (A, R, G, B per pixel), straight alpha.
struct StatusIconPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
};

// Premultiplied pixels in our native layout to the item's pixmap.
[[nodiscard]] StatusIconPixmap toStatusIconPixmap(const PixelView& pixels);

class StatusNotifier {
public:
    struct Description {
        std::string id;
        std::string title;
        std::string tooltip;
        // The icon's name in the desktop's icon theme; the pixmaps serve where it has none.
        std::string iconName;
        std::string category = "ApplicationStatus";
        std::vector<StatusIconPixmap> pixmaps;
        std::vector<StatusMenuEntry> menu;
    };
    struct Handlers {
        // A primary click on the icon.
        std::function<void()> activate;
        // The host asks the program to show its own menu (where it does not
        // show the exported one itself).
        std::function<void()> contextMenu;
        // An item of the exported menu was clicked (index into the menu).
        std::function<void(std::size_t index)> menuClicked;
        // The icon became shown (a watcher took it and a host draws it) or not.
        std::function<void(bool shown)> shownChanged;
    };

    // Exports the item on `bus` and follows the watcher from now on.
    StatusNotifier(SessionBus& bus, Description description, UiPost post, Handlers handlers);
    // Takes the item off the bus (waits for the bus thread to do it).
    ~StatusNotifier();
    StatusNotifier(const StatusNotifier&) = delete;
    StatusNotifier& operator=(const StatusNotifier&) = delete;

    // A watcher holds the item and a host shows it (any thread).
    [[nodiscard]] bool isShown() const { return m_shown->load(); }

    // The menu's item at `index` gets a new label; the desktop is told.
    void setMenuLabel(std::size_t index, std::string label);

    struct Core;

private:
    SessionBus& m_bus;
    std::shared_ptr<std::atomic<bool>> m_shown = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Handlers> m_handlers;
    std::shared_ptr<Core> m_core;
};

}  // namespace quorvo::platform
