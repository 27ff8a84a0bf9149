// Every control of the three pages pressed in the real program, under bare
// Xvfb and under openbox, and on bare Xvfb at the desktop scale 2 (the same
// window coordinates, driven and read in device pixels), each checked by
// what it did: a request to the service, a key written to config.ini, a page
// or mark on the screen, a window shown, a file opened or a sound played. A
// dead control fails here.
// Skipped with a message where Xvfb, xdotool or openbox is missing.

#include "ControlSweep.h"
#include "QuorvoOnX.h"

#include <algorithm>

namespace quorvo::app::test {
namespace {

class ControlSweep : public QuorvoOnX {
protected:
    void press(std::string_view name, const std::string& button = "1")
    {
        const SweptControl& control = swept(name);
        SCOPED_TRACE(std::string(name));
        click(control.x, control.y, button);
    }
    bool gone(unsigned long window)
    {
        return quorvo::test::waitFor([&] { return !m_desktop->place(window); }, limit);
    }
    // Escape to a box or menu that has the keyboard.
    bool dismiss(unsigned long window)
    {
        m_desktop->xdotool({"windowfocus", "--sync", std::to_string(window)});
        m_desktop->xdotool({"key", "Escape"});
        return gone(window);
    }
    void sweepEveryControl();
};

// The same at the desktop scale 2: the window is twice the size on the
// screen, and every point of the sweep is still in window coordinates.
class ControlSweepAtScale2 : public ControlSweep {
protected:
    [[nodiscard]] int desktopScale() const override { return 2; }
};

TEST_P(ControlSweep, EveryControlOfEveryPageDoesItsJob)
{
    sweepEveryControl();
}

TEST_P(ControlSweepAtScale2, EveryControlOfEveryPageDoesItsJob)
{
    sweepEveryControl();
}

void ControlSweep::sweepEveryControl()
{
    // Slow transfers (2 KB/s, minutes for a song), so that the download is
    // still running when pause is pressed and start resumes it.
    start("[Main]\npath=" + saveDirectory() + "\nsType=0\nlrc=1\nwav=1\nbypass=0\ndelete=0\nspeed=2\n");

    // ---- search page ----
    press("search box");
    type("b");
    press("search button");
    ASSERT_TRUE(searched(1)) << "the search button sent nothing";
    EXPECT_NE(m_server.requestsTo(searchPath)[0].target.find("query=b&"), std::string::npos);
    press("search box");
    key("BackSpace");
    type("a");
    key("Return");
    ASSERT_TRUE(searched(2)) << "Enter in the search box sent nothing";
    EXPECT_NE(m_server.requestsTo(searchPath)[1].target.find("query=a&"), std::string::npos);
    const auto rows = [&] { return windowArea(10, 116, 380, 450); };
    const auto marks = [&] { return windowArea(8, 116, 20, 450); };

    ScreenArea before = marks();
    press("tick all");
    EXPECT_TRUE(changes(before)) << "tick all ticked nothing";
    ASSERT_TRUE(settled(8, 116, 20, 450));
    before = marks();
    press("invert ticks");
    EXPECT_TRUE(changes(before)) << "invert changed no tick";
    ASSERT_TRUE(settled(8, 116, 20, 450));
    before = windowArea(8, firstRowY - 8, 20, 16);
    press("result list");
    EXPECT_TRUE(changes(before)) << "the first row's check box did not tick";
    // The add message lies over the list's foot, its scroll bar's down arrow
    // with it: it holds, fades and is then hidden, and until then (however
    // faint) a press there meets the message. Gone when the foot reads as
    // before the add.
    const ScreenArea foot = windowArea(5, 574, 400, 24);
    press("add button");
    ASSERT_TRUE(requests("/app/link/getLinks.php", 1)) << "add (of the ticked row) started no download";
    ASSERT_TRUE(readsAgain(foot)) << "the add message stayed";
    before = rows();
    press("result list scroll bar");
    EXPECT_TRUE(changes(before)) << "the scroll bar's arrow did not scroll the list";

    // ---- download page ----
    before = windowArea(5, 86, 400, 500);
    press("tab download");
    EXPECT_TRUE(changes(before)) << "the download tab showed no other page";
    ASSERT_TRUE(settled(5, 86, 400, 500));
    // The transfer runs: pause stops it, start resumes it from the partial file.
    ASSERT_TRUE(quorvo::test::waitFor([&] {
        for (const auto& entry : m_server.requestLog()) {
            if (entry.path().starts_with("/data2/music/"))
                return true;
        }
        return false;
    }));
    before = windowArea(15, 91, 20, 20);
    press("pause");
    EXPECT_TRUE(changes(before)) << "pause did not stop the download (start stays disabled)";
    const std::size_t transfers = [&] {
        std::size_t count = 0;
        for (const auto& entry : m_server.requestLog())
            count += entry.path().starts_with("/data2/music/") ? 1 : 0;
        return count;
    }();
    ASSERT_TRUE(settled(15, 91, 70, 20));
    press("start");
    EXPECT_TRUE(quorvo::test::waitFor([&] {
        std::size_t count = 0;
        bool resumed = false;
        for (const auto& entry : m_server.requestLog()) {
            if (entry.path().starts_with("/data2/music/")) {
                ++count;
                resumed = resumed || (count > transfers && entry.header("Range"));
            }
        }
        return resumed;
    })) << "start did not resume the download";

    before = windowArea(65, 91, 20, 20);
    press("download list");
    EXPECT_TRUE(changes(before)) << "ticking the download row did not enable delete";
    auto others = otherWindows();
    press("delete");
    unsigned long box = newWindow(others);
    EXPECT_NE(box, 0u) << "delete asked nothing";
    if (box != 0) {
        EXPECT_TRUE(dismiss(box)) << "Escape did not close the delete question";
    }

    press("open folder");
    EXPECT_TRUE(quorvo::test::waitFor([&] { return opened().find(saveDirectory()) != std::string::npos; }))
        << "open folder opened nothing: " << opened();
    others = otherWindows();
    press("copy to");
    box = newWindow(others);
    EXPECT_NE(box, 0u) << "copy to showed no message";
    if (box != 0) {
        EXPECT_TRUE(dismiss(box)) << "Escape did not close the copy-to message";
    }

    // ---- settings page ----
    before = windowArea(5, 86, 400, 500);
    press("tab settings");
    EXPECT_TRUE(changes(before)) << "the settings tab showed no other page";
    ASSERT_TRUE(settled(5, 86, 400, 500));

    others = otherWindows();
    press("folder box", "3");
    unsigned long menu = newWindow(others);
    EXPECT_NE(menu, 0u) << "the folder box has no context menu";
    if (menu != 0) {
        EXPECT_TRUE(dismiss(menu)) << "Escape did not close the context menu";
    }
    others = otherWindows();
    press("browse button");
    const unsigned long picker = newWindow(others);
    EXPECT_NE(picker, 0u) << "browse showed no folder picker";
    if (picker != 0) {
        const std::string kept = config();
        // Its "取消" button.
        clickIn(picker, 247, 354);
        EXPECT_TRUE(gone(picker)) << "取消 did not close the picker";
        EXPECT_EQ(config(), kept);
    }

    others = otherWindows();
    press("naming scheme");
    const unsigned long dropDown = newWindow(others);
    EXPECT_NE(dropDown, 0u) << "the naming scheme opened no list";
    if (dropDown != 0) {
        const auto place = m_desktop->place(dropDown);
        ASSERT_TRUE(place);
        // The third of four items, "歌曲".
        ASSERT_EQ(
            m_desktop->xdotool({"mousemove", "--window", std::to_string(dropDown), std::to_string(place->width / 2),
                                std::to_string(place->height * 5 / 8), "click", "1"}),
            0);
        EXPECT_TRUE(configHas("sType=2")) << config();
    }

    press("lyrics");
    EXPECT_TRUE(configHas("lrc=0")) << config();
    press("lyrics into the song file");
    EXPECT_TRUE(configHas("embedLrc=1")) << config();
    press("sound thunder");
    EXPECT_TRUE(configHas("wav=2")) << config();
    press("sound none");
    EXPECT_TRUE(configHas("wav=0")) << config();
    press("sound whirlwind");
    EXPECT_TRUE(configHas("wav=1")) << config();
    std::uintmax_t played = soundBytes();
    press("play 1");
    EXPECT_TRUE(quorvo::test::waitFor([&] { return soundBytes() > played; })) << "play 1 played nothing";
    ASSERT_TRUE(quorvo::test::waitFor([&] {
        const auto now = soundBytes();
        const bool still = now == played;
        played = now;
        return still;
    }));
    press("play 2");
    EXPECT_TRUE(quorvo::test::waitFor([&] { return soundBytes() > played; })) << "play 2 played nothing";
    press("bypass");
    EXPECT_TRUE(configHas("bypass=1")) << config();
    press("remove added");
    EXPECT_TRUE(configHas("delete=1")) << config();

    press("speed box");
    key("End");
    type("5");
    EXPECT_TRUE(configHas("speed=25")) << "typing into the speed box: " << config();
    // Each spin button against the value before it: one step down, one up.
    const auto speed = [&] {
        const std::string text = config();
        const auto at = text.find("\nspeed=");
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 7);
    };
    int was = speed();
    press("speed down");
    EXPECT_TRUE(configHas("speed=" + std::to_string(was - 1))) << "the down spin button: " << config();
    was = speed();
    press("speed up");
    EXPECT_TRUE(configHas("speed=" + std::to_string(was + 1))) << "the up spin button: " << config();

    press("version link");
    EXPECT_TRUE(quorvo::test::waitFor([&] { return opened().find("README") != std::string::npos; }))
        << "the version link opened nothing: " << opened();

    before = windowArea(5, 86, 400, 500);
    press("tab search");
    EXPECT_TRUE(changes(before)) << "the search tab showed no other page";

    // ---- caption ----
    others = otherWindows();
    press("caption menu button");
    menu = newWindow(others);
    EXPECT_NE(menu, 0u) << "the menu button showed no menu";
    if (menu != 0) {
        EXPECT_TRUE(dismiss(menu)) << "Escape did not close the menu";
    }

    // No tray here: minimise asks the window manager to iconify the window.
    m_desktop->watchRoot();
    press("caption minimise button");
    EXPECT_TRUE(quorvo::test::waitFor([&] { return m_desktop->rootMessages("WM_CHANGE_STATE") > 0; }))
        << "minimise asked for nothing";
    if (GetParam() == XDesktop::Manager::Openbox) {
        EXPECT_TRUE(gone(m_window)) << "openbox did not iconify the window";
        ASSERT_EQ(m_desktop->xdotool({"windowactivate", "--sync", std::to_string(m_window)}), 0);
        ASSERT_TRUE(quorvo::test::waitFor([&] { return m_desktop->place(m_window).has_value(); }));
        ASSERT_TRUE(settled(115, 41, 180, 45));
    }

    // Close: with the download still running it asks first; "是的" (the default) ends the program.
    others = otherWindows();
    press("caption close button");
    unsigned long question = 0;
    ASSERT_TRUE(quorvo::test::waitFor([&] {
        for (const unsigned long window : otherWindows()) {
            if (std::ranges::find(others, window) == others.end())
                question = window;
        }
        return question != 0 || !m_quorvo->running();
    })) << "close did nothing";
    if (question != 0) {
        m_desktop->xdotool({"windowfocus", "--sync", std::to_string(question)});
        m_desktop->xdotool({"key", "Return"});
    }
    const auto status = m_quorvo->waitForExit(limit);
    ASSERT_TRUE(status.has_value()) << "the program did not end";
    EXPECT_EQ(*status, 0) << errors();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ControlSweep, ::testing::Values(XDesktop::Manager::None, XDesktop::Manager::Openbox),
                         managerName);
INSTANTIATE_TEST_SUITE_P(Desktops, ControlSweepAtScale2, ::testing::Values(XDesktop::Manager::None), managerName);

}  // namespace
}  // namespace quorvo::app::test
