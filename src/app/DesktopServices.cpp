#include "app/DesktopServices.h"

#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvo::app {

namespace {

// Closes a file descriptor it owns.
class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    { }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return m_fd; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions {};
};

}  // namespace

std::optional<std::string> runProgram(const std::vector<std::string>& argv, bool captureOutput,
                                      const std::function<void(pid_t)>& started)
{
    if (argv.empty())
        return std::nullopt;
    int pipeFds[2] = {-1, -1};
    if (captureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    Fd readEnd(pipeFds[0]);
    Fd writeEnd(pipeFds[1]);

    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (captureOutput)
        posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], actions.get(), nullptr, args.data(), environ) != 0)
        return std::nullopt;
    writeEnd.reset();
    if (started)
        started(pid);

    std::string output;
    if (captureOutput) {
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(readEnd.get(), buffer, sizeof buffer);
            if (got > 0)
                output.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
    }
    if (started) {
        // Wait without reaping: until the reap below the id stays this child's.
        siginfo_t info {};
        while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) { }
        started(-1);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

bool programExists(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty())
            continue;
        const std::string candidate = dir + "/" + program;
        struct stat info { };
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

DesktopOpener::~DesktopOpener()
{
    for (std::thread& thread : m_threads)
        thread.join();
}

void DesktopOpener::open(const Text& target)
{
    if (target.empty())
        return;
    std::string native = platform::nativePath(target);
    m_threads.emplace_back([native = std::move(native)] { runProgram({"xdg-open", native}, false); });
}

std::string musicDirectory()
{
    if (std::optional<std::string> dir = runProgram({"xdg-user-dir", "MUSIC"}, true)) {
        while (!dir->empty() && (dir->back() == '\n' || dir->back() == '/'))
            dir->pop_back();
        // xdg-user-dir answers $HOME when MUSIC is not configured.
        const char* home = std::getenv("HOME");
        if (!dir->empty() && dir->front() == '/' && (!home || *dir != std::string(home)))
            return *dir;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] == '/' ? home : "/tmp") + "/Music";
}

}  // namespace quorvo::app
