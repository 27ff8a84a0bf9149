#pragma once

// The desktop's session bus on a thread of its own. GDBus dispatches what
// the bus sends (method calls on our objects, signals, replies, names that
// come and go) in the main context of the thread that subscribed; that
// context runs here, so neither a slow peer nor a missing one ever holds up
// the user-interface thread. Work reaches the bus thread through run(), and
// news goes back to the user-interface thread through the poster each
// client is given.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

using GDBusConnection = struct _GDBusConnection;

namespace quorvo::platform {

// Runs a task on the user-interface thread (the window loop's post).
using UiPost = std::function<bool(std::function<void()>)>;

class SessionBus {
public:
    // The session bus of this login ($DBUS_SESSION_BUS_ADDRESS, else
    // $XDG_RUNTIME_DIR/bus when that socket exists); empty when there is
    // none. A bus is never launched for us.
    [[nodiscard]] static std::string sessionAddress();

    // Connects to `address` on the bus thread. Null when the address is empty.
    static std::unique_ptr<SessionBus> open(const std::string& address);
    // Runs the tasks still queued, ends what is in flight and joins the
    // thread; a thread stuck with a bus that never answers is left behind
    // after `endWait` rather than holding up the program's exit.
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // Any thread: `task` runs on the bus thread, in the order given, after
    // the connection was tried; threadConnection() is null there when it failed.
    void run(std::function<void()> task);
    // As run, and waits for it at most `limit` (never from the bus thread);
    // false when it has not run by then (it still runs later).
    bool runAndWait(std::function<void()> task, std::chrono::milliseconds limit = endWait);

    // How long the program's end waits for the bus thread.
    static constexpr std::chrono::milliseconds endWait {2000};

    // On the bus thread: its connection, null when it failed. Elsewhere null.
    [[nodiscard]] static GDBusConnection* threadConnection();

    struct Impl;

private:
    explicit SessionBus(std::shared_ptr<Impl> impl);
    // Shared with the bus thread, which may outlive this object (see the destructor).
    std::shared_ptr<Impl> m_impl;
};

}  // namespace quorvo::platform
