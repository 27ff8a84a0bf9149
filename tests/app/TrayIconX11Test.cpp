// The window's tray icon on a real host against a real tray (trayer on a
// private Xvfb): clicks on the icon reach the host's hook as typed requests
// and become the window's behaviour. Skipped without Xvfb, xdotool or trayer.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "app/TrayIcon.h"
#include "assets/Assets.h"
#include "gfx/Image.h"
#include "platform/window/Pixels.h"
#include "runtime/Encoding.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
    static void SetUpTestSuite() { server = XvfbServer::startWithXdotoolAndTrayer(whyNot); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << whyNot;
        server->useForSdl();
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
    }
    void TearDown() override { framework.reset(); }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 10s)
    {
        return quorvo::test::pumpUntil(
            done,
            [this] {
                framework->processPending();
                std::this_thread::sleep_for(2ms);
            },
            limit);
    }

    // trayer along the top edge, its panel `height` device pixels high.
    static std::unique_ptr<BackgroundProgram> startTrayer(int height)
    {
        return BackgroundProgram::start({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                                         "--width", "200", "--height", std::to_string(height)});
    }
    // The icon's place once the tray has laid it out.
    std::optional<IntRect> settledBounds(const UiHost& host)
    {
        return platform::test::settledIconBounds([&] { return framework->loop().trayIconBounds(host.window()); },
                                                 [&] { framework->processPending(); }, 10s);
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
    const auto tray = startTrayer(24);
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
    const auto bounds = settledBounds(host);
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

// On a HiDPI desktop the tray's socket is measured in device pixels.
class ScaledTrayIconTest : public TrayIconTest {
protected:
    void SetUp() override
    {
        ::setenv("QUORVO_SCALE", "2", 1);
        TrayIconTest::SetUp();
    }
    void TearDown() override
    {
        TrayIconTest::TearDown();
        ::unsetenv("QUORVO_SCALE");
    }
};

// The pixels of the X window named `name` (no window manager: each window
// keeps its own contents on Xvfb), 0xRRGGBB, row by row.
std::vector<std::uint32_t> windowPixels(const std::string& name, int& width, int& height)
{
    const auto info = platform::test::programOutput({"xwininfo", "-name", name});
    const std::string marker = "Window id: ";
    if (!info || info->find(marker) == std::string::npos)
        return {};
    const unsigned long id = std::stoul(info->substr(info->find(marker) + marker.size()), nullptr, 16);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return {};
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, id, &attributes);
    width = attributes.width;
    height = attributes.height;
    std::vector<std::uint32_t> pixels;
    if (XImage* image = XGetImage(display, id, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap)) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixels;
}

// The icon asks for a socket at the device scale, and the tray's socket
// (trayer: the icon's width, the panel's height) shows the committed picture
// nearest above its size, resampled into a centred square, not one picture
// stretched to the socket's shape.
TEST_F(ScaledTrayIconTest, TheIconFillsItsDeviceSizedSocketWithTheBestCommittedPictureUnstretched)
{
    ASSERT_EQ(framework->loop().scale(), 2);
    ui::HostOptions options;
    options.title = "Quorvo";
    UiHost host(*framework, options);
    const auto tray = startTrayer(64);
    ASSERT_TRUE(tray);
    RecordingShell shell;
    TrayIcon icon(shell);
    shell.tray = &icon;
    const std::string name = "quorvo-scaled-tray";
    ASSERT_TRUE(icon.keep(host, Text(name)));
    ASSERT_TRUE(pumpUntil([&] { return icon.isDocked(); }));
    ASSERT_TRUE(settledBounds(host));

    // 44 (22 at scale 2) wide, the panel's height less its border high: the
    // picture is icon_48.png brought down to 44 × 44 in the middle.
    const gfx::Image committed = gfx::loadImage(assets::asStringView(assets::find("icon_48.png")));
    ASSERT_FALSE(committed.isNull());
    const gfx::Surface& frame = committed.activeFrame();
    const platform::PixelBuffer expected
        = platform::resampled({frame.data(), frame.pixelWidth(), frame.pixelHeight(), frame.stride()}, 44, 44);
    constexpr std::uint32_t backdrop = 0x404040;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> shown;
    // The tray maps the socket before it has its last size: read once the picture is drawn at it.
    ASSERT_TRUE(pumpUntil([&] {
        shown = windowPixels(name, width, height);
        return width == 44 && height > 44 && !shown.empty()
            && shown[static_cast<std::size_t>((height / 2) * width + width / 2)] != backdrop;
    })) << "socket "
        << width << " x " << height;
    const int top = (height - 44) / 2;
    int differing = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inside = y >= top && y < top + 44;
            const std::uint32_t want
                = inside ? platform::composeOverOpaque(expected.at(x, y - top), backdrop) & 0xFFFFFFu : backdrop;
            if (shown[static_cast<std::size_t>(y * width + x)] != want)
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace quorvo::app
