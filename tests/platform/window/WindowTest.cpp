// Window state, geometry, properties and system services on the dummy driver.

#include "LoopFixture.h"

#include "runtime/Encoding.h"

namespace quorvo::platform::test {
namespace {

TEST_F(LoopTest, WindowStartsHiddenAndShowsAndHides)
{
    const WindowId window = makeWindow();
    EXPECT_FALSE(loop->isVisible(window));
    EXPECT_TRUE(loop->show(window));
    EXPECT_TRUE(loop->isVisible(window));
    EXPECT_TRUE(loop->hide(window));
    EXPECT_FALSE(loop->isVisible(window));
}

TEST_F(LoopTest, WindowIsCreatedWhereAskedOrCentredInTheWorkArea)
{
    WindowOptions placed;
    placed.position = IntPoint {30, 40};
    placed.width = 410;
    placed.height = 650;
    const WindowId window = loop->createWindow(placed);
    EXPECT_EQ(loop->bounds(window), (IntRect {30, 40, 410, 650}));

    WindowOptions centred;
    centred.width = 200;
    centred.height = 100;
    const WindowId middle = loop->createWindow(centred);
    const IntRect area = loop->workArea();
    ASSERT_FALSE(area.empty());
    EXPECT_EQ(loop->bounds(middle),
              (IntRect {area.x + (area.width - 200) / 2, area.y + (area.height - 100) / 2, 200, 100}));
}

TEST_F(LoopTest, MoveAndResizeChangeTheBounds)
{
    const WindowId window = makeWindow();
    loop->move(window, IntPoint {5, 6});
    loop->resize(window, 90, 70);
    EXPECT_EQ(loop->bounds(window), (IntRect {5, 6, 90, 70}));
    loop->setMinimumSize(window, 50, 40);
    loop->resize(window, 10, 10);
    EXPECT_EQ(loop->bounds(window).width, 50);
    EXPECT_EQ(loop->bounds(window).height, 40);
}

TEST_F(LoopTest, MaximiseFillsTheWorkAreaAndRestoreGoesBack)
{
    std::vector<WindowEvent> log;
    const WindowId window = makeRecordingWindow(log);
    const IntRect before = loop->bounds(window);
    loop->maximise(window);
    EXPECT_TRUE(loop->isMaximised(window));
    EXPECT_EQ(loop->bounds(window), loop->workArea());
    loop->restore(window);
    EXPECT_FALSE(loop->isMaximised(window));
    EXPECT_EQ(loop->bounds(window), before);
    const auto sizes = only<Resized>(log);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].state, WindowState::Maximised);
    EXPECT_EQ(sizes[1].state, WindowState::Restored);
}

TEST_F(LoopTest, TitleRoundTripsProgramText)
{
    const WindowId window = makeWindow();
    const Text title = encoding::fromUtf8("百度音乐 无损下载");
    EXPECT_TRUE(loop->setTitle(window, title));
    EXPECT_EQ(loop->title(window), title);
}

TEST_F(LoopTest, PropertiesAreKeptPerWindowByName)
{
    const WindowId a = makeWindow();
    const WindowId b = makeWindow();
    EXPECT_TRUE(loop->setProperty(a, "Qv_Wnd_Flags", 3));
    EXPECT_TRUE(loop->setProperty(b, "Qv_Wnd_Flags", 1));
    EXPECT_EQ(loop->property(a, "Qv_Wnd_Flags"), 3);
    EXPECT_EQ(loop->property(b, "Qv_Wnd_Flags"), 1);
    EXPECT_FALSE(loop->property(a, "Qv_DirectUI_MsgBox").has_value());
    EXPECT_TRUE(loop->removeProperty(a, "Qv_Wnd_Flags"));
    EXPECT_FALSE(loop->property(a, "Qv_Wnd_Flags").has_value());
    EXPECT_FALSE(loop->removeProperty(a, "Qv_Wnd_Flags"));
    loop->destroyWindow(b);
    EXPECT_FALSE(loop->property(b, "Qv_Wnd_Flags").has_value());
}

TEST_F(LoopTest, DestroyingAWindowDestroysTheWindowsItOwns)
{
    const WindowId owner = makeWindow();
    const WindowId popup = makeWindow(WindowKind::Popup, owner);
    const WindowId unrelated = makeWindow();
    loop->destroyWindow(owner);
    EXPECT_FALSE(loop->isWindow(popup));
    EXPECT_TRUE(loop->isWindow(unrelated));
}

TEST_F(LoopTest, DestroyFromInsideItsOwnDestroyedEventIsHarmless)
{
    const WindowId window = makeWindow();
    int destroys = 0;
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (std::holds_alternative<Destroyed>(event)) {
            ++destroys;
            EXPECT_FALSE(loop->destroyWindow(window));
        }
    });
    EXPECT_TRUE(loop->destroyWindow(window));
    EXPECT_FALSE(loop->destroyWindow(window));
    EXPECT_EQ(destroys, 1);
}

TEST_F(LoopTest, WindowIdsAreNeverReused)
{
    const WindowId first = makeWindow();
    loop->destroyWindow(first);
    const WindowId second = makeWindow();
    EXPECT_NE(first, second);
    EXPECT_FALSE(loop->isWindow(first));
}

TEST_F(LoopTest, ClipboardConvertsProgramTextAndLineEnds)
{
    const Text text = encoding::fromUtf8("第一行\r\nsecond");
    ASSERT_TRUE(loop->setClipboardText(text));
    EXPECT_EQ(loop->clipboardText(), text);
}

TEST_F(LoopTest, EverySystemCursorCanBeSetEvenWhereTheDriverHasNone)
{
    for (const int id : {0x7F00, 0x7F01, 0x7F89, 0x7F84, 0x7F85, 0x7F82, 0x7F83}) {
        const auto cursor = systemCursorFromId(id);
        ASSERT_TRUE(cursor.has_value()) << id;
        loop->setCursor(*cursor);
    }
    EXPECT_FALSE(systemCursorFromId(12345).has_value());
}

TEST_F(LoopTest, CaptureIsTrackedAndEndsWithItsWindow)
{
    const WindowId window = makeWindow();
    EXPECT_TRUE(loop->setCapture(window));
    EXPECT_EQ(loop->captureWindow(), window);
    loop->releaseCapture();
    EXPECT_FALSE(loop->captureWindow());
    loop->setCapture(window);
    loop->destroyWindow(window);
    EXPECT_FALSE(loop->captureWindow());
}

TEST_F(LoopTest, IconAndInputMethodPositionAreAccepted)
{
    const WindowId window = makeWindow();
    PixelBuffer icon(16, 16);
    icon.fill(0x80402010);
    EXPECT_TRUE(loop->setIcon(window, icon.view()));
    EXPECT_FALSE(loop->setIcon(window, PixelView {}));
    EXPECT_TRUE(loop->setTextInputRect(window, IntRect {10, 10, 1, 15}));
}

TEST_F(LoopTest, WindowAtPrefersPopupsThenLaterWindowsAndSkipsHiddenOnes)
{
    WindowOptions options;
    options.position = IntPoint {0, 0};
    options.width = 100;
    options.height = 100;
    const WindowId back = loop->createWindow(options);
    options.kind = WindowKind::Popup;
    options.position = IntPoint {50, 50};
    const WindowId popup = loop->createWindow(options);
    options.kind = WindowKind::TopLevel;
    options.position = IntPoint {40, 40};
    const WindowId front = loop->createWindow(options);
    for (const WindowId window : {back, popup, front}) {
        loop->show(window);
    }
    EXPECT_EQ(loop->windowAt(IntPoint {10, 10}), back);
    EXPECT_EQ(loop->windowAt(IntPoint {45, 45}), front);
    EXPECT_EQ(loop->windowAt(IntPoint {60, 60}), popup);
    loop->hide(popup);
    EXPECT_EQ(loop->windowAt(IntPoint {60, 60}), front);
    EXPECT_FALSE(loop->windowAt(IntPoint {500, 500}));
}

TEST_F(LoopTest, ShapesAreRefusedHarmlesslyWithoutAWindowSystemForThem)
{
    const WindowId window = makeWindow();
    EXPECT_FALSE(loop->setShape(window, EventLoop::Shape {IntRect {6, 6, 100, 60}, 5}));
    EXPECT_FALSE(loop->setShape(window, std::nullopt));
    EXPECT_FALSE(loop->setShape(WindowId {999}, std::nullopt));
}

TEST_F(LoopTest, DragWithoutAHeldButtonEndsAtOnce)
{
    const WindowId window = makeWindow();
    const IntRect before = loop->bounds(window);
    ASSERT_TRUE(loop->beginDrag(window));
    loop->processPending();
    EXPECT_FALSE(loop->isDragging());
    EXPECT_EQ(loop->bounds(window), before);
}

}  // namespace
}  // namespace quorvo::platform::test
