#include "XvfbServer.h"

#include "PumpUntil.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace quorvo::platform::test {

namespace {

int spawn(const std::vector<std::string>& arguments, posix_spawn_file_actions_t* actions)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

}  // namespace

std::unique_ptr<XvfbServer> XvfbServer::start(std::string& whyNot)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        whyNot = "no pipe";
        return nullptr;
    }
    // Xvfb writes the display number it chose to this descriptor once it accepts clients.
    constexpr int displayFd = 3;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], displayFd);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int pid = spawn(
        {"Xvfb", "-displayfd", std::to_string(displayFd), "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset"},
        &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        whyNot = "Xvfb is not installed";
        return nullptr;
    }
    std::string number;
    pollfd waitFor {fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&waitFor, 1, 10000) > 0) {
        char buffer[32];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        whyNot = "Xvfb did not start";
        return nullptr;
    }
    number.erase(number.find('\n'));
    return std::unique_ptr<XvfbServer>(new XvfbServer(pid, ":" + number));
}

std::unique_ptr<XvfbServer> XvfbServer::startWithXdotool(std::string& whyNot)
{
    std::unique_ptr<XvfbServer> server = start(whyNot);
    if (!server) {
        return nullptr;
    }
    ::setenv("DISPLAY", server->display().c_str(), 1);
    if (runProgram({"xdotool", "getmouselocation"}) != 0) {
        whyNot = "xdotool is not installed";
        return nullptr;
    }
    return server;
}

std::unique_ptr<XvfbServer> XvfbServer::startWithXdotoolAndTrayer(std::string& whyNot)
{
    std::unique_ptr<XvfbServer> server = startWithXdotool(whyNot);
    if (server && runProgram({"sh", "-c", "command -v trayer >/dev/null"}) != 0) {
        whyNot = "trayer is not installed";
        return nullptr;
    }
    return server;
}

void XvfbServer::useForSdl() const
{
    ::setenv("DISPLAY", m_display.c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
}

bool driveWithXdotool(const std::vector<std::vector<std::string>>& steps, const std::function<void()>& turn,
                      std::chrono::milliseconds limit)
{
    std::atomic<bool> finished = false;
    std::atomic<bool> failed = false;
    std::jthread driver([&] {
        for (const auto& step : steps) {
            if (step.size() == 2 && step[0] == "sleep") {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(step[1].c_str())));
                continue;
            }
            std::vector<std::string> command {"xdotool"};
            command.insert(command.end(), step.begin(), step.end());
            if (runProgram(command) != 0) {
                failed = true;
            }
        }
        finished = true;
    });
    const bool done = quorvo::test::pumpUntil([&] { return finished.load(); },
                                              [&] {
                                                  turn();
                                                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
                                              },
                                              limit);
    // A driver still running is waited for here (the jthread joins): its steps end on their own.
    return done && !failed;
}

std::optional<IntRect> settledIconBounds(const std::function<std::optional<IntRect>()>& bounds,
                                         const std::function<void()>& turn, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    std::optional<IntRect> last;
    Clock::time_point since;
    const bool settled = quorvo::test::pumpUntil(
        [&] {
            const auto now = bounds();
            if (!now || now->width < 16 || now->height < 16) {
                last.reset();
                return false;
            }
            if (!last || *last != *now) {
                last = now;
                since = Clock::now();
            }
            return Clock::now() - since >= std::chrono::milliseconds(300);
        },
        [&] {
            turn();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        },
        limit);
    return settled ? last : std::nullopt;
}

XvfbServer::~XvfbServer()
{
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

std::unique_ptr<BackgroundProgram> BackgroundProgram::start(const std::vector<std::string>& arguments)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int pid = spawn(arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    if (pid < 0) {
        return nullptr;
    }
    return std::unique_ptr<BackgroundProgram>(new BackgroundProgram(pid));
}

BackgroundProgram::~BackgroundProgram()
{
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

int runProgram(const std::vector<std::string>& arguments)
{
    const int pid = spawn(arguments, nullptr);
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::optional<std::string> programOutput(const std::vector<std::string>& arguments)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    const int pid = spawn(arguments, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string output;
    char buffer[4096];
    ssize_t got = 0;
    while (pid >= 0 && (got = read(fds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    if (pid < 0) {
        return std::nullopt;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return output;
}

}  // namespace quorvo::platform::test
