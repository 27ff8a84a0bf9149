// Pixel arithmetic used when presenting and for system icons.

#include "platform/window/Pixels.h"
#include "runtime/Geometry.h"

#include <gtest/gtest.h>

namespace quorvo::platform {
namespace {

TEST(ComposeOverOpaque, OpaqueSourceWinsAndTransparentShowsTheBackdrop)
{
    EXPECT_EQ(composeOverOpaque(0xFF102030, 0x00FFFFFF), 0xFF102030u);
    EXPECT_EQ(composeOverOpaque(0x00000000, 0x00ABCDEF), 0xFFABCDEFu);
}

TEST(ComposeOverOpaque, HalfAlphaBlendsPremultipliedColour)
{
    // 50 % white over black stays 0x80; over white it is white.
    EXPECT_EQ(composeOverOpaque(0x80808080, 0x000000), 0xFF808080u);
    EXPECT_EQ(composeOverOpaque(0x80808080, 0xFFFFFF), 0xFFFFFFFFu);
}

TEST(ComposeOverOpaque, MalformedPremultipliedInputSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(composeOverOpaque(0x10FFFFFF, 0xFFFFFF), 0xFFFFFFFFu);
}

TEST(Unpremultiply, RecoversStraightColour)
{
    EXPECT_EQ(unpremultiply(0x80400000), 0x80800000u);  // 0x40 / (128/255), rounded
    EXPECT_EQ(unpremultiply(0xFF123456), 0xFF123456u);
    EXPECT_EQ(unpremultiply(0x00123456), 0x00000000u) << "fully transparent has no colour";
    EXPECT_EQ(unpremultiply(0x10FFFFFF), 0x10FFFFFFu) << "clamped, not wrapped";
}

}  // namespace
}  // namespace quorvo::platform

namespace quorvo::platform {
namespace {

int coveredPixels(const std::vector<IntRect>& rows)
{
    int total = 0;
    for (const IntRect& row : rows) {
        total += row.width * row.height;
    }
    return total;
}

bool covers(const std::vector<IntRect>& rows, IntPoint p)
{
    for (const IntRect& row : rows) {
        if (row.contains(p)) {
            return true;
        }
    }
    return false;
}

TEST(RoundedRectangleRows, SquareCornersAreTheWholeRectangle)
{
    const auto rows = roundedRectangleRows(IntRect {6, 6, 398, 638}, 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (IntRect {6, 6, 398, 638}));
}

TEST(RoundedRectangleRows, CornersAreCutSymmetricallyAndTheMiddleIsFull)
{
    const IntRect area {6, 6, 398, 638};
    const auto rows = roundedRectangleRows(area, 10);
    EXPECT_FALSE(covers(rows, IntPoint {6, 6})) << "the very corner is outside";
    EXPECT_FALSE(covers(rows, IntPoint {403, 643}));
    EXPECT_TRUE(covers(rows, IntPoint {6, 320})) << "the left edge is inside away from corners";
    EXPECT_TRUE(covers(rows, IntPoint {200, 6})) << "the top edge is inside away from corners";
    EXPECT_TRUE(covers(rows, IntPoint {403, 320}));
    // Mirror symmetry: what is cut at the top left is cut at the bottom right.
    for (int d = 0; d < 5; ++d) {
        EXPECT_EQ(covers(rows, IntPoint {6 + d, 6}), covers(rows, IntPoint {403 - d, 643})) << d;
    }
    const int cut = area.width * area.height - coveredPixels(rows);
    EXPECT_GT(cut, 4);
    EXPECT_LT(cut, 4 * 25) << "four corners of a 10-pixel ellipse remove only a few pixels";
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i - 1].bottom(), rows[i].y) << "bands are contiguous and sorted";
    }
}

TEST(RoundedRectangleRows, EmptyAreaHasNoRows)
{
    EXPECT_TRUE(roundedRectangleRows(IntRect {0, 0, 0, 10}, 5).empty());
}

// Shrinking by 3 to 2: each target pixel takes one whole source pixel and
// half of the middle one, so no source column is left out or counted twice.
TEST(Resampled, ShrinkingWeighsEachSourcePixelByTheAreaItCovers)
{
    PixelBuffer source(3, 1);
    source.at(0, 0) = 0xFF000000;
    source.at(1, 0) = 0xFF606060;
    source.at(2, 0) = 0xFFC0C0C0;
    const PixelBuffer shrunk = resampled(source.view(), 2, 1);
    ASSERT_EQ(shrunk.width(), 2);
    EXPECT_EQ(shrunk.at(0, 0), 0xFF202020u);
    EXPECT_EQ(shrunk.at(1, 0), 0xFFA0A0A0u);
}

TEST(Resampled, GrowingInterpolatesInsteadOfRepeatingPixels)
{
    PixelBuffer source(2, 1);
    source.at(0, 0) = 0xFF000000;
    source.at(1, 0) = 0xFF808080;
    const PixelBuffer grown = resampled(source.view(), 4, 1);
    EXPECT_EQ(grown.at(0, 0), 0xFF000000u);
    EXPECT_EQ(grown.at(1, 0), 0xFF202020u);
    EXPECT_EQ(grown.at(2, 0), 0xFF606060u);
    EXPECT_EQ(grown.at(3, 0), 0xFF808080u);
}

TEST(Resampled, TheSameSizeIsACopyAndPremultipliedColourStaysWithinItsAlpha)
{
    PixelBuffer source(3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            source.at(x, y) = (x + y) % 2 == 0 ? 0x7F7F7F7Fu : 0x01010101u;
    }
    const PixelBuffer same = resampled(source.view(), 3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(same.at(x, y), source.at(x, y)) << x << "," << y;
    }
    const PixelBuffer shrunk = resampled(source.view(), 2, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            const std::uint32_t pixel = shrunk.at(x, y);
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_LE((pixel >> (8 * channel)) & 0xFFu, pixel >> 24) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace quorvo::platform
