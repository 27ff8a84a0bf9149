// Pixel arithmetic used when presenting and for system icons.

#include "platform/window/Messages.h"
#include "platform/window/Pixels.h"

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

TEST(RectIntersection, DisjointRectanglesGiveEmpty)
{
    EXPECT_TRUE((Rect{0, 0, 10, 10}.intersected(Rect{10, 0, 5, 5})).empty());
    EXPECT_EQ((Rect{0, 0, 10, 10}.intersected(Rect{5, -5, 10, 10})), (Rect{5, 0, 5, 5}));
}

TEST(PointParam, SignedWordsRoundTrip)
{
    EXPECT_EQ(pointX(makePointParam(-1, 32767)), -1);
    EXPECT_EQ(pointY(makePointParam(-1, 32767)), 32767);
    EXPECT_EQ(pointY(makePointParam(0, -32768)), -32768);
}

}  // namespace
}  // namespace quorvo::platform
