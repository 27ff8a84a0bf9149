#pragma once

// One program per settings file. The first `quorvo` on a config.ini holds a
// lock on "config.ini.lock" beside it for as long as it runs (the system
// drops the lock with the process, so a crash leaves nothing stale behind)
// and listens on a local socket named after the file; once it listens it
// writes its process number into the lock file. A second one started on the
// same file finds the lock taken, asks the first to show its window (waiting
// for that write when the first does not listen yet), and ends.

#include "runtime/Text.h"
#include "runtime/UniqueFd.h"

#include <functional>
#include <memory>
#include <thread>

namespace quorvo::app {

class SingleInstance {
public:
    enum class Role {
        First,      // this process holds the lock: run the window
        Signalled,  // another holds it and was asked to show itself: end now
        Unreached,  // another holds it but did not answer: end now
    };

    // `configFile`: the program text path of config.ini.
    explicit SingleInstance(const Text& configFile);
    // Stops listening; the lock goes with the process or this object.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    [[nodiscard]] Role role() const { return m_role; }

    // First only: `show` runs on the listener's thread each time a later
    // start asks; it must hand the work to the user-interface thread.
    void listen(std::function<void()> show);
    // Waits for the listener's thread to end (before what `show` uses goes).
    void stopListening();

private:
    Role m_role = Role::Unreached;
    UniqueFd m_lock;
    UniqueFd m_listenSocket;
    UniqueFd m_wakeReader;
    UniqueFd m_wakeWriter;
    std::thread m_listener;
};

}  // namespace quorvo::app
