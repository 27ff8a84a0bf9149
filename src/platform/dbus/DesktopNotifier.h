#pragma once

// Desktop notifications (org.freedesktop.Notifications.Notify) on the
// session bus. The server's name is watched, so whether one runs is known
// without asking; a notification goes out as an asynchronous call whose
// answer nobody waits for, so a missing, slow or hung server never holds up
// the caller.

#include "platform/dbus/SessionBus.h"

#include <atomic>
#include <memory>
#include <string>

namespace quorvo::platform {

struct DesktopNotification {
    // UTF-8 texts.
    std::string summary;
    std::string body;
    // The program's icon in the icon theme.
    std::string iconName;
    // The program's .desktop file without its extension (the "desktop-entry" hint).
    std::string desktopEntry;
    // The program plays a sound of its own for this one.
    bool suppressSound = false;
};

class DesktopNotifier {
public:
    // `appName` is the sender's name the server shows.
    DesktopNotifier(SessionBus& bus, std::string appName);
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // A notification server owns its name now (any thread).
    [[nodiscard]] bool isAvailable() const { return m_available->load(); }
    // Sends it when a server runs; false, with nothing sent, otherwise. Returns at once.
    bool notify(const DesktopNotification& notification);

    struct Core;

private:
    SessionBus& m_bus;
    std::shared_ptr<std::atomic<bool>> m_available = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Core> m_core;
};

}  // namespace quorvo::platform
