// The program as a user meets it: quorvo on its own X desktop (bare Xvfb and
// openbox) against the reference service, driven with xdotool, its pages
// photographed from the screen into the build tree (app-screenshots/x11-*.png).
// Skipped with a message where Xvfb, xdotool or openbox is missing.

#include "QuorvoOnX.h"

namespace quorvo::app::test {
namespace {

// A pixel of `area` that is bright red (the failed row's text), not the dark
// red of the other rows.
bool hasBrightRed(const ScreenArea& picture, int left, int top, int width, int height)
{
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            const std::uint32_t colour = picture.at(x, y);
            const int red = static_cast<int>(colour >> 16 & 0xFF);
            const int green = static_cast<int>(colour >> 8 & 0xFF);
            if (red > 220 && green < 150)
                return true;
        }
    }
    return false;
}

std::string suffix(XDesktop::Manager manager)
{
    return manager == XDesktop::Manager::Openbox ? "-openbox" : "";
}

using GuiEndToEnd = QuorvoOnX;

TEST_P(GuiEndToEnd, ChineseQuerySearchesOnceInGbkThenPagesShowResultsDownloadsAndSettings)
{
    // Downloads held at 150 KB/s so that they are still running for the pictures.
    start("[Main]\npath=" + saveDirectory() + "\nsType=0\nlrc=1\nwav=0\nbypass=1\ndelete=0\nspeed=150\n");
    // The search box has the focus at start; xdotool types through a spare
    // keycode mapped to each character's keysym, which arrives as text input.
    type("你好");
    key("Return");
    ASSERT_TRUE(searched(1));
    auto searches = m_server.requestsTo(searchPath);
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_NE(searches[0].target.find("query=%C4%E3%BA%C3&"), std::string::npos) << searches[0].target;

    // A song whose link reply is not JSON: its download row turns red.
    click(200, 102);
    for (int i = 0; i < 2; ++i)
        key("BackSpace");
    type("Broken Link Html");
    key("Return");
    ASSERT_TRUE(searched(2));
    click(32, 622);   // 全选
    click(100, 620);  // the add button
    const bool added = requests("/app/link/getLinks.php", 1);
    if (!added)
        savePicture(windowArea(0, 0, 410, 650), "failed-add" + suffix(GetParam()));
    ASSERT_TRUE(added) << m_server.requestLogText();

    // Sixty results, all ticked and added.
    click(200, 102);
    for (int i = 0; i < 16; ++i)
        key("BackSpace");
    type("a");
    key("Return");
    ASSERT_TRUE(searched(3));
    const ScreenArea search = windowArea(0, 0, 410, 650);
    savePicture(search, "search" + suffix(GetParam()));
    click(32, 622);
    click(100, 620);
    // A song file is being fetched.
    ASSERT_TRUE(quorvo::test::waitFor([&] {
        for (const auto& entry : m_server.requestLog()) {
            if (entry.path().starts_with("/data2/music/"))
                return true;
        }
        return false;
    }));

    ScreenArea before = windowArea(5, 86, 400, 500);
    click(205, 63);  // 下载
    ASSERT_TRUE(changes(before));
    // The failed row is the first one, drawn red; the next is not.
    ASSERT_TRUE(quorvo::test::waitFor([&] { return hasBrightRed(windowArea(0, 0, 410, 650), 20, 117, 360, 18); }))
        << "the failed row is not red";
    const ScreenArea downloads = windowArea(0, 0, 410, 650);
    savePicture(downloads, "download" + suffix(GetParam()));
    EXPECT_FALSE(hasBrightRed(downloads, 20, 140, 360, 18));

    before = windowArea(5, 86, 400, 500);
    click(265, 63);  // 设置
    ASSERT_TRUE(changes(before));
    ASSERT_TRUE(settled(5, 86, 400, 500));
    const ScreenArea settings = windowArea(0, 0, 410, 650);
    savePicture(settings, "settings" + suffix(GetParam()));
    // The browse button opens the window's own folder picker over it;
    // "取消" leaves the stored folder as it was.
    const auto others = otherWindows();
    click(356, 148);
    const unsigned long picker = newWindow(others);
    ASSERT_NE(picker, 0u) << "no picker on the screen";
    const auto place = m_desktop->place(picker);
    ASSERT_TRUE(place);
    savePicture(m_desktop->capture(place->left, place->top, place->width, place->height),
                "folder-picker" + suffix(GetParam()));
    const std::string kept = config();
    ASSERT_EQ(m_desktop->xdotool({"mousemove", "--window", std::to_string(picker), "247", "354", "click", "1"}), 0);
    EXPECT_TRUE(quorvo::test::waitFor([&] { return !m_desktop->place(picker); }));
    EXPECT_EQ(config(), kept);
    EXPECT_NE(search, downloads);
    EXPECT_NE(downloads, settings);

    // One request per search, none from page switching.
    EXPECT_EQ(m_server.requestsTo(searchPath).size(), 3u);
    // SIGTERM ends it as closing does, without the question.
    EXPECT_TRUE(m_quorvo->running());
    EXPECT_EQ(m_quorvo->stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, GuiEndToEnd, ::testing::Values(XDesktop::Manager::None, XDesktop::Manager::Openbox),
                         managerName);

}  // namespace
}  // namespace quorvo::app::test
