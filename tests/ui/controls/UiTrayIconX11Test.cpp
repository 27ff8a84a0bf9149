// The tray icon of a real host against a real tray (trayer on a private
// Xvfb): clicks on the icon reach the host's hook as typed requests. Skipped
// without Xvfb, xdotool or trayer.

#include "XvfbServer.h"

#include "ui/controls/UiTrayIcon.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "assets/Assets.h"
#include "platform/window/EventLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quorvo::ui::test {
namespace {

using namespace std::chrono_literals;
using platform::test::BackgroundProgram;
using platform::test::runProgram;
using platform::test::XvfbServer;

class UiTrayIconTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = XvfbServer::start(whyNot);
        if (server) {
            ::setenv("DISPLAY", server->display().c_str(), 1);
            if (runProgram({"sh", "-c", "command -v xdotool >/dev/null && command -v trayer >/dev/null"}) != 0) {
                server.reset();
                whyNot = "xdotool and trayer are needed for the tray test";
            }
        }
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << whyNot;
        ::setenv("DISPLAY", server->display().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
    }
    void TearDown() override { framework.reset(); }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 10s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            framework->processPending();
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    void click(const IntRect& icon, const char* button)
    {
        bool finished = false;
        std::jthread driver([&] {
            EXPECT_EQ(runProgram({"xdotool", "mousemove", std::to_string(icon.x + icon.width / 2),
                                  std::to_string(icon.y + icon.height / 2), "click", button}),
                      0);
            framework->loop().post([&] { finished = true; });
        });
        EXPECT_TRUE(pumpUntil([&] { return finished; }));
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNot;
    std::unique_ptr<UiFramework> framework;
};

TEST_F(UiTrayIconTest, ReleasesOnTheIconReachTheOwnerAsTypedTrayNotifications)
{
    HostOptions options;
    options.title = "Quorvo";
    UiHost host(*framework, options);
    std::vector<EventType> seen;
    host.onMessage = [&](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::TrayNotification)
            seen.push_back(request.trayEvent);
        return notHandled;
    };
    const auto tray = BackgroundProgram::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"});
    ASSERT_TRUE(tray);
    const gfx::Image picture = gfx::loadImage(assets::asStringView(assets::find("icon_16.png")));
    ASSERT_FALSE(picture.isNull());

    UiTrayIcon icon;
    // trayer takes the tray selection a moment after it starts.
    ASSERT_TRUE(pumpUntil([&] { return icon.add(host, Text(std::string(200, 't')), picture); }));
    EXPECT_EQ(icon.tooltip().size(), 127u);
    EXPECT_FALSE(icon.add(host, "again")) << "one icon per window";
    ASSERT_TRUE(pumpUntil([&] { return icon.isDocked(); }));
    const auto bounds = platform::test::settledIconBounds(
        [&] { return framework->loop().trayIconBounds(host.window()); }, [&] { framework->processPending(); }, 10s);
    ASSERT_TRUE(bounds);

    click(*bounds, "1");
    click(*bounds, "3");
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, (std::vector<EventType> {EventType::MouseUp, EventType::RightMouseUp}));

    EXPECT_TRUE(icon.remove());
    EXPECT_FALSE(icon.isDocked());
    EXPECT_FALSE(icon.remove());
    // The record is free again: the same owner can put its icon back in.
    EXPECT_TRUE(icon.add(host, "Quorvo"));
    EXPECT_TRUE(pumpUntil([&] { return icon.isDocked(); }));
}

}  // namespace
}  // namespace quorvo::ui::test
