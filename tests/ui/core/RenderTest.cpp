// Golden frames of the back buffer: composition with alpha, disabled
// dimming, and repaints asked for while the host is busy.

#include "HostFixture.h"

#include "ui/core/UiPanel.h"

#include "gfx/Color.h"

namespace quorvo::ui::test {
namespace {

// A pixel of the back buffer against a golden value.
::testing::AssertionResult pixelNear(const UiHost& host, int x, int y, gfx::Argb expected, int tolerance = 2)
{
    return argbNear(host.backBuffer().pixel(x, y), expected, tolerance) << " at (" << x << ", " << y << ")";
}

using RenderTest = HostTest;

class Undimmed final : public Probe {
public:
    using Probe::Probe;
    [[nodiscard]] bool drawsDimmedWhenDisabled() const override { return false; }
};

TEST_F(RenderTest, SurfacesAreComposedWithTheirAlphaOverTheBackground)
{
    UiHost& host = makeWhiteHost();
    EXPECT_TRUE(pixelNear(host, 50, 50, 0xFFFFFFFF));
    auto& red = host.add<Probe>(FloatRect {20, 20, 40, 40}, "red", journal);
    red.fill = 0xFFFF0000;
    red.setAlpha(128);
    auto& blue = host.add<Probe>(FloatRect {40, 40, 40, 40}, "blue", journal);
    blue.fill = 0x800000FF;  // half-transparent surface pixels
    drain();
    EXPECT_TRUE(pixelNear(host, 25, 25, 0xFFFF7F7F));
    // Later controls lie on top: blue (alpha 128) over red (alpha 128) over white.
    EXPECT_TRUE(pixelNear(host, 50, 50, 0xFF7F3FBF));
    EXPECT_TRUE(pixelNear(host, 70, 70, 0xFF7F7FFF));
    // Outside every control: the background.
    EXPECT_TRUE(pixelNear(host, 100, 25, 0xFFFFFFFF));
}

TEST_F(RenderTest, DisabledControlsAreDimmedToHalfAlphaUnlessTheyDecline)
{
    UiHost& host = makeWhiteHost();
    auto& dimmed = host.add<Probe>(FloatRect {20, 20, 30, 30}, "dimmed", journal);
    dimmed.fill = 0xFF000000;
    auto& plain = host.add<Undimmed>(FloatRect {80, 20, 30, 30}, "plain", journal);
    plain.fill = 0xFF000000;
    dimmed.setEnabled(false);
    plain.setEnabled(false);
    drain();
    EXPECT_TRUE(pixelNear(host, 30, 30, 0xFF808080));
    EXPECT_TRUE(pixelNear(host, 90, 30, 0xFF000000));
    dimmed.setAlpha(128);
    drain();
    EXPECT_TRUE(pixelNear(host, 30, 30, 0xFFBFBFBF)) << "half of the control's own alpha";
}

TEST_F(RenderTest, ChildrenAreClippedToTheirParent)
{
    UiHost& host = makeWhiteHost();
    auto& panel = host.add<UiPanel>(FloatRect {20, 20, 40, 40});
    auto& child = panel.add<Probe>(FloatRect {40, 40, 60, 60}, "child", journal);
    child.fill = 0xFF00FF00;
    drain();
    EXPECT_TRUE(pixelNear(host, 50, 50, 0xFF00FF00));
    EXPECT_TRUE(pixelNear(host, 70, 70, 0xFFFFFFFF)) << "outside the panel the child is not drawn";
    panel.move(30.0f, 30.0f);
    drain();
    EXPECT_EQ(child.rect().x, 50.0f) << "moving a parent moves its children";
    EXPECT_EQ(child.rect().width, 60.0f) << "and does not resize them";
    EXPECT_TRUE(pixelNear(host, 65, 65, 0xFF00FF00));
    EXPECT_TRUE(pixelNear(host, 45, 45, 0xFFFFFFFF));
}

TEST_F(RenderTest, RepaintAskedForWhileBusyIsPaintedWhenBusyEnds)
{
    UiHost& host = makeWhiteHost();
    auto& row = host.add<Probe>(FloatRect {20, 20, 40, 20}, "row", journal);
    row.fill = 0xFF0000FF;
    drain();
    ASSERT_TRUE(pixelNear(host, 30, 30, 0xFF0000FF));
    // The fade keeps the host busy for five 50-ms ticks.
    host.setBackground(std::nullopt, 0xFFFFFF, BackgroundTransition::Fade);
    ASSERT_TRUE(host.isBusy());
    row.fill = 0xFF00FF00;  // the row's final state
    row.update();
    drain();
    ASSERT_TRUE(host.isBusy());
    ASSERT_TRUE(pumpUntil([&] { return !host.isBusy(); }));
    drain();
    EXPECT_TRUE(pixelNear(host, 30, 30, 0xFF00FF00)) << "the repaint asked for while busy was not lost";
    const auto shown = loop().surfaceSnapshot(host.window());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->at(30, 30) & 0xFFFFFF, 0x00FF00u) << "and it reached the window";
}

TEST_F(RenderTest, SettingAPropertyToItsValueDoesNotRepaint)
{
    UiHost& host = makeWhiteHost();
    int paints = 0;
    class Counting final : public UiControl {
    public:
        Counting(FloatRect rect, int& paints)
            : UiControl(rect)
            , m_paints(paints)
        { }

    protected:
        void paintEvent(PaintEvent&) override { ++m_paints; }

    private:
        int& m_paints;
    };
    auto& counting = host.add<Counting>(FloatRect {10, 10, 10, 10}, paints);
    counting.setText("a");
    drain();
    const int before = paints;
    counting.setText("a");
    counting.setLeft(10.00000001f);
    counting.setVisible(true);
    drain();
    EXPECT_EQ(paints, before);
    counting.setText("b");
    drain();
    EXPECT_EQ(paints, before + 1);
}

}  // namespace
}  // namespace quorvo::ui::test
