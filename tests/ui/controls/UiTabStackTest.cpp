#include "ui/controls/UiTabStack.h"

#include "HostFixture.h"

using namespace quorvo;
using namespace quorvo::ui;
using namespace std::chrono_literals;
using quorvo::ui::test::HostTest;

namespace {

class TabStackTest : public HostTest {
protected:
    UiTabStack& makeStack(UiHost& host)
    {
        TabStackLook look;
        look.firstTab = {20, 5, 60, 40};
        look.pageRect = {10, 50, 200, 100};
        auto& stack = host.add<UiTabStack>(look);
        for (const char* caption : {"A", "B", "C"})
            stack.addPage(caption);
        stack.onSlideFrame = [this, &stack](int frame) {
            frames.push_back(frame);
            lefts.push_back(stack.page(stack.current()).left());
        };
        return stack;
    }
    std::vector<int> frames;
    std::vector<float> lefts;
};

}  // namespace

TEST_F(TabStackTest, ATabClickStartsASlideTheTimerFinishesWithoutHoldingTheLoop)
{
    HostOptions options;
    options.width = 300;
    options.height = 200;
    options.captionFlags = 0;
    UiHost& host = makeHost(options);
    UiTabStack& stack = makeStack(host);
    EXPECT_TRUE(stack.page(1).isVisible());
    EXPECT_FALSE(stack.page(2).isVisible());
    // The tabs come first, so the keyboard reaches them before the pages.
    EXPECT_EQ(stack.children()[2].get(), &stack.tab(3));

    stack.setFrameInterval(1min);
    clickAt(host, 100, 25);
    // The click has returned after the first frame: the new page is on its way in.
    EXPECT_EQ(stack.current(), 2);
    EXPECT_TRUE(stack.tab(2).isSelected());
    EXPECT_TRUE(stack.isSliding());
    EXPECT_EQ(frames, std::vector<int> {1});
    EXPECT_EQ(lefts[0], 210 - 72);  // 200 pixels in 100 ms: 72 after 20
    EXPECT_TRUE(stack.page(1).isVisible());

    // Another tab during a slide ends it at once, then slides on its own.
    stack.setFrameInterval(1ms);
    clickAt(host, 160, 25);
    EXPECT_FALSE(stack.page(1).isVisible());
    EXPECT_EQ(stack.page(1).left(), 10 - 200);
    ASSERT_TRUE(pumpUntil([&] { return !stack.isSliding(); }));
    EXPECT_EQ(frames, (std::vector<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(stack.page(2).isVisible());
    EXPECT_EQ(stack.page(3).left(), 10);

    // Without an interval the whole slide happens in the call; from the left this time.
    frames.clear();
    lefts.clear();
    stack.setFrameInterval(0ms);
    stack.switchTo(1);
    EXPECT_FALSE(stack.isSliding());
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(lefts[0], 72 + 10 - 200);
    EXPECT_EQ(lefts[9], 10);
    EXPECT_EQ(stack.page(3).left(), 210);
    EXPECT_FALSE(stack.page(3).isVisible());

    stack.switchTo(1);
    stack.switchTo(4);
    EXPECT_EQ(frames.size(), 10u) << "the current page or no page slid";
}
