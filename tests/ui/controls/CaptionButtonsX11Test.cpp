// Caption buttons on a real X server. Xvfb runs no window manager to iconify
// a window, so the test sets the state one would (_NET_WM_STATE_HIDDEN), which
// is what SDL reads as minimised. Skipped without Xvfb or xdotool.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "ui/controls/UiCaptionButtons.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace quorvo::ui::test {
namespace {

using namespace std::chrono_literals;

// What a window manager does when it iconifies a window.
bool markHidden(const std::string& title)
{
    const auto found = platform::test::programOutput({"xdotool", "search", "--name", "^" + title + "$"});
    if (!found || found->empty())
        return false;
    const auto window = static_cast<Window>(std::stoul(*found));
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display)
        return false;
    const Atom hidden = XInternAtom(display.get(), "_NET_WM_STATE_HIDDEN", False);
    XChangeProperty(display.get(), window, XInternAtom(display.get(), "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&hidden), 1);
    XSync(display.get(), False);
    return true;
}

TEST(CaptionButtonsX11, MinimiseOnAMinimisedWindowPostsNothing)
{
    std::string whyNot;
    const auto server = platform::test::XvfbServer::startWithXdotool(whyNot);
    if (!server)
        GTEST_SKIP() << whyNot;
    server->useForSdl();
    std::string error;
    auto framework = UiFramework::create(&error);
    ASSERT_TRUE(framework) << error;
    installCaptionButtons(*framework);

    HostOptions options;
    options.title = "caption-minimise";
    options.width = 300;
    options.height = 120;
    options.captionFlags = caption::Minimise | caption::Close;
    UiHost host(*framework, options);
    host.show();
    int minimiseRequests = 0;
    host.onMessage = [&](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::Minimise) {
            ++minimiseRequests;
            return 0;
        }
        return notHandled;
    };
    UiCaptionButtons* minimise = nullptr;
    for (UiControl* control : host.captionButtons()) {
        auto* button = dynamic_cast<UiCaptionButtons*>(control);
        if (button != nullptr && button->buttonKind() == CaptionButtonKind::Minimise)
            minimise = button;
    }
    ASSERT_NE(minimise, nullptr);
    const auto turn = [&] {
        framework->processPending();
        std::this_thread::sleep_for(2ms);
    };
    const auto pumpUntil = [&](auto done) { return quorvo::test::pumpUntil(done, turn, 10s); };

    ClickEvent click(true, {});
    minimise->dispatch(click);
    ASSERT_TRUE(pumpUntil([&] { return minimiseRequests == 1; })) << "a shown window did not ask to minimise";

    ASSERT_TRUE(pumpUntil([&] { return markHidden("caption-minimise"); }));
    ASSERT_TRUE(pumpUntil([&] { return framework->loop().isMinimised(host.window()); }));
    // Driven directly: a minimised window receives no pointer input.
    minimise->dispatch(click);
    for (int i = 0; i < 20; ++i)
        turn();
    EXPECT_EQ(minimiseRequests, 1);
}

}  // namespace
}  // namespace quorvo::ui::test
