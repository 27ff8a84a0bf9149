// The scroll bar driven by synthetic input through a real host.

#include "ControlsFixture.h"

#include "ui/controls/UiScrollBar.h"

namespace quorvo::ui::test {
namespace {

class ScrollBarTest : public ControlsTest { };

TEST_F(ScrollBarTest, HoldingTheFirstArrowAtTheMinimumChangesNothing)
{
    UiHost& host = makeHost();
    auto& bar = host.add<UiScrollBar>(FloatRect {10, 10, 10, 200}, ScrollOrientation::Vertical);
    int events = 0;
    bar.onScroll = [&](int) { ++events; };
    synthetic::mouseMove(loop(), host.window(), 15, 14);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, 15, 14);
    drain();
    EXPECT_EQ(bar.pressedPart(), ScrollBarPart::FirstArrow);
    // Arrow presses step on the 100 ms timer; wait for a few of its ticks.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(350);
    pumpUntil([&] { return std::chrono::steady_clock::now() > until; });
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, 15, 14);
    drain();
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(events, 0);
}

TEST_F(ScrollBarTest, TheSecondArrowStepsByTheLineStepUntilReleased)
{
    UiHost& host = makeHost();
    auto& bar = host.add<UiScrollBar>(FloatRect {10, 10, 10, 200}, ScrollOrientation::Vertical);
    bar.setLineStep(7);
    synthetic::mouseMove(loop(), host.window(), 15, 205);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, 15, 205);
    ASSERT_TRUE(pumpUntil([&] { return bar.position() >= 14; }));
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, 15, 205);
    drain();
    EXPECT_EQ(bar.position() % 7, 0);
}

// A short click must step: it used to wait for the first 100-ms tick, so a
// click released sooner did nothing.
TEST_F(ScrollBarTest, AShortClickOnAnArrowStepsOnceAtOnce)
{
    UiHost& host = makeHost();
    auto& bar = host.add<UiScrollBar>(FloatRect {10, 10, 10, 200}, ScrollOrientation::Vertical);
    bar.setLineStep(7);
    std::vector<int> reported;
    bar.onScroll = [&](int position) { reported.push_back(position); };
    synthetic::mouseMove(loop(), host.window(), 15, 205);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, 15, 205);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, 15, 205);
    drain();
    EXPECT_EQ(bar.position(), 7);
    EXPECT_EQ(reported, std::vector<int> {7});
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, 15, 14);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, 15, 14);
    drain();
    EXPECT_EQ(bar.position(), 0);
}

TEST_F(ScrollBarTest, WithoutLiveTrackingADragReportsOnceOnRelease)
{
    UiHost& host = makeHost();
    auto& bar = host.add<UiScrollBar>(FloatRect {10, 10, 200, 10}, ScrollOrientation::Horizontal);
    bar.setLiveTracking(false);
    std::vector<int> events;
    bar.onScroll = [&](int position) { events.push_back(position); };
    const IntRect thumb = bar.parts().thumb;
    const int x = 10 + thumb.x + 5;
    synthetic::mouseMove(loop(), host.window(), x, 15);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, x, 15);
    drain();
    synthetic::mouseMove(loop(), host.window(), x + 40, 15, true);
    drain();
    synthetic::mouseMove(loop(), host.window(), x + 80, 15, true);
    drain();
    EXPECT_TRUE(events.empty());
    EXPECT_GT(bar.position(), 0);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, x + 80, 15);
    drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], bar.position());
}

TEST_F(ScrollBarTest, LoweringTheMaximumBelowThePositionMovesItAndReports)
{
    UiHost& host = makeHost();
    auto& bar = host.add<UiScrollBar>(FloatRect {10, 10, 200, 10});
    bar.setPosition(80);
    std::vector<int> events;
    bar.onScroll = [&](int position) { events.push_back(position); };
    bar.setMaximum(50);
    EXPECT_EQ(bar.position(), 50);
    EXPECT_EQ(events, (std::vector {50}));
    bar.setPosition(50);
    EXPECT_EQ(events.size(), 1u) << "the same position again raises nothing";
}

}  // namespace
}  // namespace quorvo::ui::test
