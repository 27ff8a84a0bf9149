// The program and a real tray (trayer) under a private Xvfb, driven with
// xdotool: the window goes to the tray and comes back. Skipped with a message
// where Xvfb, xdotool or trayer is missing.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using quorvo::platform::test::BackgroundProgram;
using quorvo::platform::test::programOutput;
using quorvo::platform::test::runProgram;
using quorvo::platform::test::XvfbServer;
namespace fs = std::filesystem;

// Polls (the programs work at their own pace); false when it never happened.
bool eventually(const std::function<bool()>& done, int tries = 200)
{
    for (int i = 0; i < tries; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// Viewable windows whose name contains `name`; only the root's children when `topLevel`.
std::vector<std::string> visibleWindows(const std::string& name, bool topLevel)
{
    std::vector<std::string> command {"xdotool", "search", "--onlyvisible"};
    if (topLevel) {
        command.insert(command.end(), {"--maxdepth", "1"});
    }
    command.insert(command.end(), {"--name", name});
    std::vector<std::string> windows;
    std::istringstream lines(programOutput(command).value_or(""));
    for (std::string line; std::getline(lines, line);)
        windows.push_back(line);
    return windows;
}

void click(const std::string& window, int x, int y, const char* button)
{
    ASSERT_EQ(
        runProgram({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", button}),
        0);
}

TEST(TrayEndToEnd, MinimiseHidesTheWindowToTheTrayAndTheIconBringsItBack)
{
    std::string whyNot;
    const auto xvfb = XvfbServer::start(whyNot);
    if (!xvfb)
        GTEST_SKIP() << whyNot;
    if (runProgram({"sh", "-c", "command -v xdotool >/dev/null && command -v trayer >/dev/null"}) != 0)
        GTEST_SKIP() << "xdotool and trayer are needed for the tray test";
    ::setenv("DISPLAY", xvfb->display().c_str(), 1);
    const auto tray = BackgroundProgram::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"});
    ASSERT_TRUE(tray);
    // trayer shows its panel once it owns the tray.
    ASSERT_TRUE(eventually([] { return !visibleWindows("^panel$", true).empty(); }));

    quorvo::test::ReferenceServer server;
    quorvo::test::TempDir dir;
    fs::copy_file(QUORVO_EXECUTABLE, dir.path() / "quorvo");
    ::setenv("QUORVO_API_HOST", server.host().c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    const auto quorvo = BackgroundProgram::start({(dir.path() / "quorvo").string()});
    ASSERT_TRUE(quorvo);

    // The window is the top-level one; the icon, named by the same title, sits in the tray.
    std::string window;
    std::string icon;
    ASSERT_TRUE(eventually([&] {
        const auto all = visibleWindows("Quorvo", false);
        const auto top = visibleWindows("Quorvo", true);
        if (all.size() != 2 || top.size() != 1)
            return false;
        window = top[0];
        icon = all[0] == window ? all[1] : all[0];
        return true;
    }));
    const auto windowShown = [&] {
        const auto top = visibleWindows("Quorvo", true);
        return top.size() == 1 && top[0] == window;
    };
    const auto windowHidden = [&] { return visibleWindows("Quorvo", true).empty(); };
    // Centred on the 600-pixel screen its caption would be above the top edge.
    ASSERT_EQ(runProgram({"xdotool", "windowmove", "--sync", window, "100", "20"}), 0);

    // The caption's minimise button (28 × 19 at (326, 7)). There is no window
    // manager here, so a real minimise would leave the window on the screen.
    // The window ignores the mouse while its opening effect runs: click until it listens.
    const auto minimiseHides = [&] {
        click(window, 340, 16, "1");
        return eventually(windowHidden, 10);
    };
    ASSERT_TRUE(eventually(minimiseHides, 20)) << "minimise did not hide the window";
    click(icon, 11, 11, "1");
    ASSERT_TRUE(eventually(windowShown)) << "a left click on the icon did not bring the window back";
    click(icon, 11, 11, "1");
    ASSERT_TRUE(eventually(windowHidden)) << "a second left click did not hide it";

    // Right click: the menu, whose first item ("显示窗口" now) shows the window.
    click(icon, 11, 11, "3");
    std::string menu;
    ASSERT_TRUE(eventually([&] {
        const auto menus = visibleWindows("^menu$", true);
        if (menus.empty())
            return false;
        menu = menus[0];
        return true;
    }));
    click(menu, 60, 14, "1");
    EXPECT_TRUE(eventually(windowShown)) << "the menu's first item did not show the window";
}

}  // namespace
