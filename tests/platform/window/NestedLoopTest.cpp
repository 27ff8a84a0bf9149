// Nested loops for popups and modal boxes.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

namespace quorvo::platform::test {
namespace {

using std::chrono::milliseconds;

TEST_F(LoopTest, NestedLoopEndsWhenItsWindowIsDestroyed)
{
    const WindowId main = makeWindow();
    const WindowId popup = makeWindow(WindowKind::Popup, main);
    int mainTicks = 0;
    loop->setTimer(main, 1, milliseconds(5), [&](WindowId, TimerId) {
        // The outer window's timers keep running during the nested loop.
        if (++mainTicks == 3) {
            loop->destroyWindow(popup);
        }
    });
    EXPECT_TRUE(loop->runWhileAlive(popup));
    EXPECT_FALSE(loop->isWindow(popup));
    EXPECT_TRUE(loop->isWindow(main));
    EXPECT_EQ(mainTicks, 3);
}

TEST_F(LoopTest, NestedLoopEndsWhenItsWindowIsClosed)
{
    const WindowId popup = makeWindow(WindowKind::Popup);
    std::vector<Message> log;
    loop->setWindowProcedure(popup, [&](const Message& message) -> LResult {
        log.push_back(message);
        return loop->defaultProcedure(message);
    });
    loop->post(popup, WM_CLOSE);
    EXPECT_TRUE(loop->runWhileAlive(popup));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].message, WM_CLOSE);
    EXPECT_EQ(log[1].message, WM_DESTROY);
}

TEST_F(LoopTest, NestedLoopEndsWhenItsOwnerIsDestroyed)
{
    const WindowId owner = makeWindow();
    const WindowId popup = makeWindow(WindowKind::Popup, owner);
    bool popupDestroyed = false;
    loop->setWindowProcedure(popup, [&](const Message& message) -> LResult {
        popupDestroyed = popupDestroyed || message.message == WM_DESTROY;
        return 0;
    });
    loop->setTimer(owner, 1, milliseconds(5), [&](WindowId w, TimerId) { loop->destroyWindow(w); });
    EXPECT_TRUE(loop->runWhileAlive(popup));
    EXPECT_TRUE(popupDestroyed);
}

TEST_F(LoopTest, QuitEndsNestedAndOuterLoops)
{
    const WindowId main = makeWindow();
    const WindowId popup = makeWindow(WindowKind::Popup, main);
    bool nestedEndedByQuit = false;
    loop->setTimer(main, 1, milliseconds(2), [&](WindowId w, TimerId id) {
        loop->killTimer(w, id);
        nestedEndedByQuit = !loop->runWhileAlive(popup);
    });
    loop->setTimer(popup, 1, milliseconds(10), [&](WindowId, TimerId) { loop->quit(4); });
    EXPECT_EQ(runWithLimit(), 4);
    EXPECT_TRUE(nestedEndedByQuit);
    EXPECT_TRUE(loop->isWindow(popup)) << "quit does not destroy windows";
}

TEST_F(LoopTest, ModalLoopDropsInputForOtherWindowsButNotTheirOtherMessages)
{
    std::vector<Message> ownerLog;
    std::vector<Message> boxLog;
    const WindowId owner = makeRecordingWindow(ownerLog);
    const WindowId box = makeRecordingWindow(boxLog);
    synthetic::mouseButton(*loop, owner, synthetic::MouseButton::Left, true, 5, 5);
    synthetic::key(*loop, owner, 'A', true);
    synthetic::key(*loop, box, 'B', true);
    loop->post(owner, 0x0400);
    loop->setTimer(owner, 1, milliseconds(20), [&](WindowId, TimerId) { loop->destroyWindow(box); });
    EXPECT_TRUE(loop->runWhileAlive(box, LoopFilter::DropOtherWindowsInput));
    EXPECT_TRUE(only(ownerLog, WM_LBUTTONDOWN).empty());
    EXPECT_TRUE(only(ownerLog, WM_KEYDOWN).empty());
    EXPECT_EQ(only(ownerLog, 0x0400).size(), 1u);
    ASSERT_EQ(only(boxLog, WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(only(boxLog, WM_KEYDOWN)[0].wParam, 'B');
}

}  // namespace
}  // namespace quorvo::platform::test
