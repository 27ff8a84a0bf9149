#include "app/SingleInstance.h"

#include "platform/Files.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvo::app {

namespace {

using namespace std::chrono_literals;

constexpr std::string_view showRequest = "show\n";
constexpr std::string_view showAnswer = "shown\n";

// An abstract socket (Linux): no file that a crash could leave behind. The
// name holds the user and a hash of the settings file's full path.
sockaddr_un socketAddress(const std::string& configPath, socklen_t& length)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char byte : configPath) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char name[64];
    const int size = std::snprintf(name, sizeof name, "quorvo-%u-%016llx", static_cast<unsigned>(::getuid()),
                                   static_cast<unsigned long long>(hash));
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    address.sun_path[0] = '\0';
    std::memcpy(address.sun_path + 1, name, static_cast<std::size_t>(size));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<std::size_t>(size));
    return address;
}

std::string canonicalPath(const Text& configFile)
{
    const std::filesystem::path path(platform::nativePath(configFile));
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::weakly_canonical(path.parent_path(), error);
    return (error ? path.parent_path() : directory).string() + "/" + path.filename().string();
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written <= 0) {
            if (written < 0 && errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Reads until `expected` came or the time is up.
bool readExpected(int fd, std::string_view expected, std::chrono::milliseconds patience)
{
    std::string got;
    const auto end = std::chrono::steady_clock::now() + patience;
    while (got.size() < expected.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait {fd, POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[16];
        const ssize_t count = ::recv(fd, buffer, std::min(sizeof buffer, expected.size() - got.size()), 0);
        if (count <= 0)
            return false;
        got.append(buffer, static_cast<std::size_t>(count));
    }
    return got == expected;
}

// Asks the first program to show itself. It may hold the lock but not yet
// listen; it writes its process number into the lock file once it does, so
// a refused connection waits for a change to that file (or its closing, when
// the first ends) and tries again.
bool askFirstToShow(const std::string& lockPath, const sockaddr_un& address, socklen_t length)
{
    const auto end = std::chrono::steady_clock::now() + 5s;
    // Watched before the first try, so that a change between it and the wait is not missed.
    const UniqueFd changes(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (changes.get() >= 0)
        ::inotify_add_watch(changes.get(), lockPath.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_DELETE_SELF);
    for (;;) {
        const UniqueFd connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (connection.get() < 0)
            return false;
        if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0)
            return writeAll(connection.get(), showRequest) && readExpected(connection.get(), showAnswer, 10s);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (changes.get() < 0 || left.count() <= 0)
            return false;
        pollfd wait {changes.get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready == 0 || (ready < 0 && errno != EINTR))
            return false;
        char events[4096];
        while (::read(changes.get(), events, sizeof events) > 0) { }
    }
}

}  // namespace

SingleInstance::SingleInstance(const Text& configFile)
{
    const std::string config = canonicalPath(configFile);
    const std::string lockPath = config + ".lock";
    m_lock = UniqueFd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (m_lock.get() < 0) {
        // A folder we cannot write (a read-only run directory): nothing to guard.
        m_role = Role::First;
        return;
    }
    socklen_t length = 0;
    const sockaddr_un address = socketAddress(config, length);
    if (::flock(m_lock.get(), LOCK_EX | LOCK_NB) != 0) {
        m_lock = UniqueFd();
        m_role = askFirstToShow(lockPath, address, length) ? Role::Signalled : Role::Unreached;
        return;
    }
    m_role = Role::First;
    m_listenSocket = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (m_listenSocket.get() < 0
        || ::bind(m_listenSocket.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0
        || ::listen(m_listenSocket.get(), 4) != 0) {
        m_listenSocket = UniqueFd();
        return;
    }
    // Wakes a later start that found the lock taken before we listened.
    char pid[24];
    const int size = std::snprintf(pid, sizeof pid, "%d\n", static_cast<int>(::getpid()));
    if (::ftruncate(m_lock.get(), 0) != 0
        || ::pwrite(m_lock.get(), pid, static_cast<std::size_t>(size), 0) != static_cast<ssize_t>(size)) {
        std::fprintf(stderr, "quorvo: cannot write %s: %s\n", lockPath.c_str(), std::strerror(errno));
    }
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

void SingleInstance::stopListening()
{
    if (m_listener.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeWriter.get(), &wake, 1);
        m_listener.join();
    }
}

void SingleInstance::listen(std::function<void()> show)
{
    int pipe[2] = {-1, -1};
    if (m_role != Role::First || m_listenSocket.get() < 0 || m_listener.joinable() || ::pipe2(pipe, O_CLOEXEC) != 0)
        return;
    m_wakeReader = UniqueFd(pipe[0]);
    m_wakeWriter = UniqueFd(pipe[1]);
    m_listener = std::thread([this, show = std::move(show)] {
        for (;;) {
            std::array<pollfd, 2> waits {pollfd {m_listenSocket.get(), POLLIN, 0},
                                         pollfd {m_wakeReader.get(), POLLIN, 0}};
            if (::poll(waits.data(), waits.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if ((waits[1].revents & POLLIN) != 0)
                return;
            if ((waits[0].revents & POLLIN) == 0)
                continue;
            const UniqueFd client(::accept4(m_listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (client.get() < 0)
                continue;
            // Only the request is answered; a stray connection that says
            // something else (or nothing for a second) is dropped.
            if (readExpected(client.get(), showRequest, 1s)) {
                show();
                writeAll(client.get(), showAnswer);
            }
        }
    });
}

}  // namespace quorvo::app
