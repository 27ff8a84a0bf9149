// The window's tray icon on a real host against a real tray (trayer on a
// private Xvfb): clicks on the icon reach the host's hook as typed requests
// and become the window's behaviour. Skipped without Xvfb, xdotool or trayer.

#include "XvfbServer.h"

#include "app/TrayIcon.h"
#include "runtime/Encoding.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
using platform::test::BackgroundProgram;
using platform::test::runProgram;
using platform::test::XvfbServer;
using ui::EventType;
using ui::UiFramework;
using ui::UiHost;
using ui::WindowRequest;
using ui::WindowRequestKind;

// The window as the tray's clicks reach it; hidden and shown in name only.
class RecordingShell final : public WindowShell {
public:
    bool isWindowVisible() const override { return m_visible; }
    void hideWindow() override
    {
        m_visible = false;
        log.push_back("hide");
    }
    void showWindow() override
    {
        m_visible = true;
        log.push_back("show");
    }
    void minimiseWindow() override { log.push_back("minimise"); }
    bool hasTrayHost() const override { return tray && tray->isDocked(); }
    void setFirstMenuCaption(const Text& caption) override
    {
        log.push_back("caption " + encoding::toUtf8(caption.view()));
    }
    void popUpMenu() override { log.push_back("menu"); }
    void openAuthorPage() override { }
    void requestClose() override { }
    void removeTrayIcon() override { }
    void quitLoop() override { }

    const TrayIcon* tray = nullptr;
    std::vector<std::string> log;

private:
    bool m_visible = true;
};

class TrayIconTest : public ::testing::Test {
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

TEST_F(TrayIconTest, ClicksOnTheKeptIconHideShowAndOpenTheMenu)
{
    ui::HostOptions options;
    options.title = "Quorvo";
    UiHost host(*framework, options);
    const auto tray = BackgroundProgram::start(
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height", "24"});
    ASSERT_TRUE(tray);

    // Built as the main window builds it: the icon's clicks go to the tray icon.
    RecordingShell shell;
    TrayIcon icon(shell);
    shell.tray = &icon;
    std::vector<EventType> seen;
    host.onMessage = [&](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::TrayNotification) {
            seen.push_back(request.trayEvent);
            if (request.trayEvent == EventType::MouseUp)
                icon.clicked(TrayClick::Left);
            else if (request.trayEvent == EventType::RightMouseUp)
                icon.clicked(TrayClick::Right);
        }
        return ui::notHandled;
    };
    // Kept: docks as soon as trayer has taken the tray selection.
    ASSERT_TRUE(icon.keep(host, Text(std::string(200, 't'))));
    ASSERT_TRUE(pumpUntil([&] { return icon.isDocked(); }));
    const auto bounds = platform::test::settledIconBounds(
        [&] { return framework->loop().trayIconBounds(host.window()); }, [&] { framework->processPending(); }, 10s);
    ASSERT_TRUE(bounds);

    click(*bounds, "1");
    ASSERT_TRUE(pumpUntil([&] { return !shell.log.empty(); }));
    click(*bounds, "1");
    click(*bounds, "3");
    ASSERT_TRUE(pumpUntil([&] { return seen.size() >= 3; }));
    EXPECT_EQ(seen, (std::vector<EventType> {EventType::MouseUp, EventType::MouseUp, EventType::RightMouseUp}));
    EXPECT_EQ(shell.log, (std::vector<std::string> {"hide", "show", "caption 隐藏窗口", "menu"}));

    icon.remove();
    EXPECT_FALSE(icon.isDocked());
    // The owner can put its icon back in.
    EXPECT_TRUE(icon.keep(host, "Quorvo"));
    EXPECT_TRUE(pumpUntil([&] { return icon.isDocked(); }));
}

}  // namespace
}  // namespace quorvo::app
