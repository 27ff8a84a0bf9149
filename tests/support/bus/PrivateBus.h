#pragma once

// A session bus of its own for a test (dbus-daemon with a configuration
// written into a test directory), with no services to activate; stopped with
// the object.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace quorvo::test {

class PrivateBus {
public:
    // Starts the daemon and waits (up to 30 s) until it answers a connection:
    // its socket file appears before it listens.
    explicit PrivateBus(const std::filesystem::path& directory);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // The D-Bus address ("unix:path=...") to give DBUS_SESSION_BUS_ADDRESS.
    [[nodiscard]] const std::string& address() const { return m_address; }
    // dbus-daemon is on PATH.
    [[nodiscard]] static bool available();

private:
    std::string m_address;
    pid_t m_pid = -1;
};

}  // namespace quorvo::test
