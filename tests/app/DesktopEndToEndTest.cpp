// The program among other desktop programs, under a private Xvfb and driven
// with xdotool: what its window tells the X server (title, locale, icon), a
// tray that starts after it, and a second start on the same settings.
// Skipped with a message where Xvfb, xdotool or trayer is missing.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include "assets/Assets.h"
#include "gfx/Image.h"
#include "platform/window/Pixels.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using quorvo::platform::test::BackgroundProgram;
using quorvo::platform::test::programOutput;
using quorvo::platform::test::runProgram;
using quorvo::platform::test::XvfbServer;
namespace fs = std::filesystem;

constexpr std::string_view utf8Title = "Quorvo无损音乐下载器";

bool eventually(const std::function<bool()>& done, int tries = 200)
{
    for (int i = 0; i < tries; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

std::vector<std::string> visibleWindows(const std::string& name, bool topLevel)
{
    std::vector<std::string> command {"xdotool", "search", "--onlyvisible"};
    if (topLevel)
        command.insert(command.end(), {"--maxdepth", "1"});
    command.insert(command.end(), {"--name", name});
    std::vector<std::string> windows;
    std::istringstream lines(programOutput(command).value_or(""));
    for (std::string line; std::getline(lines, line);)
        windows.push_back(line);
    return windows;
}

void click(const std::string& window, int x, int y, const char* button = "1")
{
    ASSERT_EQ(
        runProgram({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", button}),
        0);
}

// A quorvo process of the test's own: its pid, so that it can be killed hard.
class Quorvo {
public:
    explicit Quorvo(const fs::path& executable)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Quorvo() { stop(SIGTERM); }
    Quorvo(const Quorvo&) = delete;
    Quorvo& operator=(const Quorvo&) = delete;

    // The exit status, or -1 when it ended by a signal.
    int stop(int signal)
    {
        if (m_pid <= 0)
            return -1;
        ::kill(m_pid, signal);
        return reap();
    }
    // Waits for the process to end by itself (bounded); nullopt when it did not.
    std::optional<int> waitForExit(std::chrono::seconds limit)
    {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

private:
    int reap()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t m_pid = -1;
};

class DesktopEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string whyNot;
        m_xvfb = XvfbServer::start(whyNot);
        if (!m_xvfb)
            GTEST_SKIP() << whyNot;
        if (runProgram({"sh", "-c", "command -v xdotool >/dev/null && command -v trayer >/dev/null"}) != 0)
            GTEST_SKIP() << "xdotool and trayer are needed for the desktop tests";
        ::setenv("DISPLAY", m_xvfb->display().c_str(), 1);
        ::setenv("QUORVO_API_HOST", m_server.host().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The desktop's locale: titles reach other programs in its encoding.
        ::setenv("LANG", "C.UTF-8", 1);
        ::unsetenv("LC_ALL");
        fs::copy_file(QUORVO_EXECUTABLE, m_executable);
        m_display = XOpenDisplay(m_xvfb->display().c_str());
        ASSERT_NE(m_display, nullptr);
    }
    void TearDown() override
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    // The program's top-level window, once it shows.
    std::string waitForWindow()
    {
        std::string window;
        EXPECT_TRUE(eventually([&] {
            const auto top = visibleWindows("Quorvo", true);
            if (top.size() != 1)
                return false;
            window = top[0];
            return true;
        })) << "no window";
        return window;
    }

    // Raw bytes of a property of `type` (AnyPropertyType for any); nullopt when absent.
    std::optional<std::vector<unsigned char>> property(const std::string& window, const char* name, Atom type,
                                                       int* format = nullptr, Atom* actualType = nullptr)
    {
        Atom actual = None;
        int actualFormat = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, std::stoul(window), XInternAtom(m_display, name, False), 0, 1 << 20, False,
                               type, &actual, &actualFormat, &count, &after, &data)
                != Success
            || actual == None) {
            if (data)
                XFree(data);
            return std::nullopt;
        }
        const std::size_t unit = actualFormat == 32 ? sizeof(long) : static_cast<std::size_t>(actualFormat / 8);
        std::vector<unsigned char> bytes(data, data + count * unit);
        XFree(data);
        if (format)
            *format = actualFormat;
        if (actualType)
            *actualType = actual;
        return bytes;
    }

    quorvo::test::ReferenceServer m_server;
    quorvo::test::TempDir m_dir;
    fs::path m_executable = m_dir.path() / "quorvo";
    std::unique_ptr<XvfbServer> m_xvfb;
    Display* m_display = nullptr;
};

TEST_F(DesktopEndToEnd, TitleReadsTheSameInWmNameAndNetWmNameAndTheIconIsSetAtEverySize)
{
    Quorvo quorvo(m_executable);
    const std::string window = waitForWindow();
    ASSERT_FALSE(window.empty());

    // WM_NAME decoded as ICCCM readers (taskbars, xdotool, wmctrl) decode it.
    XTextProperty name {};
    ASSERT_NE(XGetWMName(m_display, std::stoul(window), &name), 0);
    char** list = nullptr;
    int count = 0;
    ASSERT_EQ(Xutf8TextPropertyToTextList(m_display, &name, &list, &count), Success);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(std::string(list[0]), utf8Title) << "WM_NAME is mojibake";
    XFreeStringList(list);
    XFree(name.value);

    const auto netName = property(window, "_NET_WM_NAME", XInternAtom(m_display, "UTF8_STRING", False));
    ASSERT_TRUE(netName);
    EXPECT_EQ(std::string(netName->begin(), netName->end()), utf8Title);

    // _NET_WM_ICON: width, height, then straight-alpha ARGB rows, for each size.
    int format = 0;
    const auto icon = property(window, "_NET_WM_ICON", XA_CARDINAL, &format);
    ASSERT_TRUE(icon) << "no window icon";
    ASSERT_EQ(format, 32);
    const auto* values = reinterpret_cast<const long*>(icon->data());
    const std::size_t longs = icon->size() / sizeof(long);
    std::map<long, std::vector<std::uint32_t>> sizes;
    for (std::size_t at = 0; at + 2 <= longs;) {
        const long width = values[at];
        const long height = values[at + 1];
        ASSERT_EQ(width, height);
        ASSERT_LE(at + 2 + static_cast<std::size_t>(width * height), longs);
        std::vector<std::uint32_t>& pixels = sizes[width];
        for (long i = 0; i < width * height; ++i)
            pixels.push_back(static_cast<std::uint32_t>(values[at + 2 + static_cast<std::size_t>(i)]));
        at += 2 + static_cast<std::size_t>(width * height);
    }
    for (const int size : {16, 24, 32, 48, 64, 128})
        EXPECT_TRUE(sizes.contains(size)) << size << " pixels missing";
    // The 32-pixel picture is the program's icon asset.
    const quorvo::gfx::Image asset
        = quorvo::gfx::loadImage(quorvo::assets::asStringView(quorvo::assets::find("icon_32.png")));
    ASSERT_FALSE(asset.isNull());
    const quorvo::gfx::Surface& frame = asset.activeFrame();
    ASSERT_EQ(sizes[32].size(), 32u * 32u);
    int differing = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(frame.data() + y * frame.stride());
            if (sizes[32][static_cast<std::size_t>(y * 32 + x)] != quorvo::platform::unpremultiply(row[x]))
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(DesktopEndToEnd, HideWaitsForATrayAndDocksInOneStartedLater)
{
    Quorvo quorvo(m_executable);
    const std::string window = waitForWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_EQ(runProgram({"xdotool", "windowmove", "--sync", window, "100", "20"}), 0);
    const auto windowShown = [&] {
        const auto top = visibleWindows("Quorvo", true);
        return top.size() == 1 && top[0] == window;
    };

    // The caption's menu button, then "隐藏窗口": with no tray the window must stay reachable.
    std::string menu;
    const auto menuOpens = [&] {
        click(window, 312, 16);
        return eventually(
            [&] {
                const auto menus = visibleWindows("^menu$", true);
                if (menus.empty())
                    return false;
                menu = menus[0];
                return true;
            },
            10);
    };
    ASSERT_TRUE(eventually(menuOpens, 20)) << "the caption's menu did not open";
    click(menu, 60, 14);
    ASSERT_TRUE(eventually([] { return visibleWindows("^menu$", true).empty(); }));
    EXPECT_TRUE(windowShown()) << "hidden with no tray to bring it back";

    // A tray now: the icon docks in it, and the window hides to it and comes back.
    const auto tray = BackgroundProgram::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"});
    ASSERT_TRUE(tray);
    std::string icon;
    ASSERT_TRUE(eventually([&] {
        for (const std::string& found : visibleWindows("Quorvo", false)) {
            if (found != window)
                icon = found;
        }
        return !icon.empty();
    })) << "the icon did not dock in the tray that started later";
    const auto minimiseHides = [&] {
        click(window, 340, 16);
        return eventually([] { return visibleWindows("Quorvo", true).empty(); }, 10);
    };
    ASSERT_TRUE(eventually(minimiseHides, 20)) << "minimise did not hide the window to the new tray";
    click(icon, 11, 11);
    EXPECT_TRUE(eventually(windowShown)) << "the icon did not bring the window back";
}

TEST_F(DesktopEndToEnd, ASecondStartOnTheSameSettingsShowsTheFirstAndEndsAndACrashLeavesNoStaleLock)
{
    const auto tray = BackgroundProgram::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"});
    ASSERT_TRUE(tray);
    ASSERT_TRUE(eventually([] { return !visibleWindows("^panel$", true).empty(); }));
    auto first = std::make_unique<Quorvo>(m_executable);
    const std::string window = waitForWindow();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(eventually([&] { return visibleWindows("Quorvo", false).size() == 2; })) << "no tray icon";
    ASSERT_EQ(runProgram({"xdotool", "windowmove", "--sync", window, "100", "20"}), 0);
    const auto minimiseHides = [&] {
        click(window, 340, 16);
        return eventually([] { return visibleWindows("Quorvo", true).empty(); }, 10);
    };
    ASSERT_TRUE(eventually(minimiseHides, 20));

    Quorvo second(m_executable);
    const std::optional<int> status = second.waitForExit(30s);
    ASSERT_TRUE(status) << "the second program kept running";
    EXPECT_EQ(*status, 0);
    EXPECT_TRUE(eventually([&] {
        const auto top = visibleWindows("Quorvo", true);
        return top.size() == 1 && top[0] == window;
    })) << "the first window was not shown";

    // Killed without a chance to clean up: the next start runs all the same.
    EXPECT_EQ(first->stop(SIGKILL), -1);
    first.reset();
    ASSERT_TRUE(eventually([] { return visibleWindows("Quorvo", true).empty(); }));
    Quorvo third(m_executable);
    EXPECT_FALSE(third.waitForExit(2s)) << "the lock of the killed program stayed";
    EXPECT_FALSE(waitForWindow().empty());
}

}  // namespace
