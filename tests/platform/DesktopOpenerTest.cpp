// The process launcher, and the desktop opener on it with a stand-in
// xdg-open first on PATH.

#include "platform/DesktopOpener.h"
#include "platform/Process.h"

#include "PumpUntil.h"
#include "TempDir.h"
#include "runtime/UniqueFd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace quorvo;

namespace {

// Puts a directory first on PATH for the test's lifetime.
class PathOverride {
public:
    explicit PathOverride(const std::string& directory)
    {
        const char* old = std::getenv("PATH");
        m_saved = old ? old : "";
        ::setenv("PATH", (directory + ":" + m_saved).c_str(), 1);
    }
    PathOverride(const PathOverride&) = delete;
    PathOverride& operator=(const PathOverride&) = delete;
    ~PathOverride() { ::setenv("PATH", m_saved.c_str(), 1); }

private:
    std::string m_saved;
};

// A stand-in opener that writes each argument on a line of its own and the
// descriptors it was started with to "fds", then renames the file into
// place so that a reader never sees half of it.
void installStubOpener(const test::TempDir& dir)
{
    const std::string script = "#!/bin/sh\n"
                               "ls /proc/$$/fd > '"
        + dir.file("fds") + "'\nout='" + dir.file("args")
        + "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n";
    test::writeWholeFile(dir.path() / "xdg-open", script);
    std::filesystem::permissions(dir.path() / "xdg-open", std::filesystem::perms::owner_all);
}

// The opener runs detached, so its record appears some time after the call
// returns; the 30 s bound only keeps a broken opener from hanging the suite.
std::string waitForRecord(const test::TempDir& dir)
{
    const auto path = dir.path() / "args";
    for (int i = 0; i < 3000 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path) ? test::readWholeFile(path) : std::string("<opener never ran>");
}

// The processes this one started and has not reaped yet.
std::vector<std::string> children()
{
    std::vector<std::string> result;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream list(task.path() / "children");
        for (std::string pid; list >> pid;)
            result.push_back(pid);
    }
    return result;
}

}  // namespace

TEST(DesktopOpener, TargetReachesTheOpenerAsOneUntouchedArgument)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());

    // Shell syntax in a link must stay text: no shell ever parses it.
    const std::string target = "https://example.test/a b?q=$(touch " + dir.file("pwned") + ")&x=`id`;echo";
    // A descriptor some other thread opened without O_CLOEXEC.
    const UniqueFd stray(::open("/dev/null", O_RDONLY));
    ASSERT_TRUE(stray.valid());
    std::string error;
    ASSERT_TRUE(platform::openWithDesktop(target, &error)) << error;
    EXPECT_EQ(waitForRecord(dir), target + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pwned"));
    // The opener (a shell script here) sees the standard streams, not our descriptor.
    std::istringstream fds(test::readWholeFile(dir.path() / "fds"));
    std::vector<int> open;
    for (int fd = 0; fds >> fd;)
        open.push_back(fd);
    std::sort(open.begin(), open.end());
    EXPECT_EQ(std::vector<int>(open.begin(), open.begin() + std::min<std::size_t>(3, open.size())),
              (std::vector<int> {0, 1, 2}));
    EXPECT_EQ(std::find(open.begin(), open.end(), stray.get()), open.end()) << "the opener inherited our descriptor";
    // The ended opener is collected, not left a zombie.
    EXPECT_TRUE(test::pumpUntil([] { return children().empty(); },
                                [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); },
                                std::chrono::seconds(30)));
}

TEST(DesktopOpener, MailLinksGoThroughTheOpener)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());
    ASSERT_TRUE(platform::openWithDesktop("mailto:someone@example.test"));
    EXPECT_EQ(waitForRecord(dir), "mailto:someone@example.test\n");
}

TEST(DesktopOpener, MissingOpenerIsReportedNotPretendedOpened)
{
    test::TempDir dir;
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    std::string error;
    const bool opened = platform::openWithDesktop("https://example.test/", &error);
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(opened);
    EXPECT_NE(error.find("xdg-open"), std::string::npos) << error;
}

TEST(DesktopOpener, TargetsTheOpenerWouldMisreadAreRefused)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());
    EXPECT_FALSE(platform::openWithDesktop(""));
    EXPECT_FALSE(platform::openWithDesktop("--manual"));
    EXPECT_FALSE(platform::openWithDesktop(std::string_view("a\0b", 3)));
    // Refused before anything is started.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "args"));
}

// quorvo blocks SIGTERM in every thread for its signal thread; a child that
// inherited that mask ignored the SIGTERM meant to stop it (zenity stayed
// open and the closing window waited for it).
TEST(Process, AProgramStoppedWithSigtermEndsThoughTheCallerBlocksIt)
{
    std::atomic<pid_t> child {-1};
    std::atomic<bool> ended {false};
    std::optional<std::string> result = std::string("not run");
    std::thread caller([&] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &term, nullptr);
        result = platform::runProgram({"sleep", "1000"}, false, [&](pid_t pid) {
            if (pid > 0) {
                child = pid;
                ::kill(pid, SIGTERM);
            }
        });
        ended = true;
    });
    const bool stopped
        = test::pumpUntil([&] { return ended.load(); },
                          [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }, std::chrono::seconds(30));
    if (!stopped && child > 0)
        ::kill(child, SIGKILL);
    caller.join();
    EXPECT_TRUE(stopped) << "the child kept SIGTERM blocked";
    EXPECT_EQ(result, std::nullopt) << "a program ended by a signal is no success";
}
