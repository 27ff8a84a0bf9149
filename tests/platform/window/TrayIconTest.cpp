// The system tray icon against a real tray: trayer on a private Xvfb. Skipped
// when Xvfb, trayer or xdotool is missing.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "platform/window/EventLoop.h"
#include "platform/window/TrayIcon.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quorvo::platform::test {
namespace {

using namespace std::chrono_literals;

class TrayIconTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = XvfbServer::startWithXdotoolAndTrayer(whyNot); }

    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server->useForSdl();
        std::string error;
        loop = EventLoop::create(&error);
        ASSERT_TRUE(loop) << error;
        WindowOptions options;
        options.position = IntPoint {100, 100};
        owner = loop->createWindow(options);
        ASSERT_TRUE(owner);
        loop->setWindowHandler(owner, [this](const WindowEvent& event) {
            if (const auto* release = std::get_if<TrayIconReleased>(&event)) {
                notifications.push_back(*release);
            } else if (std::holds_alternative<CloseRequested>(event)) {
                loop->close(owner);
            }
        });
        icon = PixelBuffer(16, 16);
        icon.fill(0xFF20A040);
    }

    void TearDown() override { loop.reset(); }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 5s)
    {
        return quorvo::test::pumpUntil(
            done,
            [this] {
                loop->processPending();
                std::this_thread::sleep_for(5ms);
            },
            limit);
    }

    static std::unique_ptr<BackgroundProgram> startTray()
    {
        return BackgroundProgram::start({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                         "--width", "100", "--height", "24"});
    }

    // trayer takes the tray selection a moment after it starts.
    bool addOnceTheTrayIsUp()
    {
        return pumpUntil([&] { return loop->addTrayIcon(owner, icon.view(), "Quorvo"); }, 10s);
    }

    void clickIcon(const char* button)
    {
        const auto bounds
            = settledIconBounds([&] { return loop->trayIconBounds(owner); }, [&] { loop->processPending(); }, 10s);
        ASSERT_TRUE(bounds);
        const int x = bounds->x + bounds->width / 2;
        const int y = bounds->y + bounds->height / 2;
        bool finished = false;
        std::jthread driver([&] {
            EXPECT_EQ(runProgram({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", button}), 0);
            loop->post([&] { finished = true; });
        });
        EXPECT_TRUE(pumpUntil([&] { return finished; }));
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNot;
    std::unique_ptr<EventLoop> loop;
    WindowId owner;
    PixelBuffer icon;
    std::vector<TrayIconReleased> notifications;
};

TEST_F(TrayIconTest, WithoutATrayAddFailsAndTheWindowStays)
{
    std::string whyNot;
    EXPECT_FALSE(loop->addTrayIcon(owner, icon.view(), "Quorvo", &whyNot));
    EXPECT_FALSE(whyNot.empty());
    EXPECT_FALSE(loop->isTrayIconDocked(owner));
    EXPECT_FALSE(loop->removeTrayIcon(owner));
    EXPECT_TRUE(loop->isWindow(owner));
}

TEST_F(TrayIconTest, IconDocksAndReleasesOnItReachTheOwner)
{
    const auto tray = startTray();
    ASSERT_TRUE(tray);
    ASSERT_TRUE(addOnceTheTrayIsUp());
    EXPECT_FALSE(loop->addTrayIcon(owner, icon.view(), "Quorvo")) << "one icon per window";
    ASSERT_TRUE(pumpUntil([&] { return loop->isTrayIconDocked(owner); }));
    ASSERT_TRUE(settledIconBounds([&] { return loop->trayIconBounds(owner); }, [&] { loop->processPending(); }, 10s))
        << "the tray grants the icon a usable size";

    clickIcon("1");
    ASSERT_TRUE(pumpUntil([&] { return !notifications.empty(); }));
    EXPECT_EQ(notifications[0].button, MouseButton::Left);

    clickIcon("3");
    ASSERT_TRUE(pumpUntil([&] { return notifications.size() >= 2; }));
    EXPECT_EQ(notifications[1].button, MouseButton::Right);
    EXPECT_EQ(notifications.size(), 2u) << "presses are not reported, only releases";

    EXPECT_TRUE(loop->removeTrayIcon(owner));
    EXPECT_FALSE(loop->isTrayIconDocked(owner));
}

TEST_F(TrayIconTest, TrayQuittingShowsTheHiddenOwnerAgain)
{
    auto tray = startTray();
    ASSERT_TRUE(tray);
    ASSERT_TRUE(addOnceTheTrayIsUp());
    ASSERT_TRUE(pumpUntil([&] { return loop->isTrayIconDocked(owner); }));
    const std::vector<std::string> findIcon {"xdotool", "search", "--onlyvisible", "--name", "^Quorvo hidden$"};
    EXPECT_TRUE(loop->setTrayIconTooltip(owner, "Quorvo hidden"));
    EXPECT_TRUE(programOutput(findIcon)) << "the docked icon is named by its tooltip";
    loop->hide(owner);
    ASSERT_FALSE(loop->isVisible(owner));

    tray.reset();
    EXPECT_TRUE(pumpUntil([&] { return loop->isVisible(owner); })) << "the window would be out of reach";
    EXPECT_FALSE(loop->isTrayIconDocked(owner));
}

TEST_F(TrayIconTest, AKeptIconDocksInATrayStartedLaterAndInTheNextOne)
{
    ASSERT_TRUE(loop->keepTrayIcon(owner, icon.view(), "Quorvo"));
    EXPECT_FALSE(loop->isTrayIconDocked(owner)) << "no tray runs yet";
    // A window made meanwhile (a menu, a tooltip) must not stop the watch.
    WindowOptions popup;
    popup.kind = WindowKind::Popup;
    ASSERT_TRUE(loop->createWindow(popup));
    auto tray = startTray();
    ASSERT_TRUE(tray);
    ASSERT_TRUE(pumpUntil([&] { return loop->isTrayIconDocked(owner); }, 15s))
        << "the icon did not dock in the tray started after it";

    tray.reset();
    ASSERT_TRUE(pumpUntil([&] { return !loop->isTrayIconDocked(owner); }, 10s));
    tray = startTray();
    ASSERT_TRUE(tray);
    ASSERT_TRUE(pumpUntil([&] { return loop->isTrayIconDocked(owner); }, 15s)) << "not again in the next tray";

    EXPECT_TRUE(loop->removeTrayIcon(owner));
    EXPECT_FALSE(loop->isTrayIconDocked(owner));
}

TEST(TrayTooltip, IsCutTo127BytesNeverInsideACharacter)
{
    EXPECT_EQ(TrayIcon::cutTooltip(Text(std::string(200, 'a'))).size(), 127u);
    EXPECT_EQ(TrayIcon::cutTooltip("Quorvo"), Text("Quorvo"));
    // 126 ASCII bytes and then a two-byte character: it does not fit whole.
    const Text cut = TrayIcon::cutTooltip(Text(std::string(126, 'a')) + encoding::fromUtf8("歌"));
    EXPECT_EQ(cut, Text(std::string(126, 'a')));
}

}  // namespace
}  // namespace quorvo::platform::test
