// Behaviour that only a real X server shows: dragging without a window
// manager, focus handed back from popups, typed Chinese text. Each test binary
// run starts its own Xvfb; without Xvfb or xdotool the tests are skipped.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "platform/window/EventLoop.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#if QUORVO_TEST_HAVE_XLIB
#include <X11/Xlib.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace quorvo::platform::test {
namespace {

using namespace std::chrono_literals;

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = XvfbServer::startWithXdotool(whyNot); }

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
    }

    void TearDown() override { loop.reset(); }

    // A window at `where` (logical), shown with a plain picture at the device scale.
    WindowId showWindow(IntRect where, const Text& title = {}, WindowKind kind = WindowKind::TopLevel,
                        WindowId owner = {})
    {
        WindowOptions options;
        options.title = title;
        options.kind = kind;
        options.owner = owner;
        options.position = IntPoint {where.x, where.y};
        options.width = where.width;
        options.height = where.height;
        const WindowId window = loop->createWindow(options);
        EXPECT_TRUE(window);
        loop->show(window);
        PixelBuffer picture(where.width * loop->scale(), where.height * loop->scale());
        picture.fill(0xFF808080);
        loop->present(window, picture.view());
        return window;
    }

    WindowId makeShownWindow(IntRect where, WindowKind kind = WindowKind::TopLevel, WindowId owner = {})
    {
        const WindowId window = showWindow(where, {}, kind, owner);
        pumpFor(150ms);
        return window;
    }

    void pumpFor(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            loop->processPending();
            std::this_thread::sleep_for(2ms);
        }
    }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 3s)
    {
        return quorvo::test::pumpUntil(
            done, [this] { turn(); }, limit);
    }

    void turn()
    {
        loop->processPending();
        std::this_thread::sleep_for(2ms);
    }

    // Runs xdotool steps on a worker while this thread keeps the loop going.
    void driveWithXdotool(const std::vector<std::vector<std::string>>& steps)
    {
        EXPECT_TRUE(platform::test::driveWithXdotool(
            steps, [this] { loop->processPending(); }, 10s));
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNot;
    std::unique_ptr<EventLoop> loop;
};

TEST_F(X11Test, DraggingMovesTheWindowWithoutAWindowManager)
{
    const WindowId window = makeShownWindow(IntRect {100, 100, 200, 150});
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (std::holds_alternative<MousePressed>(event)) {
            loop->beginDrag(window);
        }
    });
    driveWithXdotool({{"mousemove", "150", "150"},
                      {"sleep", "100"},
                      {"mousedown", "1"},
                      {"sleep", "100"},
                      {"mousemove", "200", "180"},
                      {"sleep", "60"},
                      {"mousemove", "250", "200"},
                      {"sleep", "150"},
                      {"mouseup", "1"},
                      {"sleep", "60"}});
    EXPECT_FALSE(loop->isDragging()) << "the drag ends with the button";
    const IntRect moved = loop->bounds(window);
    EXPECT_EQ(moved.x, 200);
    EXPECT_EQ(moved.y, 150);
}

TEST_F(X11Test, DraggingTheBottomRightBorderResizesAndReportsTheSize)
{
    const WindowId window = makeShownWindow(IntRect {100, 100, 200, 150});
    std::vector<Resized> sizes;
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (std::holds_alternative<MousePressed>(event)) {
            loop->beginResize(window, ResizeZone::BottomRight);
        } else if (const auto* size = std::get_if<Resized>(&event)) {
            sizes.push_back(*size);
        }
    });
    driveWithXdotool({{"mousemove", "295", "245"},
                      {"sleep", "100"},
                      {"mousedown", "1"},
                      {"sleep", "100"},
                      {"mousemove", "335", "275"},
                      {"sleep", "150"},
                      {"mouseup", "1"},
                      {"sleep", "60"}});
    EXPECT_EQ(loop->bounds(window), (IntRect {100, 100, 240, 180}));
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().width, 240);
    EXPECT_EQ(sizes.back().height, 180);
}

// The X window id of our window with this title, from xwininfo.
std::optional<unsigned long> xWindowId(const std::string& title)
{
    const auto info = programOutput({"xwininfo", "-name", title});
    const std::string marker = "Window id: ";
    if (!info || info->find(marker) == std::string::npos) {
        return std::nullopt;
    }
    return std::stoul(info->substr(info->find(marker) + marker.size()), nullptr, 16);
}

// The top-level X window under the pointer after moving it to (x, y).
std::optional<unsigned long> windowUnderPointer(int x, int y)
{
    if (runProgram({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}) != 0) {
        return std::nullopt;
    }
    const auto location = programOutput({"xdotool", "getmouselocation", "--shell"});
    const std::string marker = "WINDOW=";
    if (!location || location->find(marker) == std::string::npos) {
        return std::nullopt;
    }
    return std::stoul(location->substr(location->find(marker) + marker.size()));
}

TEST_F(X11Test, ShapedWindowLetsThePointerThroughItsCutCorners)
{
    const WindowId window = showWindow({100, 100, 100, 80}, "quorvo-shape-probe");
    ASSERT_TRUE(loop->setShape(window, EventLoop::Shape {IntRect {0, 0, 100, 80}, 40}));
    std::optional<unsigned long> ours;
    if (!pumpUntil([&] { return (ours = xWindowId("quorvo-shape-probe")).has_value(); }) || !windowUnderPointer(0, 0)) {
        GTEST_SKIP() << "xwininfo or xdotool cannot tell";
    }
    ASSERT_TRUE(pumpUntil([&] { return windowUnderPointer(150, 140) == ours; }));
    EXPECT_NE(windowUnderPointer(101, 101), ours) << "the rounded corner is cut away";
    ASSERT_TRUE(loop->setShape(window, std::nullopt));
    EXPECT_TRUE(pumpUntil([&] { return windowUnderPointer(101, 101) == ours; })) << "the whole window is back";
}

// At scale 2 the system window is twice the size the program asks for,
// and everything the program hears and says stays in its own coordinates.
class X11ScaledTest : public X11Test {
protected:
    void SetUp() override
    {
        ::setenv("QUORVO_SCALE", "2", 1);
        X11Test::SetUp();
    }
    void TearDown() override
    {
        X11Test::TearDown();
        ::unsetenv("QUORVO_SCALE");
    }
};

TEST_F(X11ScaledTest, TheWindowCoversTwiceItsSizeAndThePointerArrivesInWindowCoordinates)
{
    ASSERT_EQ(loop->scale(), 2);
    const WindowId window = showWindow({50, 40, 100, 80}, "quorvo-scale-probe");
    EXPECT_EQ(loop->bounds(window), (IntRect {50, 40, 100, 80}));
    const auto geometry = programOutput({"xwininfo", "-name", "quorvo-scale-probe"});
    if (!geometry) {
        GTEST_SKIP() << "xwininfo is not available";
    }
    EXPECT_NE(geometry->find("Width: 200\n"), std::string::npos) << *geometry;
    EXPECT_NE(geometry->find("Height: 160\n"), std::string::npos) << *geometry;
    EXPECT_NE(geometry->find("Absolute upper-left X:  100\n"), std::string::npos) << *geometry;

    std::optional<MousePressed> pressed;
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (const auto* press = std::get_if<MousePressed>(&event)) {
            pressed = *press;
        }
    });
    // Device pixel (100 + 61, 80 + 41) is logical (30, 20) of the window.
    driveWithXdotool({{"mousemove", "161", "121"}, {"click", "1"}});
    ASSERT_TRUE(pumpUntil([&] { return pressed.has_value(); }));
    EXPECT_EQ(pressed->position, (IntPoint {30, 20}));
    EXPECT_EQ(loop->cursorPosition(), (IntPoint {80, 60}));

    loop->move(window, {60, 50});
    EXPECT_EQ(loop->bounds(window), (IntRect {60, 50, 100, 80}));
    loop->resize(window, 120, 90);
    const IntRect resized = loop->bounds(window);
    EXPECT_EQ(resized.width, 120);
    EXPECT_EQ(resized.height, 90);
    const auto snapshot = loop->surfaceSnapshot(window);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->width(), 240) << "the surface holds device pixels";
    EXPECT_EQ(snapshot->height(), 180);
    const IntRect work = loop->workArea();
    EXPECT_EQ(work.width, 800 / 2) << "the work area is logical too (the test screen is 800 wide)";
}

TEST_F(X11ScaledTest, TheShapeIsCutAtTheDevicePixelsOfTheRoundedCorner)
{
    const WindowId window = showWindow({50, 50, 100, 80}, "quorvo-scaled-shape");
    ASSERT_TRUE(loop->setShape(window, EventLoop::Shape {IntRect {0, 0, 100, 80}, 40}));
    std::optional<unsigned long> ours;
    if (!pumpUntil([&] { return (ours = xWindowId("quorvo-scaled-shape")).has_value(); })
        || !windowUnderPointer(0, 0)) {
        GTEST_SKIP() << "xwininfo or xdotool cannot tell";
    }
    // The window covers (100, 100) to (300, 260) on the screen once it is mapped.
    ASSERT_TRUE(pumpUntil([&] { return windowUnderPointer(100 + 190, 100 + 80) == ours; }));
    // The corner ellipse is 80 device pixels across: (100 + 10, 100 + 10) lies
    // outside it (inside the 40 pixels an unscaled shape would cut).
    EXPECT_NE(windowUnderPointer(110, 110), ours) << "the rounded corner is cut away";
    EXPECT_EQ(windowUnderPointer(100 + 40, 100 + 40), ours) << "inside the corner's curve it is there";
}

TEST_F(X11Test, ClosingAPopupGivesTheFocusBackToItsOwner)
{
    const WindowId main = makeShownWindow(IntRect {50, 50, 200, 200});
    loop->setFocus(main);
    ASSERT_TRUE(pumpUntil([&] { return loop->focusedWindow() == main; }));
    const WindowId popup = makeShownWindow(IntRect {60, 60, 80, 80}, WindowKind::Popup, main);
    loop->setFocus(popup);
    ASSERT_TRUE(pumpUntil([&] { return loop->focusedWindow() == popup; }));
    loop->destroyWindow(popup);
    EXPECT_TRUE(pumpUntil([&] { return loop->focusedWindow() == main; }));
}

#if QUORVO_TEST_HAVE_XLIB
// SDL wakes a waiting loop by sending an event to one of its windows; a window
// being destroyed at that moment gives an error that Xlib would end the process for.
void sendToAWindowThatIsGone(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    ASSERT_NE(display, nullptr);
    const ::Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = gone;
    event.xclient.format = 32;
    XSendEvent(display, gone, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
}

TEST_F(X11Test, AnErrorFromTheXServerDoesNotEndTheProgram)
{
    const WindowId main = makeShownWindow(IntRect {50, 50, 200, 200});
    sendToAWindowThatIsGone(server->display());
    EXPECT_TRUE(loop->isWindow(main));
}

// SDL puts back the error handler it found when its video system quits; a
// worker's wake-up still in flight while the program closes must not end it
// with status 1 then.
TEST_F(X11Test, AnErrorAfterTheLoopHasEndedDoesNotEndTheProgram)
{
    makeShownWindow(IntRect {50, 50, 200, 200});
    loop.reset();
    sendToAWindowThatIsGone(server->display());
    SUCCEED();
}
#endif

TEST_F(X11Test, ChineseTypedWithoutAnInputMethodArrivesAsProgramText)
{
    const WindowId window = makeShownWindow(IntRect {100, 100, 200, 150});
    // As an edit box with the focus does.
    loop->setTextInputActive(true);
    Text typed;
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (const auto* commit = std::get_if<TextCommitted>(&event)) {
            typed += commit->text;
        }
    });
    loop->setFocus(window);
    ASSERT_TRUE(pumpUntil([&] { return loop->focusedWindow() == window; }));
    // xdotool types a character outside the keymap by remapping a spare key;
    // the very first remapping can race the client's keymap refresh.
    driveWithXdotool({{"mousemove", "150", "150"}, {"type", "--delay", "20", "中"}, {"sleep", "100"}});
    typed = Text();
    driveWithXdotool({{"type", "--delay", "120", "你好"}, {"sleep", "150"}});
    // Under load the remapping race above can still swallow one of the two
    // characters on the X side; what arrives must be exact program text.
    const Text both = encoding::fromUtf8("你好");
    EXPECT_TRUE(typed == both || typed == encoding::fromUtf8("你") || typed == encoding::fromUtf8("好"))
        << "got \"" << encoding::toUtf8(typed.view()) << "\"";
}

}  // namespace
}  // namespace quorvo::platform::test

namespace quorvo::platform::test {
namespace {

// A compositing manager (xcompmgr) on a private Xvfb: translucent windows
// keep their alpha; opaque ones are still composed over their backdrop.
class CompositorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = XvfbServer::start(whyNot);
        if (!server) {
            return;
        }
        ::setenv("DISPLAY", server->display().c_str(), 1);
        compositor = BackgroundProgram::start({"xcompmgr"});
        if (!compositor) {
            server.reset();
            whyNot = "xcompmgr is not installed";
        }
    }

    static void TearDownTestSuite()
    {
        compositor.reset();
        server.reset();
    }

    void SetUp() override
    {
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        ::setenv("DISPLAY", server->display().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        // xcompmgr claims the compositor selection shortly after it starts.
        const auto end = std::chrono::steady_clock::now() + 5s;
        std::string error;
        do {
            loop = EventLoop::create(&error);
            ASSERT_TRUE(loop) << error;
            if (loop->hasCompositor()) {
                break;
            }
            loop.reset();
            std::this_thread::sleep_for(50ms);
        } while (std::chrono::steady_clock::now() < end);
        ASSERT_TRUE(loop) << "no compositor appeared";
    }

    void TearDown() override { loop.reset(); }

    std::uint32_t presentAndRead(bool translucent, std::uint32_t pixel)
    {
        WindowOptions options;
        options.position = IntPoint {20, 20};
        options.width = 40;
        options.height = 30;
        options.backdrop = 0xFFFFFF;
        options.translucent = translucent;
        const WindowId window = loop->createWindow(options);
        EXPECT_TRUE(window);
        loop->show(window);
        PixelBuffer picture(40, 30);
        picture.fill(pixel);
        EXPECT_TRUE(loop->present(window, picture.view()));
        const auto shown = loop->surfaceSnapshot(window);
        EXPECT_TRUE(shown.has_value());
        return shown ? shown->at(5, 5) : 0;
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::unique_ptr<BackgroundProgram> compositor;
    static inline std::string whyNot;
    std::unique_ptr<EventLoop> loop;
};

TEST_F(CompositorTest, TranslucentWindowKeepsItsPremultipliedAlpha)
{
    ASSERT_TRUE(loop->hasCompositor());
    EXPECT_EQ(presentAndRead(true, 0x80400000), 0x80400000u);
}

TEST_F(CompositorTest, WindowsGetAVisualWithAnAlphaChannel)
{
    WindowOptions options;
    options.title = "quorvo-translucency-probe";
    options.translucent = true;
    const WindowId window = loop->createWindow(options);
    loop->show(window);
    loop->processPending();
    const auto info = programOutput({"xwininfo", "-name", "quorvo-translucency-probe"});
    if (!info) {
        GTEST_SKIP() << "xwininfo is not available";
    }
    EXPECT_NE(info->find("Depth: 32"), std::string::npos) << *info;
}

TEST_F(CompositorTest, OpaqueWindowIsStillComposedOverItsBackdrop)
{
    EXPECT_EQ(presentAndRead(false, 0x80400000), 0xFFBF7F7Fu);
}

#if QUORVO_TEST_HAVE_XLIB
// The same server with a real window manager (Debian's openbox), which hands
// the focus to whatever window the user clicks.
class WindowManagerTest : public X11Test {
protected:
    static void TearDownTestSuite() { server.reset(); }

    void TearDown() override
    {
        X11Test::TearDown();
        manager.reset();
    }

    // Starts openbox on the test's server; false when it is missing or does
    // not come up. Windows mapped before it starts are adopted: SDL waits for
    // a window's MapNotify without a limit, and a manager still starting up
    // could keep it waiting.
    bool startWindowManager()
    {
        manager = BackgroundProgram::start({"openbox", "--sm-disable"});
        Display* display = XOpenDisplay(server->display().c_str());
        bool running = false;
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (manager && display != nullptr && !running && std::chrono::steady_clock::now() < end) {
            // Openbox runs once it owns the manager selection ...
            Atom type = None;
            int format = 0;
            unsigned long items = 0;
            unsigned long left = 0;
            unsigned char* data = nullptr;
            // ... and lists the windows it manages once it has adopted ours.
            const Atom clients = XInternAtom(display, "_NET_CLIENT_LIST", False);
            running = XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) != None
                && XGetWindowProperty(display, DefaultRootWindow(display), clients, 0, 16, False, AnyPropertyType,
                                      &type, &format, &items, &left, &data)
                    == Success
                && items > 0;
            if (data != nullptr) {
                XFree(data);
            }
            loop->processPending();
            std::this_thread::sleep_for(20ms);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
        return running;
    }

    std::unique_ptr<BackgroundProgram> manager;
};

// A click on the main window under a window manager used to leave the focus
// there, where the modal loop drops every key: the box lost the keyboard.
TEST_F(WindowManagerTest, AModalBoxKeepsTheKeyboardWhenTheUserClicksItsOwner)
{
    const WindowId main = makeShownWindow(IntRect {50, 50, 300, 300});
    const WindowId box = makeShownWindow(IntRect {100, 100, 120, 80}, WindowKind::Popup, main);
    if (!startWindowManager()) {
        GTEST_SKIP() << "openbox is not installed or did not start";
    }
    loop->setFocus(box);
    ASSERT_TRUE(pumpUntil([&] { return loop->focusedWindow() == box; }));
    std::atomic<int> ownerActivations {0};
    loop->setWindowHandler(main, [&](const WindowEvent& event) {
        if (const auto* activation = std::get_if<ActivationChanged>(&event); activation && activation->active) {
            ++ownerActivations;
        }
    });
    // The nested loop runs on this thread; xdotool and the checks on a worker.
    // The window manager may have moved the owner (its frame): aim at its corner.
    const IntRect owner = loop->bounds(main);
    std::atomic<bool> boxKeptIt {false};
    std::thread worker([&] {
        runProgram(
            {"xdotool", "mousemove", std::to_string(owner.x + 280), std::to_string(owner.y + 280), "click", "1"});
        const auto until = [](const auto& done) {
            const auto end = std::chrono::steady_clock::now() + 3s;
            while (!done() && std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(10ms);
            }
        };
        until([&] { return ownerActivations > 0; });
        until([&] {
            loop->send([&] { boxKeptIt = loop->focusedWindow() == box; });
            return boxKeptIt.load();
        });
        loop->post(box, [&] { loop->close(box); });
    });
    loop->runWhileAlive(box, LoopFilter::DropOtherWindowsInput);
    worker.join();
    ASSERT_GT(ownerActivations, 0) << "the window manager did not give the clicked owner the focus";
    EXPECT_TRUE(boxKeptIt) << "the focus stayed with the clicked owner";
}
#endif

TEST_F(X11Test, WithoutACompositorTranslucentWindowsAreComposedOverTheBackdrop)
{
    EXPECT_FALSE(loop->hasCompositor());
    WindowOptions options;
    options.width = 40;
    options.height = 30;
    options.backdrop = 0xFFFFFF;
    options.translucent = true;
    const WindowId window = loop->createWindow(options);
    loop->show(window);
    PixelBuffer picture(40, 30);
    picture.fill(0x80400000);
    loop->present(window, picture.view());
    const auto shown = loop->surfaceSnapshot(window);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->at(5, 5), 0xFFBF7F7Fu);
}

}  // namespace
}  // namespace quorvo::platform::test
