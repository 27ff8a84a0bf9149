// Tooltips on a bare X server (no window manager), read back from the
// screen: the tip lies over its window, and neither the window nor a menu
// under it loses the keyboard. Skipped without Xvfb or xdotool.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "ui/controls/UiLabel.h"
#include "ui/controls/UiMenu.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace quorvo::ui::test {
namespace {

using namespace std::chrono_literals;
using platform::test::XvfbServer;

class TooltipX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = XvfbServer::startWithXdotool(whyNot); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << whyNot;
        server->useForSdl();
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
        display = XOpenDisplay(server->display().c_str());
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override
    {
        if (display != nullptr)
            XCloseDisplay(display);
        framework.reset();
    }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 5s)
    {
        return quorvo::test::pumpUntil(
            done,
            [this] {
                framework->processPending();
                std::this_thread::sleep_for(2ms);
            },
            limit);
    }

    // What the X server shows at a screen point (0xRRGGBB).
    unsigned long screenPixel(IntPoint at)
    {
        XImage* image = XGetImage(display, DefaultRootWindow(display), at.x, at.y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    // The place of the mapped top-level window with these bounds in the
    // stacking order (higher is nearer the viewer); -1 when none.
    int stackingIndex(IntRect bounds)
    {
        ::Window root = 0;
        ::Window parent = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
            return -1;
        int found = -1;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes {};
            if (XGetWindowAttributes(display, children[i], &attributes) != 0 && attributes.map_state == IsViewable
                && attributes.x == bounds.x && attributes.y == bounds.y && attributes.width == bounds.width
                && attributes.height == bounds.height)
                found = static_cast<int>(i);
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    UiHost& makeFocusedHost(std::unique_ptr<UiHost>& holder)
    {
        HostOptions options;
        options.captionFlags = 0;
        options.position = IntPoint {100, 100};
        options.width = 300;
        options.height = 200;
        options.frameStyle = 0;
        options.backgroundColour = 0x00C68630;
        holder = std::make_unique<UiHost>(*framework, options);
        holder->show();
        framework->loop().setFocus(holder->window());
        EXPECT_TRUE(pumpUntil([&] { return framework->loop().focusedWindow() == holder->window(); }));
        return *holder;
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNot;
    std::unique_ptr<UiFramework> framework;
    Display* display = nullptr;
};

// The tip's paper colour, 255 255 225.
constexpr unsigned long tipColour = 0xFFFFE1;

TEST_F(TooltipX11Test, ATipShowsOverItsWindowWhichKeepsTheKeyboard)
{
    std::unique_ptr<UiHost> holder;
    UiHost& host = makeFocusedHost(holder);
    auto& label = host.add<UiLabel>(FloatRect {20, 20, 200, 100}, Text("label"));
    int deactivations = 0;
    host.onMessage = [&](const WindowRequest& request) {
        deactivations += request.kind == WindowRequestKind::Deactivate ? 1 : 0;
        return notHandled;
    };
    host.updateTooltip(&label, Text("a tip over the window"));
    host.popUpTooltip();
    ASSERT_TRUE(host.isTooltipShown());
    const IntRect tip = framework->loop().bounds(host.tooltipWindow());
    const IntPoint inside {tip.x + tip.width / 2, tip.y + tip.height / 2};
    ASSERT_TRUE((IntRect {100, 100, 300, 200}).contains(inside)) << "the tip lies over its window";
    EXPECT_TRUE(pumpUntil([&] { return screenPixel(inside) == tipColour; }, 3s))
        << "the screen shows " << std::hex << screenPixel(inside) << " where the tip is";
    XSync(display, False);
    EXPECT_GT(stackingIndex(tip), stackingIndex(framework->loop().bounds(host.window())))
        << "the window lies over its tip";
    EXPECT_EQ(framework->loop().focusedWindow(), host.window());
    EXPECT_EQ(deactivations, 0) << "showing the tip took the keyboard from the window";
}

TEST_F(TooltipX11Test, AMenuStaysOpenWhileATipShowsOverIt)
{
    std::unique_ptr<UiHost> holder;
    UiHost& owner = makeFocusedHost(holder);
    UiMenu menu;
    menu.addItem(MenuItem {.caption = Text("first"), .commandId = 100});
    menu.addItem(MenuItem {.caption = Text("second"), .commandId = 101});
    bool tipShown = false;
    bool survived = false;
    // Runs inside the menu's loop, once the menu is shown.
    const auto probe = [&](UiHost& window) {
        if (!pumpUntil([&] { return framework->loop().focusedWindow() == window.window(); }))
            return;
        window.updateTooltip(window.controls().front().get(), Text("the item's tip"));
        window.popUpTooltip();
        tipShown = window.isTooltipShown();
        const IntRect tip = framework->loop().bounds(window.tooltipWindow());
        // The menu must still be there once the tip is on the screen and the
        // focus events of showing it (if any) were handled.
        pumpUntil(
            [&] {
                return !window.isAlive() || screenPixel({tip.x + tip.width / 2, tip.y + tip.height / 2}) == tipColour;
            },
            3s);
        for (int turn = 0; turn < 20 && window.isAlive(); ++turn) {
            XSync(display, False);
            framework->processPending();
            std::this_thread::sleep_for(5ms);
        }
        survived = window.isAlive() && menu.isOpen();
    };
    menu.onPopup = [&](UiHost& window) {
        framework->dispatcher().post([&] {
            probe(window);
            menu.close();
        });
    };
    menu.showAt(owner, {150, 150});
    EXPECT_TRUE(tipShown);
    EXPECT_TRUE(survived) << "the menu closed by itself when its tip showed";
}

}  // namespace
}  // namespace quorvo::ui::test
