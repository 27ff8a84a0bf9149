#include "gfx/Image.h"

#include "PixelChecks.h"
#include "SampleImages.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

using samples::nineBlockColour;

TEST(NineGridSlices, CornersKeepTheirSizeAndTheMiddleStretches)
{
    const auto slices = nineGridSlices(30, 30, {0, 0, 100, 50}, {10, 10, 10, 10});
    ASSERT_EQ(slices.size(), 9u);
    const FloatRect expectedDest[9] = {
        {0, 0, 10, 10},   {10, 0, 80, 10}, {90, 0, 10, 10},  {0, 10, 10, 30},  {10, 10, 80, 30},
        {90, 10, 10, 30}, {0, 40, 10, 10}, {10, 40, 80, 10}, {90, 40, 10, 10},
    };
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(slices[i].dest, expectedDest[i]) << "slice " << i;
        const int column = static_cast<int>(i % 3);
        const int row = static_cast<int>(i / 3);
        EXPECT_EQ(slices[i].source, (FloatRect {column * 10.0f, row * 10.0f, 10, 10})) << "slice " << i;
    }
}

TEST(NineGridSlices, TruncatesEveryCoordinateToWholePixels)
{
    const auto slices = nineGridSlices(30, 30, {0.9f, 1.7f, 100.6f, 50.2f}, {10.8f, 10.2f, 9.5f, 10});
    EXPECT_EQ(slices[0].dest, (FloatRect {0, 1, 10, 10}));
    // R = 30 - 10.8 - 9.5 = 9.7 -> 9
    EXPECT_EQ(slices[2].dest, (FloatRect {100 - 9, 1, 9, 10}));
    // B = 30 - 10.2 - 10 = 9.8 -> 9
    EXPECT_EQ(slices[4].dest, (FloatRect {10, 11, 100 - 10 - 9, 50 - 10 - 9}));
}

class NineGridTest : public ::testing::Test {
protected:
    Image image = loadImage(samples::nineBlockPng());
    Surface target = Surface::create(100, 50);
    Painter painter {target};

    void expectBlocks(int alpha)
    {
        // Column bands 0..9, 10..89, 90..99; row bands 0..9, 10..39, 40..49.
        const int xs[3][2] = {{0, 9}, {10, 89}, {90, 99}};
        const int ys[3][2] = {{0, 9}, {10, 39}, {40, 49}};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const Argb expected = (nineBlockColour(column, row) & 0x00FFFFFFu) | (static_cast<Argb>(alpha) << 24);
                for (int y : ys[row]) {
                    for (int x : xs[column]) {
                        EXPECT_LE(test::colourDistance(target.pixel(x, y), expected), alpha == 255 ? 0 : 2)
                            << "block " << column << "," << row << " at " << x << "," << y << ": "
                            << test::hex(target.pixel(x, y));
                    }
                }
            }
        }
    }
};

TEST_F(NineGridTest, ThirtyPixelImageIntoHundredByFiftyKeepsCornersAndStretchesBorders)
{
    ASSERT_FALSE(image.isNull());
    drawNineGrid(painter, image, {0, 0, 100, 50}, {10, 10, 10, 10});
    expectBlocks(255);
}

TEST_F(NineGridTest, Alpha255OrNoneDrawsOpaque)
{
    drawNineGrid(painter, image, {0, 0, 100, 50}, {10, 10, 10, 10}, 255);
    expectBlocks(255);
}

TEST_F(NineGridTest, Alpha128ScalesEverySlice)
{
    drawNineGrid(painter, image, {0, 0, 100, 50}, {10, 10, 10, 10}, 128);
    expectBlocks(128);
}

TEST_F(NineGridTest, NullImageDrawsNothing)
{
    drawNineGrid(painter, Image(), {0, 0, 100, 50}, {10, 10, 10, 10});
    EXPECT_EQ(test::countDrawn(target), 0);
}

TEST_F(NineGridTest, CentreReachingBeyondTheImageSkipsTheNegativeSlices)
{
    // Right and bottom borders come out as 30 - 20 - 40 = -30: those slices are skipped.
    drawNineGrid(painter, image, {0, 0, 100, 50}, {20, 20, 40, 40});
    EXPECT_EQ(target.pixel(5, 5), nineBlockColour(0, 0));
    EXPECT_EQ(target.pixel(95, 45), 0u);
}

}  // namespace
}  // namespace quorvo::gfx
