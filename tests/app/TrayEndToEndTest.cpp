// The program and a real tray (trayer) on a private X desktop, bare Xvfb and
// openbox, driven with xdotool: the window goes to the tray and comes back.
// Skipped with a message where Xvfb, xdotool, openbox or trayer is missing.

#include "QuorvoOnX.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::app::test {
namespace {

using quorvo::test::waitFor;

class TrayEndToEnd : public QuorvoOnX {
protected:
    // The window (410 × 650) and its icon in the tray, both named by the title.
    [[nodiscard]] std::optional<unsigned long> shown(bool icon) const
    {
        for (const unsigned long window : m_desktop->windowsNamed("^Quorvo")) {
            const auto place = m_desktop->place(window);
            if (place && (place->width < 100) == icon)
                return window;
        }
        return std::nullopt;
    }
    void clickIn(unsigned long window, int x, int y, const char* button)
    {
        ASSERT_EQ(m_desktop->xdotool({"mousemove", "--window", std::to_string(window), std::to_string(x),
                                      std::to_string(y), "click", button}),
                  0);
    }
};

TEST_P(TrayEndToEnd, MinimiseHidesTheWindowToTheTrayAndTheIconBringsItBack)
{
    if (quorvo::test::runProgram({"sh", "-c", "command -v trayer"}) != 0)
        GTEST_SKIP() << "trayer is needed for the tray test";
    const auto tray = quorvo::test::Program::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"},
        {m_desktop->displayEntry()});
    ASSERT_TRUE(tray);
    // A tray is there once it owns the screen's tray selection.
    ASSERT_TRUE(waitFor([&] { return m_desktop->selectionOwner("_NET_SYSTEM_TRAY_S0") != 0; }, limit));

    // A session bus without a StatusNotifierWatcher: the item finds no
    // panel there, and the icon docks in the X tray instead.
    std::vector<std::string> environment;
    std::unique_ptr<quorvo::test::Program> bus;
    if (quorvo::test::runProgram({"sh", "-c", "command -v dbus-daemon && command -v gdbus"}) == 0) {
        const std::string socket = (m_dir.path() / "bus").string();
        bus = quorvo::test::Program::start(
            {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket});
        ASSERT_TRUE(bus);
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + socket);
        // The socket file appears before the daemon listens: wait until it answers.
        ASSERT_TRUE(waitFor(
            [&] {
                return std::filesystem::exists(socket)
                    && quorvo::test::runProgram({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                                                 "--object-path", "/org/freedesktop/DBus", "--method",
                                                 "org.freedesktop.DBus.GetId"},
                                                environment)
                    == 0;
            },
            limit))
            << "no session bus";
    }
    start("[Main]\npath=" + saveDirectory() + "\nsType=0\nlrc=1\nwav=0\nbypass=0\ndelete=0\nspeed=0\n", environment);
    std::optional<unsigned long> icon;
    ASSERT_TRUE(waitFor([&] { return (icon = shown(true)).has_value(); }, limit)) << "no icon in the tray";
    if (bus) {
        // The item is offered on the bus all the same, for a watcher that may come.
        EXPECT_TRUE(waitFor(
            [&] {
                std::string names;
                quorvo::test::runProgram({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                                          "--object-path", "/org/freedesktop/DBus", "--method",
                                          "org.freedesktop.DBus.ListNames"},
                                         environment, &names);
                return names.find("org.kde.StatusNotifierItem-") != std::string::npos;
            },
            limit));
    }
    const unsigned long window = m_window;
    const auto windowShown = [&] { return shown(false) == window; };
    const auto windowHidden = [&] { return !shown(false); };

    // The caption's minimise button (28 × 19 at (326, 7)).
    clickIn(window, 340, 16, "1");
    ASSERT_TRUE(waitFor(windowHidden, limit)) << "minimise did not hide the window";
    clickIn(*icon, 11, 11, "1");
    ASSERT_TRUE(waitFor(windowShown, limit)) << "a left click on the icon did not bring the window back";
    clickIn(*icon, 11, 11, "1");
    ASSERT_TRUE(waitFor(windowHidden, limit)) << "a second left click did not hide it";

    // Right click: the menu, whose first item ("显示窗口" now) shows the window.
    clickIn(*icon, 11, 11, "3");
    unsigned long menu = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            const auto menus = m_desktop->windowsNamed("^menu$");
            menu = menus.empty() ? 0 : menus[0];
            return menu != 0;
        },
        limit));
    clickIn(menu, 60, 14, "1");
    EXPECT_TRUE(waitFor(windowShown, limit)) << "the menu's first item did not show the window";
}

INSTANTIATE_TEST_SUITE_P(Desktops, TrayEndToEnd, ::testing::Values(XDesktop::Manager::None, XDesktop::Manager::Openbox),
                         managerName);

}  // namespace
}  // namespace quorvo::app::test
