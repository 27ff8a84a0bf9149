// Window effects, transitions and the soft frame, as golden frames compared
// with a tolerance.

#include "HostFixture.h"

#include "ui/core/UiEffects.h"
#include "ui/core/UiPanel.h"

#include "gfx/Color.h"
#include "gfx/Painter.h"

#include <optional>

namespace quorvo::ui::test {
namespace {

// The bounding box of the pixels whose alpha is above `threshold`.
IntRect visibleBounds(const gfx::Surface& surface, int threshold = 0)
{
    int left = surface.width();
    int top = surface.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (static_cast<int>(surface.rawPixel(x, y) >> 24) > threshold) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? IntRect {} : IntRect {left, top, right - left + 1, bottom - top + 1};
}

TEST(EffectFrames, CloseEffectsHaveTheirFrameCountsGeometryAndPauses)
{
    const IntSize size {410, 650};
    EXPECT_EQ(closeEffectFrameCount(1), 15);
    EXPECT_EQ(closeEffectFrameCount(2), 20);
    EXPECT_EQ(closeEffectFrameCount(7), 15);
    EXPECT_EQ(closeEffectFrameCount(9), 15);
    const EffectFrame seven = closeEffectFrame(7, 5, size);
    EXPECT_EQ(seven.destination, (FloatRect {8, 16, 394, 618}));
    EXPECT_EQ(seven.alpha, 170);
    EXPECT_EQ(seven.pause.count(), 8);
    EXPECT_EQ(closeEffectFrame(7, 15, size).pause.count(), 1) << "at least 1 ms";
    EXPECT_EQ(closeEffectFrame(1, 15, size).alpha, 0);
    EXPECT_EQ(closeEffectFrame(2, 2, size).destination, (FloatRect {-1.5f, -1.5f, 413, 653}));
    EXPECT_EQ(closeEffectFrame(2, 5, size).destination, (FloatRect {-3, -3, 416, 656}));
    EXPECT_EQ(closeEffectFrame(2, 20, size).alpha, 15);
    EXPECT_EQ(closeEffectFrame(2, 4, size).pause.count(), 12);
    EXPECT_EQ(closeEffectFrame(3, 2, size).destination.x, 54.0f) << "width/15 = 27 per frame, rightwards";
    EXPECT_EQ(closeEffectFrame(4, 2, size).destination.x, -54.0f);
    EXPECT_EQ(closeEffectFrame(5, 3, size).destination.y, 129.0f) << "height/15 = 43 per frame, downwards";
    EXPECT_EQ(closeEffectFrame(6, 3, size).destination.y, -129.0f);
    EXPECT_EQ(closeEffectFrame(11, 3, size).destination.y, -129.0f) << "any other number slides up";
}

TEST(EffectFrames, ShowEffectsRunTenFramesFadingIn)
{
    const IntSize size {410, 650};
    const auto duration = std::chrono::milliseconds(200);
    const EffectFrame seven = showEffectFrame(7, 5, size, duration);
    EXPECT_EQ(seven.destination, (FloatRect {20, 30, 370, 590}));
    EXPECT_EQ(seven.alpha, 100);
    EXPECT_EQ(seven.pause.count(), 10);
    EXPECT_EQ(showEffectFrame(7, 10, size, duration).destination, (FloatRect {0, 0, 410, 650}));
    EXPECT_EQ(showEffectFrame(1, 1, size, duration).alpha, 0);
    EXPECT_EQ(showEffectFrame(1, 10, size, duration).alpha, 225);
    EXPECT_EQ(showEffectFrame(1, 3, size, duration).pause.count(), 20);
    EXPECT_EQ(showEffectFrame(3, 1, size, duration).destination.x, -369.0f);
    EXPECT_EQ(showEffectFrame(4, 9, size, duration).destination.x, 41.0f);
    EXPECT_EQ(showEffectFrame(8, 8, size, duration).destination.y, 130.0f);
}

class EffectsTest : public HostTest {
protected:
    UiHost& bigHost()
    {
        HostOptions options;
        options.width = 410;
        options.height = 650;
        options.backgroundColour = 0x0000FF;  // red, as Windows RGB
        options.frameStyle = 0;
        UiHost& host = makeHost(std::move(options));
        host.effectPause = [](std::chrono::milliseconds) {};
        host.frameSink = [this](const gfx::Surface& frame, int index) {
            frames.push_back(frame.copy());
            indexes.push_back(index);
        };
        return host;
    }
    std::vector<gfx::Surface> frames;
    std::vector<int> indexes;
};

TEST_F(EffectsTest, CloseEffectSevenFrameFiveShrinksTowardsTheCentre)
{
    UiHost& host = bigHost();
    host.setCloseEffect(7);
    host.requestClose();
    drain();
    EXPECT_FALSE(host.isAlive());
    ASSERT_EQ(frames.size(), 15u);
    const gfx::Surface& five = frames[4];
    EXPECT_EQ(indexes[4], 5);
    // The window picture (opaque inside the 6-pixel rounded inset) drawn into
    // (8, 16, 394, 618) at alpha 170: the inset scales by 394/410 and 618/650.
    EXPECT_TRUE(argbNear(five.pixel(205, 325), 0xAAFF0000));
    const IntRect bounds = visibleBounds(five, 8);
    EXPECT_NEAR(bounds.x, 8 + 6 * 394.0 / 410, 1.5);
    EXPECT_NEAR(bounds.y, 16 + 6 * 618.0 / 650, 1.5);
    EXPECT_NEAR(bounds.right(), 8 + 404 * 394.0 / 410, 1.5);
    EXPECT_NEAR(bounds.bottom(), 16 + 644 * 618.0 / 650, 1.5);
    EXPECT_EQ(five.rawPixel(4, 325), 0u) << "outside the shrunk picture: transparent";
}

TEST_F(EffectsTest, ShowEffectSevenFrameFiveZoomsIn)
{
    UiHost& host = bigHost();
    frames.clear();
    host.hide();
    host.show(7);
    ASSERT_EQ(frames.size(), 10u);
    const gfx::Surface& five = frames[4];
    EXPECT_TRUE(argbNear(five.pixel(205, 325), 0x64FF0000));
    const IntRect bounds = visibleBounds(five, 8);
    EXPECT_NEAR(bounds.x, 20 + 6 * 370.0 / 410, 1.5);
    EXPECT_NEAR(bounds.y, 30 + 6 * 590.0 / 650, 1.5);
    EXPECT_NEAR(bounds.right(), 20 + 404 * 370.0 / 410, 1.5);
    EXPECT_FALSE(host.isBusy());
    EXPECT_TRUE(loop().isVisible(host.window()));
    // Afterwards the window shows the whole picture.
    const auto shown = loop().surfaceSnapshot(host.window());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->at(205, 325) & 0xFFFFFF, 0xFF0000u);
}

// Without a pause of the test's own, the frames follow one another on the
// loop's timers: show() returns after the first frame, the loop keeps turning,
// and a close effect ends in the window's destruction.
TEST_F(EffectsTest, EffectsRunFrameByFrameOnTheLoopsTimers)
{
    UiHost& host = bigHost();
    host.effectPause = nullptr;
    frames.clear();
    host.hide();
    host.show(7);
    EXPECT_EQ(frames.size(), 1u) << "show() waited for its frames";
    EXPECT_TRUE(host.isBusy());
    std::optional<std::size_t> framesWhenPostedWorkRan;
    framework->dispatcher().post([&] { framesWhenPostedWorkRan = frames.size(); });
    ASSERT_TRUE(pumpUntil([&] { return !host.isBusy() && framesWhenPostedWorkRan; }, std::chrono::seconds(10)));
    EXPECT_LT(*framesWhenPostedWorkRan, 10u) << "the loop did not turn during the effect";
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(indexes.back(), 10);
    EXPECT_TRUE(argbNear(frames[4].pixel(205, 325), 0x64FF0000));
    const auto shown = loop().surfaceSnapshot(host.window());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->at(205, 325) & 0xFFFFFF, 0xFF0000u);

    frames.clear();
    indexes.clear();
    host.setCloseEffect(7);
    host.requestClose();
    ASSERT_TRUE(pumpUntil([&] { return !frames.empty(); }));
    EXPECT_TRUE(host.isAlive()) << "the window went before its close effect ran";
    ASSERT_TRUE(pumpUntil([&] { return !host.isAlive(); }, std::chrono::seconds(10)));
    ASSERT_EQ(frames.size(), 15u);
    for (std::size_t i = 0; i < indexes.size(); ++i)
        EXPECT_EQ(indexes[i], int(i) + 1);
    EXPECT_TRUE(argbNear(frames[4].pixel(205, 325), 0xAAFF0000));
}

TEST_F(EffectsTest, HookKeepingTheWindowRunsNoCloseEffect)
{
    UiHost& host = bigHost();
    host.setCloseEffect(7);
    host.onMessage = [](const WindowRequest& r) { return r.kind == WindowRequestKind::Close ? 0 : notHandled; };
    host.requestClose();
    drain();
    EXPECT_TRUE(host.isAlive());
    EXPECT_TRUE(frames.empty());
}

// A control whose surface is one flat colour, set before each update.
class Flat final : public UiControl {
public:
    explicit Flat(FloatRect rect)
        : UiControl(rect)
    { }
    gfx::Argb colour = 0xFF000000;

protected:
    void paintEvent(PaintEvent& event) override { event.painter().clear(colour); }
};

class TransitionTest : public HostTest {
protected:
    // Runs the transition to frame `frame` (ticks are 40 ms apart, so one loop turn holds at most one).
    bool runTo(Flat& flat, int frame)
    {
        return pumpUntil([&] { return flat.transitionFrame() >= frame; });
    }
};

TEST_F(TransitionTest, CrossFadeBlendsThePreviousAndTheNewPicture)
{
    UiHost& host = makeWhiteHost();
    auto& flat = host.add<Flat>(FloatRect {20, 20, 40, 40});
    flat.colour = 0xFF0000FF;
    drain();
    flat.setTransitionStyle(TransitionStyle::CrossFade);
    flat.setTransition(4, std::chrono::milliseconds(40));
    flat.colour = 0xFFFF0000;
    flat.update();
    EXPECT_TRUE(flat.isTransitionRunning());
    EXPECT_TRUE(argbNear(host.backBuffer().pixel(30, 30), 0xFF0000FF)) << "frame 0 shows the old picture";
    ASSERT_TRUE(runTo(flat, 2));
    ASSERT_EQ(flat.transitionFrame(), 2);
    // Old blue, then new red at alpha 2/4.
    EXPECT_TRUE(argbNear(host.backBuffer().pixel(30, 30), 0xFF80007F));
    int ended = 0;
    flat.bind(EventType::TransitionEnded, [&] { ++ended; });
    ASSERT_TRUE(pumpUntil([&] { return !flat.isTransitionRunning(); }));
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(argbNear(host.backBuffer().pixel(30, 30), 0xFFFF0000));
}

TEST_F(TransitionTest, PushesMoveTheOldPictureOutAndTheNewOneIn)
{
    struct Case {
        TransitionStyle style;
        IntPoint oldPixel;  // where, at frame 1 of 4 (a 10-pixel step), the old picture still shows
        IntPoint newPixel;  // and where the new one already shows
    };
    // The control covers (20, 20)-(60, 60).
    const Case cases[] = {
        {TransitionStyle::PushDown, {40, 35}, {40, 25}},
        {TransitionStyle::PushUp, {40, 45}, {40, 55}},
        {TransitionStyle::PushRight, {35, 40}, {25, 40}},
        {TransitionStyle::PushLeft, {45, 40}, {55, 40}},
    };
    UiHost& host = makeWhiteHost();
    for (const Case& c : cases) {
        auto& flat = host.add<Flat>(FloatRect {20, 20, 40, 40});
        flat.colour = 0xFF0000FF;
        drain();
        flat.setTransitionStyle(c.style);
        flat.setTransition(4, std::chrono::milliseconds(40));
        flat.colour = 0xFF00FF00;
        flat.update();
        ASSERT_TRUE(runTo(flat, 1));
        ASSERT_EQ(flat.transitionFrame(), 1);
        EXPECT_TRUE(argbNear(host.backBuffer().pixel(c.oldPixel.x, c.oldPixel.y), 0xFF0000FF))
            << static_cast<int>(c.style);
        EXPECT_TRUE(argbNear(host.backBuffer().pixel(c.newPixel.x, c.newPixel.y), 0xFF00FF00))
            << static_cast<int>(c.style);
        ASSERT_TRUE(pumpUntil([&] { return !flat.isTransitionRunning(); }));
        flat.destroy();
        drain();
    }
}

TEST_F(HostTest, TranslucentWindowsGetTheSoftFrame)
{
    HostOptions options;
    options.width = 100;
    options.height = 80;
    options.layerAlpha = 200;
    options.backgroundColour = 0xFFFFFF;
    options.frameStyle = 0;
    UiHost& host = makeHost(std::move(options));
    const gfx::Surface& background = host.background();
    // Four outlines outside (5, 5, 90, 70), one pixel apart, black at alphas 45, 25, 10, 5.
    EXPECT_TRUE(argbNear(background.pixel(5, 40), 0x2D000000));
    EXPECT_TRUE(argbNear(background.pixel(4, 40), 0x19000000));
    EXPECT_TRUE(argbNear(background.pixel(3, 40), 0x0A000000));
    EXPECT_TRUE(argbNear(background.pixel(2, 40), 0x05000000, 2));
    EXPECT_EQ(background.rawPixel(1, 40), 0u);
    // Inside, the background at the layer's opacity.
    EXPECT_TRUE(argbNear(background.pixel(50, 40), 0xC8FFFFFF));
    EXPECT_TRUE(argbNear(host.backBuffer().pixel(50, 40), 0xC8FFFFFF));
}

}  // namespace
}  // namespace quorvo::ui::test
