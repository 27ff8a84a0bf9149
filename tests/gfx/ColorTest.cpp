#include "gfx/Color.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

TEST(ToArgb, SwapsRedAndBlueOfAWindowsRgbValue)
{
    EXPECT_EQ(toArgb(0x0000FF, 255), 0xFEFF0000u);  // pure red
    EXPECT_EQ(toArgb(0xFF0000, 10), 0x0A0000FFu);   // pure blue
    EXPECT_EQ(toArgb(0x00FF00, 0), 0x0000FF00u);
}

TEST(ToArgb, OmittedOrOpaqueAlphaBecomes254)
{
    EXPECT_EQ(toArgb(0x646464), 0xFE646464u);
    EXPECT_EQ(toArgb(0x646464, 255), 0xFE646464u);
    EXPECT_EQ(toArgb(0x646464, 254), 0xFE646464u);
}

TEST(ToArgb, KeepsOtherAlphas)
{
    EXPECT_EQ(toArgb(0xFFFFFF, 245), 0xF5FFFFFFu);
    EXPECT_EQ(toArgb(0x000000, 160), 0xA0000000u);
}

TEST(ToArgb, IgnoresBitsAboveTheRgbValue)
{
    EXPECT_EQ(toArgb(0x7F0000FF, 128), 0x80FF0000u);
}

TEST(IsDark, LuminanceBelow192IsDark)
{
    EXPECT_TRUE(isDark(0xFF000000));
    EXPECT_FALSE(isDark(0xFFFFFFFF));
    EXPECT_TRUE(isDark(argb(255, 191, 191, 191)));
}

TEST(IsDark, LuminanceOfExactly192CountsAsLight)
{
    EXPECT_FALSE(isDark(argb(255, 192, 192, 192)));
    EXPECT_FALSE(isDark(argb(0, 192, 192, 192))) << "alpha plays no part";
}

}  // namespace
}  // namespace quorvo::gfx
