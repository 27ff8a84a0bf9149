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
    std::vector<WindowEvent> log;
    loop->setWindowHandler(popup, [&](const WindowEvent& event) { log.push_back(event); });
    loop->post(popup, [&] { loop->close(popup); });
    EXPECT_TRUE(loop->runWhileAlive(popup));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<Destroyed>(log[0]));
}

TEST_F(LoopTest, NestedLoopEndsWhenItsOwnerIsDestroyed)
{
    const WindowId owner = makeWindow();
    const WindowId popup = makeWindow(WindowKind::Popup, owner);
    bool popupDestroyed = false;
    loop->setWindowHandler(popup, [&](const WindowEvent& event) {
        popupDestroyed = popupDestroyed || std::holds_alternative<Destroyed>(event);
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

TEST_F(LoopTest, ModalLoopDropsInputForOtherWindowsButNotTheirOtherEvents)
{
    std::vector<WindowEvent> ownerLog;
    std::vector<WindowEvent> boxLog;
    const WindowId owner = makeRecordingWindow(ownerLog);
    const WindowId box = makeRecordingWindow(boxLog);
    synthetic::mouseButton(*loop, owner, synthetic::MouseButton::Left, true, 5, 5);
    synthetic::key(*loop, owner, Key::A, true);
    synthetic::text(*loop, owner, "你");
    synthetic::key(*loop, box, keyFor('b'), true);
    synthetic::windowEvent(*loop, owner, synthetic::WindowChange::SizeChanged, 150, 90);
    bool ownerTaskRan = false;
    loop->post(owner, [&] { ownerTaskRan = true; });
    loop->setTimer(owner, 1, milliseconds(20), [&](WindowId, TimerId) { loop->destroyWindow(box); });
    EXPECT_TRUE(loop->runWhileAlive(box, LoopFilter::DropOtherWindowsInput));
    EXPECT_TRUE(only<MousePressed>(ownerLog).empty());
    EXPECT_TRUE(only<KeyPressed>(ownerLog).empty());
    EXPECT_TRUE(only<CharacterTyped>(ownerLog).empty());
    EXPECT_TRUE(only<TextCommitted>(ownerLog).empty()) << "committed text is input like a typed character";
    EXPECT_EQ(only<Resized>(ownerLog).size(), 1u);
    EXPECT_TRUE(ownerTaskRan);
    ASSERT_EQ(only<KeyPressed>(boxLog).size(), 1u);
    EXPECT_EQ(only<KeyPressed>(boxLog)[0].key, Key {'B'});
}

}  // namespace
}  // namespace quorvo::platform::test
