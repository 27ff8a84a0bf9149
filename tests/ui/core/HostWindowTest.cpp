// The host's window: work-area centring, the modal loop, tooltips, resize
// zones, caption buttons through the factory seam, size changes.

#include "HostFixture.h"

#include "ui/core/UiButtonBase.h"

namespace quorvo::ui::test {
namespace {

TEST_F(HostTest, WindowsWithoutAPositionAreCentredOnTheWorkArea)
{
    const auto work = loop().workArea();
    const IntPoint expected {(work.width - work.x - 410) / 2, (work.height - work.y - 650) / 2};
    EXPECT_EQ(framework->centredPosition(410, 650), expected);
    // Taller and wider than the screen: the caption stays on it.
    EXPECT_EQ(framework->centredPosition(work.width + 400, work.height + 300), (IntPoint {work.x, work.y}));
    HostOptions options;
    options.width = 410;
    options.height = 650;
    options.captionFlags = 0;
    UiHost host(*framework, options);
    const auto bounds = loop().bounds(host.window());
    EXPECT_EQ(bounds.width, 410);
    EXPECT_EQ(bounds.height, 650);
    EXPECT_EQ(host.size(), (IntSize {410, 650}));
}

TEST_F(HostTest, ModalLoopDropsOtherWindowsInputWhileTimersAndPostsRun)
{
    UiHost& main = makeHost();
    auto& behind = main.add<Probe>(FloatRect {10, 10, 50, 50}, "behind", journal);
    HostOptions boxOptions;
    boxOptions.popup = true;
    boxOptions.owner = &main;
    boxOptions.position = IntPoint {300, 300};
    UiHost& box = makeHost(boxOptions);
    auto& inBox = box.add<Probe>(FloatRect {10, 10, 50, 50}, "box", journal);
    int ticks = 0;
    int posted = 0;
    behind.bind(EventType::Timer, [&] { ++ticks; });
    behind.startTimer(1, std::chrono::milliseconds(5));
    journal.clear();
    framework->dispatcher().post([&] {
        // Input for the window behind the box and for the box itself.
        platform::synthetic::mouseButton(loop(), main.window(), platform::synthetic::MouseButton::Left, true, 20, 20);
        platform::synthetic::mouseButton(loop(), main.window(), platform::synthetic::MouseButton::Left, false, 20, 20);
        platform::synthetic::key(loop(), main.window(), platform::Key::Tab, true);
        platform::synthetic::mouseButton(loop(), box.window(), platform::synthetic::MouseButton::Left, true, 20, 20);
        platform::synthetic::mouseButton(loop(), box.window(), platform::synthetic::MouseButton::Left, false, 20, 20);
        framework->dispatcher().post([&] { ++posted; });
    });
    // Ends the box once the timer has ticked a few times.
    main.add<Probe>(FloatRect {0, 0, 1, 1}, "closer", journal).bind(EventType::Timer, [&] {
        if (ticks >= 3) {
            box.requestClose();
        }
    });
    main.controls().back()->startTimer(2, std::chrono::milliseconds(20));
    const bool ended = framework->runModalLoop(box);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(box.isAlive());
    EXPECT_GE(ticks, 3) << "timers of other windows keep running";
    EXPECT_EQ(posted, 1) << "posted work keeps running";
    EXPECT_TRUE(std::find(journal.begin(), journal.end(), "behind:Down") == journal.end())
        << "input for the window behind the box is dropped";
    EXPECT_EQ(main.focus(), nullptr) << "no Tab reached the window behind";
    EXPECT_TRUE(std::find(journal.begin(), journal.end(), "box:Click") != journal.end())
        << "the box itself gets its input";
    (void)inBox;
}

TEST_F(HostTest, TooltipShowsTheHoveredControlsTextInAPopup)
{
    UiHost& host = makeHost();
    auto& tipped = host.add<Probe>(FloatRect {10, 10, 50, 50}, "tipped", journal);
    tipped.setText("\xCF\xC2\xD4\xD8\xD1\xA1\xD6\xD0\xB8\xE8\xC7\xFA");  // 下载选中歌曲
    auto& plain = host.add<Probe>(FloatRect {100, 10, 50, 50}, "plain", journal);
    move(host, 20, 20);
    EXPECT_EQ(host.tooltipControl(), &tipped);
    EXPECT_EQ(host.tooltipText(), tipped.text());
    ASSERT_TRUE(pumpUntil([&] { return host.isTooltipShown(); }, std::chrono::seconds(3)))
        << "the tip appears after the initial delay";
    const platform::WindowId tip = host.tooltipWindow();
    ASSERT_TRUE(tip);
    EXPECT_TRUE(loop().isVisible(tip));
    const auto bounds = loop().bounds(tip);
    EXPECT_GT(bounds.width, 20);
    move(host, 120, 20);
    EXPECT_FALSE(host.isTooltipShown()) << "leaving the tool hides the tip";
    EXPECT_FALSE(loop().isVisible(tip));
    EXPECT_EQ(host.tooltipControl(), nullptr) << "a control without text has no tip";
    (void)plain;
}

TEST_F(HostTest, ResizeZonesTakeThePointerFromControlsUnderThem)
{
    HostOptions options;
    options.resizable = true;
    UiHost& host = makeHost(options);
    auto& edge = host.add<Probe>(FloatRect {0, 0, 200, 150}, "edge", journal);
    move(host, 100, 75);
    EXPECT_EQ(host.hover(), &edge);
    journal.clear();
    move(host, 3, 75);
    EXPECT_EQ(host.hover(), nullptr);
    EXPECT_THAT(journal, ::testing::ElementsAre("edge:Leave")) << "the left border is a resize zone";
    journal.clear();
    press(host, 3, 75);
    EXPECT_FALSE(host.isPressActive()) << "a press in a zone resizes the window, no control gets it";
    EXPECT_TRUE(journal.empty());
    release(host, 3, 75);
}

class FakeCaptionButton final : public UiButtonBase {
public:
    FakeCaptionButton(FloatRect rect, CaptionButtonKind kind)
        : UiButtonBase(rect, {})
        , buttonKind(kind)
    {
        setKind(ControlKind::CaptionButton);
    }
    CaptionButtonKind buttonKind;
    [[nodiscard]] bool acceptsFocus() const override { return false; }

protected:
    void clickEvent(ClickEvent&) override
    {
        if (buttonKind == CaptionButtonKind::Close) {
            host()->requestClose();
        }
    }
};

// The framework ships no picture: the caption icon is the one the program gave, or none.
TEST_F(HostTest, TheCaptionIconIsTheSkinsPicture)
{
    HostOptions options;
    options.captionFlags = caption::Icon;
    options.backgroundColour = 0xFFFFFF;
    options.frameStyle = 0;
    const UiHost& bare = makeHost(options);
    EXPECT_TRUE(argbNear(bare.backBuffer().pixel(18, 18), 0xFFFFFFFF)) << "no skin: nothing drawn";
    framework->setSkin({.windowIcon = solidImage(16, 16, 0xFFC80000)});
    const UiHost& host = makeHost(options);
    ASSERT_NE(host.iconControl(), nullptr);
    EXPECT_EQ(host.iconControl()->rect(), (FloatRect {11, 11, 16, 16}));
    EXPECT_TRUE(argbNear(host.backBuffer().pixel(18, 18), 0xFFC80000));
}

// A host's own timers: a tick runs until its timer is killed (from inside the
// tick too), and none outlives the window.
TEST_F(HostTest, HostTimersTickUntilKilled)
{
    UiHost& host = makeHost();
    const auto interval = std::chrono::milliseconds(1);
    int first = 0;
    int second = 0;
    ASSERT_TRUE(host.setTimer(1, interval, [&] {
        if (++first == 3)
            host.killTimer(1);
    }));
    ASSERT_TRUE(pumpUntil([&] { return first == 3; }));
    // Armed later with the same interval: by its third tick a live first timer would have ticked again.
    ASSERT_TRUE(host.setTimer(2, interval, [&] { ++second; }));
    ASSERT_TRUE(pumpUntil([&] { return second >= 3; }));
    EXPECT_EQ(first, 3);
    EXPECT_FALSE(host.killTimer(1)) << "killed already";
    host.requestClose();
    ASSERT_TRUE(pumpUntil([&] { return !host.isAlive(); }));
    EXPECT_FALSE(host.setTimer(3, interval, [] {}));
    EXPECT_FALSE(host.killTimer(2)) << "the window took its timers with it";
}

TEST_F(HostTest, CaptionButtonsComeFromTheFactoryRightToLeft)
{
    std::vector<CaptionButtonKind> made;
    framework->setCaptionButtonFactory([&](UiHost& host, CaptionButtonKind kind, FloatRect rect) -> UiControl* {
        made.push_back(kind);
        return &host.add<FakeCaptionButton>(rect, kind);
    });
    HostOptions options;
    options.width = 410;
    options.height = 650;
    options.captionFlags = caption::Close | caption::Minimise | caption::Menu;
    UiHost& host = makeHost(options);
    EXPECT_THAT(made,
                ::testing::ElementsAre(CaptionButtonKind::Close, CaptionButtonKind::Minimise, CaptionButtonKind::Menu));
    ASSERT_EQ(host.captionButtons().size(), 3u);
    const UiControl& close = *host.captionButtons()[0];
    const UiControl& minimise = *host.captionButtons()[1];
    const UiControl& menu = *host.captionButtons()[2];
    EXPECT_EQ(close.kind(), ControlKind::CaptionButton);
    EXPECT_EQ(close.rect(), (FloatRect {410 - 5 - 12 - 39, 7, 39, 19}));
    EXPECT_EQ(minimise.rect(), (FloatRect {410 - 5 - 12 - 39 - 28, 7, 28, 19}));
    EXPECT_EQ(menu.rect().x, minimise.rect().x - 28);
    ControlKind clickedKind = ControlKind::None;
    host.onClick = [&](UiControl&, ControlKind kind) { clickedKind = kind; };
    key(host, platform::Key::Tab);
    EXPECT_EQ(host.focus(), nullptr) << "caption buttons never take the focus";
    clickAt(host, static_cast<int>(close.rect().x) + 5, 10);
    EXPECT_EQ(clickedKind, ControlKind::CaptionButton);
    drain();
    EXPECT_FALSE(host.isAlive()) << "the close button closed the window";
}

TEST_F(HostTest, SizeChangesReachTheCallbackAndResizeTheBuffers)
{
    UiHost& host = makeHost();
    std::vector<IntSize> sizes;
    host.onSize = [&](IntSize size) { sizes.push_back(size); };
    loop().resize(host.window(), 300, 220);
    drain();
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], (IntSize {300, 220}));
    EXPECT_EQ(host.backBuffer().width(), 300);
    EXPECT_EQ(host.background().height(), 220);
}

}  // namespace
}  // namespace quorvo::ui::test
