#include "platform/Process.h"

#include "runtime/UniqueFd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quorvo::platform {

namespace {

// A posix_spawn argument object, destroyed with its scope.
template <typename T, int (*Init)(T*), int (*Destroy)(T*)> class SpawnObject {
public:
    SpawnObject() { Init(&m_object); }
    ~SpawnObject() { Destroy(&m_object); }
    SpawnObject(const SpawnObject&) = delete;
    SpawnObject& operator=(const SpawnObject&) = delete;
    T* get() { return &m_object; }

private:
    T m_object {};
};

using SpawnActions
    = SpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init, posix_spawn_file_actions_destroy>;
using SpawnAttributes = SpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// Starts argv[0] with stdin on /dev/null, stdout on `captureFd` (or
// /dev/null when -1), stderr on /dev/null and nothing else of ours open:
// descriptors another thread opens without O_CLOEXEC must not leak into
// a long-lived child. Returns posix_spawnp's error number (0: it runs;
// glibc reports a failed exec here too).
int spawn(const std::vector<std::string>& argv, int captureFd, bool newSession, pid_t& pid)
{
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (captureFd >= 0)
        posix_spawn_file_actions_adddup2(actions.get(), captureFd, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);

    // Signals we ignore or block (a worker blocking SIGINT, SIGPIPE
    // ignored for sockets) would otherwise stay so in the child.
    SpawnAttributes attributes;
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(attributes.get(), &none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigdefault(attributes.get(), &all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (newSession)
        flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(attributes.get(), flags);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    return posix_spawnp(&pid, args[0], actions.get(), attributes.get(), args.data(), environ);
}

void reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
}

}  // namespace

bool launchDetached(const std::string& program, const std::vector<std::string>& arguments, std::string* error)
{
    std::vector<std::string> argv;
    argv.reserve(arguments.size() + 1);
    argv.push_back(program);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_t pid = -1;
    if (const int code = spawn(argv, -1, true, pid); code != 0) {
        if (error)
            *error = "cannot run " + program + ": " + std::strerror(code);
        return false;
    }
    try {
        std::thread(reap, pid).detach();
    } catch (const std::system_error&) {
        // Out of threads: the child runs all the same and is only
        // collected when the program ends.
    }
    return true;
}

std::optional<std::string> runProgram(const std::vector<std::string>& argv, bool captureOutput,
                                      const std::function<void(pid_t)>& started)
{
    if (argv.empty())
        return std::nullopt;
    int pipeFds[2] = {-1, -1};
    if (captureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);

    pid_t pid = -1;
    if (spawn(argv, writeEnd.get(), false, pid) != 0)
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

}  // namespace quorvo::platform
