// The installed program as a user meets it: quorvo under its own Xvfb
// against the reference service, driven with xdotool. Skipped with a message
// where Xvfb or xdotool is missing.

#include "ReferenceServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A child process stopped (SIGTERM) and reaped on destruction.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const std::string& entry : environment)
                ::putenv(const_cast<char*>(entry.c_str()));
            std::vector<char*> args;
            for (const std::string& arg : argv)
                args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    // The exit status, or -1 when it did not exit normally.
    int stop()
    {
        if (m_pid <= 0)
            return m_status;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }
    [[nodiscard]] bool running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

TEST(GuiEndToEnd, TypedQueryAndEnterSendOneSearchAndSigtermEndsCleanly)
{
    if (run("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb and xdotool are needed for the end-to-end GUI test";
    quorvo::test::ReferenceServer server;
    quorvo::test::TempDir dir;
    fs::copy_file(QUORVO_EXECUTABLE, dir.path() / "quorvo");
    char displayName[16];
    std::snprintf(displayName, sizeof displayName, ":%d", 90 + ::getpid() % 400);
    const std::string display = displayName;
    Child xvfb({"Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
    ASSERT_EQ(run("for i in $(seq 100); do DISPLAY=" + display
                  + " xdotool getmouselocation >/dev/null 2>&1 && exit 0;"
                    " sleep 0.1; done; exit 1"),
              0);
    Child quorvo({(dir.path() / "quorvo").string()},
                 {"DISPLAY=" + display, "QUORVO_API_HOST=" + server.host(), "SDL_VIDEODRIVER=x11"});
    const std::string xdotool = "DISPLAY=" + display + " xdotool ";
    ASSERT_EQ(run(xdotool + "search --sync --onlyvisible --name Quorvo >/dev/null"), 0);
    // The search box has the focus at start.
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(run(xdotool + "type --delay 50 'Paper Lanterns' && " + xdotool + "key Return"), 0);
    for (int i = 0; i < 300 && server.requestsTo("/v1/restserver/vesk").empty(); ++i)
        std::this_thread::sleep_for(50ms);
    const auto searches = server.requestsTo("/v1/restserver/vesk");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_NE(searches[0].target.find("query=Paper%20Lanterns&"), std::string::npos) << searches[0].target;
    EXPECT_TRUE(quorvo.running());
    EXPECT_EQ(quorvo.stop(), 0);
    EXPECT_TRUE(fs::exists(dir.path() / "config.ini"));
}

}  // namespace
