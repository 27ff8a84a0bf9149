#include "gfx/Shapes.h"

#include "PixelChecks.h"
#include "gfx/Surface.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

using test::colourDistance;
using test::countDrawn;
using test::drawnBox;
using test::hex;
using test::PixelBox;

constexpr Argb opaqueBlue = 0xFF336699;

class PainterTest : public ::testing::Test {
protected:
    Surface surface = Surface::create(200, 120);
    Painter painter {surface};
};

TEST_F(PainterTest, FillRectCoversWidthMinusOneByHeightMinusOne)
{
    fillRect(painter, {10, 10, 100, 20}, opaqueBlue);
    EXPECT_EQ(drawnBox(surface), (PixelBox {10, 10, 108, 28}));
    EXPECT_EQ(countDrawn(surface), 99 * 19) << "every pixel of the box is covered, none outside";
    EXPECT_EQ(surface.pixel(10, 10), opaqueBlue);
    EXPECT_EQ(surface.pixel(108, 28), opaqueBlue);
}

TEST_F(PainterTest, FillRectOfWidthOneDrawsNothing)
{
    fillRect(painter, {10, 10, 1, 20}, opaqueBlue);
    fillRect(painter, {10, 10, 20, 1}, opaqueBlue);
    fillRect(painter, {10, 10, -5, 20}, opaqueBlue);
    EXPECT_EQ(countDrawn(surface), 0);
}

TEST_F(PainterTest, FillRectKeepsTheColoursAlpha)
{
    fillRect(painter, {0, 0, 10, 10}, toArgb(0x0000FF, 128));
    EXPECT_LE(colourDistance(surface.pixel(4, 4), 0x80FF0000), 1) << hex(surface.pixel(4, 4));
}

TEST_F(PainterTest, HorizontalLineCoversOneRowIncludingBothEnds)
{
    drawLine(painter, opaqueBlue, 10, 20, 50, 20);
    EXPECT_EQ(drawnBox(surface), (PixelBox {10, 20, 50, 20}));
    EXPECT_EQ(countDrawn(surface), 41);
    EXPECT_EQ(surface.pixel(30, 20), opaqueBlue);
}

TEST_F(PainterTest, LineWidthWidensTheLine)
{
    drawLine(painter, opaqueBlue, 10, 20, 10, 60, 3.0f);
    const auto box = drawnBox(surface);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->width(), 3);
}

TEST_F(PainterTest, FrameStyleZeroDrawsNothing)
{
    drawFrame(painter, {5, 5, 20, 10}, frame::None, opaqueBlue);
    EXPECT_EQ(countDrawn(surface), 0);
}

TEST_F(PainterTest, SolidFrameWithoutColourIsGreyOfAlpha254OnTheControlsEdge)
{
    drawFrame(painter, {5, 5, 20, 10}, frame::Solid);
    EXPECT_EQ(drawnBox(surface), (PixelBox {5, 5, 24, 14}));
    EXPECT_EQ(countDrawn(surface), 2 * 20 + 2 * 8) << "a one-pixel ring, nothing inside";
    EXPECT_LE(colourDistance(surface.pixel(5, 5), 0xFE646464), 1) << hex(surface.pixel(5, 5));
    EXPECT_LE(colourDistance(surface.pixel(24, 14), 0xFE646464), 1) << hex(surface.pixel(24, 14));
    EXPECT_EQ(surface.pixel(10, 10), 0u);
}

TEST_F(PainterTest, StyleValueThatIsAColourDrawsASolidFrameInThatColour)
{
    drawFrame(painter, {5, 5, 20, 10}, 0xFF336699u, 0xFFFF0000u);
    EXPECT_EQ(drawnBox(surface), (PixelBox {5, 5, 24, 14}));
    EXPECT_EQ(surface.pixel(5, 5), 0xFF336699u) << "the colour argument is ignored";
    EXPECT_EQ(surface.pixel(24, 10), 0xFF336699u);
}

TEST_F(PainterTest, SolidFrameUsesAGivenColourAndWidth)
{
    drawFrame(painter, {10, 10, 30, 30}, frame::Solid, 0xFF00FF00u, 3.0f);
    EXPECT_EQ(surface.pixel(10, 20), 0xFF00FF00u);
    EXPECT_EQ(surface.pixel(11, 20), 0xFF00FF00u) << "3 pixels wide around the edge";
    EXPECT_EQ(surface.pixel(20, 20), 0u);
}

TEST_F(PainterTest, DashedFrameLeavesGapsInItsDefaultTranslucentBlack)
{
    drawFrame(painter, {5, 5, 40, 20}, frame::Dashed);
    int dash = 0;
    int gap = 0;
    for (int x = 5; x <= 44; ++x) {
        const Argb top = surface.pixel(x, 5);
        if (top == 0) {
            ++gap;
        } else if (colourDistance(top, 0x78000000) <= 1) {
            ++dash;
        }
    }
    EXPECT_GT(gap, 5) << "dashes, not a closed line";
    EXPECT_GT(dash, 20) << "dash pixels are the default black of alpha 120";
}

TEST_F(PainterTest, SunkenFrameIsDarkTopLeftAndHalfWidthLightBottomRight)
{
    drawFrame(painter, {0, 0, 20, 10}, frame::Sunken);
    EXPECT_LE(colourDistance(surface.pixel(10, 0), 0xA0000000), 1) << hex(surface.pixel(10, 0));
    EXPECT_LE(colourDistance(surface.pixel(0, 5), 0xA0000000), 1) << hex(surface.pixel(0, 5));
    const Argb bottom = surface.pixel(10, 9);
    const Argb right = surface.pixel(19, 5);
    for (Argb light : {bottom, right}) {
        EXPECT_EQ(light & 0x00FFFFFFu, 0x00FFFFFFu) << hex(light);
        EXPECT_NEAR(alphaOf(light), 245 / 2, 8) << "half the pen width covers half the pixel";
    }
    EXPECT_EQ(surface.pixel(10, 5), 0u);
}

TEST_F(PainterTest, RaisedFrameIsLightTopLeftAndDarkBottomRight)
{
    drawFrame(painter, {0, 0, 20, 10}, frame::Raised);
    EXPECT_EQ(surface.pixel(10, 0) & 0x00FFFFFFu, 0x00FFFFFFu);
    EXPECT_NEAR(alphaOf(surface.pixel(10, 0)), 245 / 2, 8);
    EXPECT_LE(colourDistance(surface.pixel(10, 9), 0xA8000000), 1) << hex(surface.pixel(10, 9));
    EXPECT_LE(colourDistance(surface.pixel(19, 5), 0xA8000000), 1) << hex(surface.pixel(19, 5));
}

TEST_F(PainterTest, VerticalGradientRunsTopToBottomOverWidthMinusOne)
{
    fillGradient(painter, {0, 0, 50, 101}, 0xFF000000, 0xFFFFFFFF, GradientMode::Vertical);
    EXPECT_EQ(drawnBox(surface), (PixelBox {0, 0, 48, 99}));
    EXPECT_LE(redOf(surface.pixel(20, 0)), 3);
    EXPECT_GE(redOf(surface.pixel(20, 99)), 245);
    for (int y = 1; y < 100; ++y) {
        ASSERT_GE(redOf(surface.pixel(20, y)), redOf(surface.pixel(20, y - 1))) << "row " << y;
        ASSERT_EQ(surface.pixel(0, y), surface.pixel(47, y)) << "rows are uniform";
    }
}

TEST_F(PainterTest, HorizontalGradientRunsLeftToRight)
{
    fillGradient(painter, {0, 0, 101, 20}, 0xFFFF0000, 0xFF0000FF, GradientMode::Horizontal);
    EXPECT_GE(redOf(surface.pixel(0, 5)), 250);
    EXPECT_GE(blueOf(surface.pixel(99, 5)), 245);
    EXPECT_EQ(surface.pixel(50, 0), surface.pixel(50, 18)) << "columns are uniform";
}

TEST_F(PainterTest, ForwardDiagonalGradientRunsCornerToCorner)
{
    fillGradient(painter, {0, 0, 101, 51}, 0xFF000000, 0xFFFFFFFF, GradientMode::ForwardDiagonal);
    EXPECT_LE(redOf(surface.pixel(0, 0)), 5);
    EXPECT_GE(redOf(surface.pixel(99, 49)), 245);
    EXPECT_NEAR(redOf(surface.pixel(99, 0)), 128, 6) << "the other diagonal is the middle colour";
    EXPECT_NEAR(redOf(surface.pixel(0, 49)), 128, 6);
}

TEST_F(PainterTest, BackwardDiagonalGradientStartsTopRight)
{
    fillGradient(painter, {0, 0, 101, 51}, 0xFF000000, 0xFFFFFFFF, GradientMode::BackwardDiagonal);
    EXPECT_LE(redOf(surface.pixel(99, 0)), 5);
    EXPECT_GE(redOf(surface.pixel(0, 49)), 250);
    EXPECT_NEAR(redOf(surface.pixel(0, 0)), 128, 6);
}

TEST_F(PainterTest, RoundRectFillStaysInsideWidthMinusOneWithEmptyCorners)
{
    fillRoundRect(painter, {0, 0, 40, 20}, 8.9f, opaqueBlue);
    EXPECT_EQ(drawnBox(surface), (PixelBox {0, 0, 38, 18}));
    EXPECT_EQ(surface.pixel(0, 0), 0u);
    EXPECT_EQ(surface.pixel(38, 18), 0u);
    EXPECT_EQ(surface.pixel(20, 10), opaqueBlue);
    EXPECT_EQ(surface.pixel(20, 0), opaqueBlue);
}

TEST_F(PainterTest, RoundRectOutlineCoversTheControlsEdgePixels)
{
    drawRoundRect(painter, {0, 0, 40, 20}, 8, opaqueBlue);
    EXPECT_EQ(drawnBox(surface), (PixelBox {0, 0, 39, 19}));
    EXPECT_EQ(surface.pixel(20, 0), opaqueBlue);
    EXPECT_EQ(surface.pixel(20, 19), opaqueBlue);
    EXPECT_EQ(surface.pixel(20, 10), 0u);
    EXPECT_EQ(surface.pixel(0, 0), 0u) << "the corner is cut by the arc";
}

TEST_F(PainterTest, DashedRoundRectOutlineHasGaps)
{
    const auto ink = [this] {
        int sum = 0;
        test::countPixels(surface, [&sum](Argb colour) {
            sum += alphaOf(colour);
            return false;
        });
        return sum;
    };
    drawRoundRect(painter, {0, 0, 60, 30}, 6, opaqueBlue);
    const int solid = ink();
    surface.clear();
    drawRoundRect(painter, {0, 0, 60, 30}, 6, opaqueBlue, DashStyle::Dot);
    const int dotted = ink();
    EXPECT_GT(dotted, solid * 4 / 10) << "dots and gaps of one pen width each";
    EXPECT_LT(dotted, solid * 6 / 10);
}

TEST_F(PainterTest, ClipToRoundedPathKeepsCornersClear)
{
    ASSERT_TRUE(painter.clipPath(roundRectPath({0, 0, 40, 20}, 10), CombineMode::Replace));
    painter.clear(opaqueBlue);
    EXPECT_EQ(surface.pixel(0, 0), 0u);
    EXPECT_EQ(surface.pixel(20, 10), opaqueBlue);
    EXPECT_EQ(surface.pixel(100, 100), 0u);
    painter.resetClip();
}

TEST_F(PainterTest, ClipExcludeCutsAHole)
{
    Path hole;
    hole.addRectangle({10, 10, 10, 10});
    ASSERT_TRUE(painter.clipPath(hole, CombineMode::Exclude));
    painter.clear(opaqueBlue);
    EXPECT_EQ(surface.pixel(15, 15), 0u);
    EXPECT_EQ(surface.pixel(5, 5), opaqueBlue);
    EXPECT_EQ(surface.pixel(25, 25), opaqueBlue);
}

TEST_F(PainterTest, UnsupportedCombineModesLeaveTheClipAlone)
{
    Path path;
    path.addRectangle({10, 10, 10, 10});
    EXPECT_FALSE(painter.clipPath(path, CombineMode::Union));
    painter.clear(opaqueBlue);
    EXPECT_EQ(surface.pixel(150, 100), opaqueBlue);
}

TEST_F(PainterTest, StateSaverRestoresTheClip)
{
    {
        PainterStateSaver saver(painter);
        painter.clipRect({0, 0, 10, 10});
        painter.setAntialias(false);
        EXPECT_EQ(painter.saveDepth(), 1);
    }
    EXPECT_EQ(painter.saveDepth(), 0);
    EXPECT_TRUE(painter.antialias());
    fillRect(painter, {50, 50, 11, 11}, opaqueBlue);
    EXPECT_EQ(surface.pixel(55, 55), opaqueBlue);
}

TEST_F(PainterTest, SpotGlowIsAWhiteDiscFadingToAlpha50)
{
    drawSpotGlow(painter, 50, 50);
    const Argb centre = surface.pixel(50, 50);
    EXPECT_EQ(centre & 0x00FFFFFFu, 0x00FFFFFFu) << hex(centre);
    EXPECT_GE(alphaOf(centre), 240);
    const int nearRim = alphaOf(surface.pixel(50 + 16, 50));
    EXPECT_GT(nearRim, 45);
    EXPECT_LT(nearRim, 90);
    EXPECT_EQ(surface.pixel(50 + 19, 50), 0u);
    EXPECT_EQ(surface.pixel(50 + 15, 50 + 15), 0u) << "a disc, not the 36 x 36 square";
    const auto box = drawnBox(surface);
    ASSERT_TRUE(box);
    EXPECT_GE(box->left, 32);
    EXPECT_LE(box->right, 68);
}

TEST(Surface, RefusesAbsurdSizesWithoutAllocating)
{
    EXPECT_TRUE(Surface::create(30000, 30000).isNull());
    EXPECT_TRUE(Surface::create(0, 10).isNull());
    EXPECT_TRUE(Surface::create(10, -1).isNull());
    EXPECT_FALSE(Surface::create(410, 650).isNull());
}

TEST(Surface, PaintingAControlSurfaceKeepsItsPixels)
{
    Surface control = Surface::create(30, 20);
    {
        Painter painter(control);
        fillRect(painter, {0, 0, 31, 21}, 0x80FF0000);
    }
    Surface frame = Surface::create(100, 100);
    Painter painter(frame);
    painter.drawSurface(control, 40, 30);
    EXPECT_EQ(frame.rawPixel(40, 30), control.rawPixel(0, 0));
    EXPECT_EQ(frame.rawPixel(69, 49), control.rawPixel(29, 19));
    EXPECT_EQ(frame.rawPixel(70, 50), 0u);
    EXPECT_EQ(drawnBox(frame), (PixelBox {40, 30, 69, 49}));
}

TEST(Surface, WrapsForeignMemoryInPlace)
{
    std::vector<std::uint32_t> pixels(16 * 8, 0);
    {
        Surface wrapped = Surface::wrap(pixels.data(), 16, 8, 16 * 4);
        ASSERT_FALSE(wrapped.isNull());
        Painter painter(wrapped);
        fillRect(painter, {2, 2, 3, 3}, 0xFF112233);
    }
    EXPECT_EQ(pixels[2 * 16 + 2], 0xFF112233u);
    EXPECT_EQ(pixels[4 * 16 + 4], 0u);
}

}  // namespace
}  // namespace quorvo::gfx
