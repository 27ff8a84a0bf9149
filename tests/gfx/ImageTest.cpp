#include "gfx/Image.h"

#include "PixelChecks.h"
#include "SampleImages.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

using test::colourDistance;
using test::hex;

// 32 x 32 with four 16 x 16 quadrants: red, green / blue, half-transparent white.
Argb quadrant(int x, int y)
{
    if (y < 16) {
        return x < 16 ? 0xFFFF0000 : 0xFF00FF00;
    }
    return x < 16 ? 0xFF0000FF : 0x80FFFFFF;
}

std::string quadrantPng()
{
    return samples::encodePng(32, 32, quadrant);
}

TEST(LoadImage, DecodesAPngIntoAnArgbBitmapOfTheSameSize)
{
    const Image image = loadImage(quadrantPng());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 32);
    EXPECT_EQ(image.height(), 32);
    EXPECT_EQ(image.activeFrame().pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.activeFrame().pixel(31, 0), 0xFF00FF00u);
    EXPECT_EQ(image.activeFrame().pixel(0, 31), 0xFF0000FFu);
    EXPECT_LE(colourDistance(image.activeFrame().pixel(31, 31), 0x80FFFFFF), 2) << "straight alpha survives";
}

TEST(LoadImage, PngWithoutItsSignatureNeedsAddSignature)
{
    const std::string png = quadrantPng();
    const std::string stripped = png.substr(pngSignature.size());
    EXPECT_TRUE(loadImage(stripped).isNull()) << "no signature, not a picture";
    const Image restored = loadImage(stripped, true);
    ASSERT_FALSE(restored.isNull());
    EXPECT_EQ(restored.width(), 32);
    EXPECT_EQ(restored.activeFrame().pixel(0, 31), 0xFF0000FFu);
}

TEST(LoadImage, AddSignatureOnAWholePngDoublesTheSignatureAndFails)
{
    EXPECT_TRUE(loadImage(quadrantPng(), true).isNull());
}

TEST(LoadImage, DecodesAJpeg)
{
    const std::string jpeg = samples::encodeJpeg(40, 24, [](int, int) { return 0xFF2080C0; });
    const Image image = loadImage(jpeg);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 40);
    EXPECT_EQ(image.height(), 24);
    EXPECT_LE(colourDistance(image.activeFrame().pixel(20, 12), 0xFF2080C0), 4)
        << hex(image.activeFrame().pixel(20, 12));
}

TEST(LoadImage, DecodesACmykJpeg)
{
    const std::string jpeg = samples::encodeJpeg(
        16, 16, [](int, int) { return 0xFF2080C0; }, 95, true);
    const Image image = loadImage(jpeg);
    ASSERT_FALSE(image.isNull());
    EXPECT_LE(colourDistance(image.activeFrame().pixel(8, 8), 0xFF2080C0), 6) << hex(image.activeFrame().pixel(8, 8));
}

std::string threeFrameGif()
{
    // Frame 1 red, frame 2 green in the left half (disposed to background), frame 3 blue dot.
    samples::GifFrame red {0, 0, 8, 8, std::vector<std::uint8_t>(64, 1), 10, -1, 1};
    samples::GifFrame green {0, 0, 4, 8, std::vector<std::uint8_t>(32, 2), 20, -1, 2};
    samples::GifFrame blue {6, 6, 2, 2, std::vector<std::uint8_t>(4, 3), 30, -1, 1};
    return samples::encodeGif(8, 8, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {red, green, blue});
}

TEST(LoadImage, AnimatedGifKeepsItsFramesAndDelays)
{
    Image image = loadImage(threeFrameGif(), false, ImageKind::Animated);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.frameCount(), 3);
    EXPECT_EQ(image.delays(), (std::vector<int> {10, 20, 30}));

    EXPECT_EQ(image.activeFrame().pixel(1, 1), 0xFFFF0000u);
    ASSERT_TRUE(image.selectFrame(1));
    EXPECT_EQ(image.activeFrame().pixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(image.activeFrame().pixel(6, 1), 0xFFFF0000u) << "frame 1 is kept under frame 2";
    ASSERT_TRUE(image.selectFrame(2));
    EXPECT_EQ(image.activeFrame().pixel(1, 1), 0u) << "frame 2 was disposed to the (transparent) background";
    EXPECT_EQ(image.activeFrame().pixel(7, 7), 0xFF0000FFu);
    EXPECT_EQ(image.activeFrame().pixel(6, 1), 0xFFFF0000u);
}

TEST(LoadImage, SelectingAFrameOutOfRangeFails)
{
    Image image = loadImage(threeFrameGif(), false, ImageKind::Animated);
    EXPECT_FALSE(image.selectFrame(3));
    EXPECT_FALSE(image.selectFrame(-1));
    EXPECT_EQ(image.activeFrameIndex(), 0);
}

TEST(LoadImage, DetachedGifIsItsFirstFrameWithoutDelays)
{
    const Image image = loadImage(threeFrameGif());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.frameCount(), 1);
    EXPECT_FALSE(image.delays());
}

TEST(LoadImage, StillPicturesHaveNoFrameDelays)
{
    const Image image = loadImage(quadrantPng(), false, ImageKind::Animated);
    EXPECT_EQ(image.frameCount(), 1);
    EXPECT_FALSE(image.delays());
}

TEST(LoadImage, GifTransparentIndexStaysTransparent)
{
    samples::GifFrame frame {0, 0, 2, 1, {0, 1}, 0, 0, 0};
    const Image image = loadImage(samples::encodeGif(2, 1, {0x000000, 0xFFFFFF}, {frame}));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.activeFrame().pixel(0, 0), 0u);
    EXPECT_EQ(image.activeFrame().pixel(1, 0), 0xFFFFFFFFu);
}

TEST(LoadImage, InterlacedGifRowsComeBackInPlace)
{
    // Each row its own colour index, so a row read into the wrong place shows.
    samples::GifFrame frame {0, 0, 3, 13, {}, 0, -1, 0, true};
    for (int y = 0; y < 13; ++y) {
        frame.indexes.insert(frame.indexes.end(), 3, static_cast<std::uint8_t>(y));
    }
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 16; ++i) {
        palette.push_back(i * 0x100010u + 0x000800u);
    }
    const Image image = loadImage(samples::encodeGif(3, 13, palette, {frame}));
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < 13; ++y) {
        const Argb expected = 0xFF000000u | palette[static_cast<std::size_t>(y)];
        EXPECT_EQ(image.activeFrame().pixel(1, y), expected) << "row " << y;
    }
}

TEST(LoadImage, GifDisposeToPreviousRestoresTheCanvas)
{
    samples::GifFrame base {0, 0, 4, 4, std::vector<std::uint8_t>(16, 1), 5, -1, 1};
    samples::GifFrame temporary {0, 0, 2, 2, std::vector<std::uint8_t>(4, 2), 5, -1, 3};
    samples::GifFrame dot {3, 3, 1, 1, {3}, 5, -1, 1};
    Image image = loadImage(samples::encodeGif(4, 4, {0, 0xFF0000, 0x00FF00, 0x0000FF}, {base, temporary, dot}), false,
                            ImageKind::Animated);
    ASSERT_EQ(image.frameCount(), 3);
    ASSERT_TRUE(image.selectFrame(1));
    EXPECT_EQ(image.activeFrame().pixel(0, 0), 0xFF00FF00u);
    ASSERT_TRUE(image.selectFrame(2));
    EXPECT_EQ(image.activeFrame().pixel(0, 0), 0xFFFF0000u) << "the temporary frame was undone";
    EXPECT_EQ(image.activeFrame().pixel(3, 3), 0xFF0000FFu);
}

class DrawImageTest : public ::testing::Test {
protected:
    Image image = loadImage(quadrantPng());
    Surface target = Surface::create(64, 64);
    Painter painter {target};
};

TEST_F(DrawImageTest, WithoutSourceRectangleTheWholeImageIsScaledIntoTheDestination)
{
    drawImage(painter, image, {0, 0, 64, 64});
    EXPECT_EQ(target.pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(58, 5), 0xFF00FF00u);
    EXPECT_EQ(target.pixel(5, 58), 0xFF0000FFu);
    EXPECT_EQ(test::drawnBox(target), (test::PixelBox {0, 0, 63, 63}));
}

TEST_F(DrawImageTest, SourceRectangleDrawsOnlyThatPart)
{
    drawImage(painter, image, {0, 0, 64, 64}, FloatRect {0, 0, 16, 16});
    EXPECT_EQ(test::countPixels(target, [](Argb c) { return c == 0xFFFF0000u; }), 64 * 64)
        << "only the red top-left 16 x 16, stretched";
}

TEST_F(DrawImageTest, AttributesScaleAlpha)
{
    drawImage(painter, image, {0, 0, 32, 32}, std::nullopt, ImageAttributes {0.5});
    EXPECT_NEAR(alphaOf(target.pixel(3, 3)), 128, 2);
    EXPECT_EQ(target.pixel(3, 3) & 0x00FFFFFFu, 0x00FF0000u);
}

TEST_F(DrawImageTest, DisposeIsSafeToRepeatAndLeavesNothingToDraw)
{
    image.reset();
    image.reset();
    EXPECT_TRUE(image.isNull());
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.frameCount(), 0);
    drawImage(painter, image, {0, 0, 64, 64});
    EXPECT_EQ(test::countDrawn(target), 0);
}

TEST(ImageCopies, ShareTheirPixelsButSelectFramesIndependently)
{
    Image first = loadImage(threeFrameGif(), false, ImageKind::Animated);
    Image second = first;
    ASSERT_TRUE(second.selectFrame(2));
    EXPECT_EQ(first.activeFrameIndex(), 0);
    first.reset();
    EXPECT_FALSE(second.isNull()) << "disposing one holder leaves the other intact";
    EXPECT_EQ(second.activeFrame().pixel(7, 7), 0xFF0000FFu);
}

}  // namespace
}  // namespace quorvo::gfx
