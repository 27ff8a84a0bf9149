#include "PrivateBus.h"

#include "PumpUntil.h"

#include <gio/gio.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvo::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

PrivateBus::PrivateBus(const fs::path& directory)
{
    const fs::path socket = directory / "bus";
    m_address = "unix:path=" + socket.string();
    const fs::path config = directory / "bus.conf";
    std::ofstream(config) << "<busconfig><type>session</type><listen>" << m_address
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                             "<allow own=\"*\"/></policy></busconfig>";
    const std::string configOption = "--config-file=" + config.string();
    m_pid = ::fork();
    if (m_pid == 0) {
        // It says on stderr what an unprivileged daemon cannot do (raise its fd limit).
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execlp("dbus-daemon", "dbus-daemon", configOption.c_str(), "--nofork", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    pumpUntil(
        [&] {
            if (!fs::exists(socket))
                return false;
            GDBusConnection* probe = g_dbus_connection_new_for_address_sync(
                m_address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                                  | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            if (probe == nullptr)
                return false;
            g_dbus_connection_close_sync(probe, nullptr, nullptr);
            g_object_unref(probe);
            return true;
        },
        [] { std::this_thread::sleep_for(2ms); }, 30s);
}

PrivateBus::~PrivateBus()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool PrivateBus::available()
{
    return std::system("command -v dbus-daemon >/dev/null") == 0;
}

}  // namespace quorvo::test
