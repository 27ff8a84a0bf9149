// Timers by (window, id): firing, re-arming, stopping, and dying with the window.

#include "LoopFixture.h"

#include <thread>

namespace quorvo::platform::test {
namespace {

using std::chrono::milliseconds;

TEST_F(LoopTest, TimerFiresRepeatedlyAsTimerFiredWithItsId)
{
    constexpr TimerId controlHandle = 0x7FFF12345678;  // ids are arbitrary, e.g. control handles
    std::vector<TimerFired> ticks;
    const WindowId window = makeWindow();
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (const auto* tick = std::get_if<TimerFired>(&event)) {
            ticks.push_back(*tick);
            if (ticks.size() == 3) {
                loop->quit(0);
            }
        }
    });
    ASSERT_TRUE(loop->setTimer(window, controlHandle, milliseconds(5)));
    runWithLimit();
    ASSERT_EQ(ticks.size(), 3u);
    for (const TimerFired& tick : ticks) {
        EXPECT_EQ(tick.id, controlHandle);
    }
}

TEST_F(LoopTest, RearmingATimerReplacesItsInterval)
{
    const WindowId window = makeWindow();
    int slowTicks = 0;
    int fastTicks = 0;
    loop->setTimer(window, 1, std::chrono::hours(1), [&](WindowId, TimerId) { ++slowTicks; });
    // Same (window, id): replaces the hour-long timer, callback and all.
    loop->setTimer(window, 1, milliseconds(5), [&](WindowId, TimerId) {
        if (++fastTicks == 2) {
            loop->quit(0);
        }
    });
    runWithLimit(milliseconds(3000));
    EXPECT_EQ(fastTicks, 2);
    EXPECT_EQ(slowTicks, 0);
}

TEST_F(LoopTest, KilledTimerStopsFiring)
{
    const WindowId window = makeWindow();
    int ticks = 0;
    loop->setTimer(window, 5, milliseconds(2), [&](WindowId w, TimerId id) {
        if (++ticks == 3) {
            EXPECT_TRUE(loop->killTimer(w, id));
            // Give it many more intervals in which it must stay silent.
            loop->setTimer(w, 6, milliseconds(60), [&](WindowId, TimerId) { loop->quit(0); });
        }
    });
    runWithLimit();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(loop->killTimer(window, 5)) << "already gone";
}

TEST_F(LoopTest, KillingATimerDropsItsTickAlreadyDue)
{
    const WindowId window = makeWindow();
    int first = 0;
    int second = 0;
    loop->setTimer(window, 1, milliseconds(1), [&](WindowId w, TimerId) {
        ++first;
        loop->killTimer(w, 1);
        loop->killTimer(w, 2);  // its tick fell due together with ours
        loop->setTimer(w, 3, milliseconds(30), [&](WindowId, TimerId) { loop->quit(0); });
    });
    loop->setTimer(window, 2, milliseconds(1), [&](WindowId, TimerId) { ++second; });
    std::this_thread::sleep_for(milliseconds(10));  // both are due before the loop looks
    runWithLimit();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST_F(LoopTest, SameIdOnTwoWindowsAreTwoTimers)
{
    const WindowId a = makeWindow();
    const WindowId b = makeWindow();
    std::vector<WindowId> fired;
    const auto handlerFor = [&](WindowId window) {
        return [&, window](const WindowEvent& event) {
            if (const auto* tick = std::get_if<TimerFired>(&event)) {
                fired.push_back(window);
                loop->killTimer(window, tick->id);
                if (fired.size() == 2) {
                    loop->quit(0);
                }
            }
        };
    };
    loop->setWindowHandler(a, handlerFor(a));
    loop->setWindowHandler(b, handlerFor(b));
    loop->setTimer(a, 77, milliseconds(3));
    loop->setTimer(b, 77, milliseconds(3));
    loop->killTimer(a, 77);
    loop->setTimer(a, 77, milliseconds(3));  // killing a's timer left b's alone
    runWithLimit();
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_NE(fired[0], fired[1]);
}

TEST_F(LoopTest, TimersOfADestroyedWindowAreDropped)
{
    const WindowId doomed = makeWindow();
    const WindowId other = makeWindow();
    int doomedTicks = 0;
    loop->setWindowHandler(doomed, [&](const WindowEvent& event) {
        if (std::holds_alternative<TimerFired>(event)) {
            ++doomedTicks;
        }
    });
    loop->setTimer(doomed, 1, milliseconds(1));
    loop->setTimer(doomed, 2, milliseconds(1), [&](WindowId, TimerId) { ++doomedTicks; });
    loop->setTimer(other, 1, milliseconds(40), [&](WindowId, TimerId) { loop->quit(0); });
    std::this_thread::sleep_for(milliseconds(5));
    // Both ticks fall due in the same turn as this task, which destroys
    // their window before they are delivered.
    loop->post(other, [&] { loop->destroyWindow(doomed); });
    runWithLimit();
    EXPECT_EQ(doomedTicks, 0);
    EXPECT_FALSE(loop->setTimer(doomed, 1, milliseconds(1))) << "no timers for a window that is gone";
}

TEST_F(LoopTest, TimerSetFromAnotherThreadWakesTheLoop)
{
    const WindowId window = makeWindow();
    bool fired = false;
    std::jthread worker([&] {
        std::this_thread::sleep_for(milliseconds(20));
        loop->setTimer(window, 9, milliseconds(1), [&](WindowId, TimerId) {
            fired = true;
            loop->quit(0);
        });
    });
    runWithLimit();
    EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace quorvo::platform::test
