#include "gfx/TextPainter.h"

#include "PixelChecks.h"
#include "gfx/Surface.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

using test::drawnBox;
using test::hex;
using test::PixelBox;
using test::samePixels;

constexpr Argb opaqueBlack = 0xFF000000;
constexpr Argb opaqueWhite = 0xFFFFFFFF;

TEST(HaloColour, DarkTextGetsAWhiteHaloOfAlpha85)
{
    EXPECT_EQ(haloColourFor(opaqueBlack), 0x55FFFFFFu);
    EXPECT_EQ(haloColourFor(0xFF404040), 0x55FFFFFFu);
}

TEST(HaloColour, LightTextGetsABlackHaloOfAlpha75)
{
    EXPECT_EQ(haloColourFor(opaqueWhite), 0x4B000000u);
    EXPECT_EQ(haloColourFor(argb(255, 192, 192, 192)), 0x4B000000u) << "luminance 192 counts as light";
}

TEST(TextRect, FractionsAreCutTowardZero)
{
    EXPECT_EQ(wholePixelRect({10.7f, 5.2f, 100.9f, 20.5f}), (FloatRect {10, 5, 100, 20}));
    EXPECT_EQ(wholePixelRect({-1.5f, 0.9f, 3.99f, 0.5f}), (FloatRect {-1, 0, 3, 0}));
}

class TextDrawTest : public ::testing::Test {
protected:
    Surface surface = Surface::create(200, 60);
    Painter painter {surface};
    const Font& font = defaultFont();
};

TEST_F(TextDrawTest, FractionalRectangleDrawsExactlyAsItsWholePixelRectangle)
{
    const Text text = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    StringFormat format(StringFormatFlags::NoWrap);
    format.trimming(StringTrimming::None);
    drawText(painter, {10.7f, 5.2f, 100.9f, 20.5f}, text, font, opaqueBlack, format);
    Surface expected = Surface::create(200, 60);
    {
        Painter other(expected);
        drawText(other, {10, 5, 100, 20}, text, font, opaqueBlack, format);
    }
    EXPECT_TRUE(samePixels(surface, expected));
    const auto box = drawnBox(surface);
    ASSERT_TRUE(box);
    EXPECT_GE(box->left, 10);
    EXPECT_LE(box->right, 109) << "clipped to the cut rectangle (10, 5, 100, 20)";
    EXPECT_GE(box->top, 5);
    EXPECT_LE(box->bottom, 24);
}

TEST_F(TextDrawTest, NoClipFlagLetsTextRunPastItsBox)
{
    StringFormat format(StringFormatFlags::NoWrap | StringFormatFlags::NoClip);
    format.trimming(StringTrimming::None);
    drawText(painter, {10, 5, 30, 20}, "WWWWWWWWWWWW", font, opaqueBlack, format);
    const auto box = drawnBox(surface);
    ASSERT_TRUE(box);
    EXPECT_GT(box->right, 60);
}

TEST_F(TextDrawTest, ShownHotkeyPrefixUnderlinesTheLetterHiddenDoesNot)
{
    const auto inkBelowBaseline = [this](HotkeyPrefix mode) {
        surface.clear();
        StringFormat format;
        format.hotkeyPrefix(mode);
        drawText(painter, {0, 0, 200, 30}, "&x", font, opaqueBlack, format);
        const auto box = drawnBox(surface);
        return box ? box->bottom : -1;
    };
    const int shown = inkBelowBaseline(HotkeyPrefix::Show);
    const int hidden = inkBelowBaseline(HotkeyPrefix::Hide);
    EXPECT_GT(hidden, 0);
    EXPECT_GT(shown, hidden) << "the underline lies below the x";
}

TEST_F(TextDrawTest, ShownHotkeyDrawsTheLetterNotTheAmpersand)
{
    StringFormat shown;
    shown.hotkeyPrefix(HotkeyPrefix::Show);
    drawText(painter, {0, 0, 200, 30}, "&x", font, opaqueBlack, shown);
    const int withPrefix = drawnBox(surface)->width();
    surface.clear();
    drawText(painter, {0, 0, 200, 30}, "&x", font, opaqueBlack, StringFormat());
    const int literal = drawnBox(surface)->width();
    EXPECT_LT(withPrefix, literal) << "no & on screen";
}

TEST_F(TextDrawTest, LineLimitShowsOnlyWholeLines)
{
    const Text text = "first\nsecond\nthird";
    const float line = fontHeight(painter, font);
    const FloatRect box {0, 0, 200, line * 1.6f};
    StringFormat clipped;
    drawText(painter, box, text, font, opaqueBlack, clipped);
    const int partialBottom = drawnBox(surface)->bottom;
    surface.clear();
    StringFormat limited(StringFormatFlags::LineLimit);
    drawText(painter, box, text, font, opaqueBlack, limited);
    const int wholeBottom = drawnBox(surface)->bottom;
    EXPECT_LT(wholeBottom, static_cast<int>(line)) << "only the first line";
    EXPECT_GT(partialBottom, static_cast<int>(line)) << "without the flag the second line shows in part";
}

TEST_F(TextDrawTest, GlowAroundBlackTextIsWhite)
{
    drawText(painter, {20, 20, 120, 25}, "Quorvo", font, opaqueBlack, StringFormat(), TextEffect::Glow);
    Surface plain = Surface::create(200, 60);
    {
        Painter other(plain);
        drawText(other, {20, 20, 120, 25}, "Quorvo", font, opaqueBlack, StringFormat());
    }
    // Where the plain text left nothing, the glow alone shows: white, and no
    // denser than five overlapping copies of alpha 85.
    int haloPixels = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            const Argb halo = surface.pixel(x, y);
            if (alphaOf(plain.pixel(x, y)) != 0 || alphaOf(halo) == 0) {
                continue;
            }
            ++haloPixels;
            ASSERT_LE(test::colourDistance(halo | 0xFF000000u, opaqueWhite), 8) << x << "," << y << ": " << hex(halo);
            ASSERT_LE(alphaOf(halo), 222);
        }
    }
    EXPECT_GT(haloPixels, 100);
    const auto glowBox = drawnBox(surface);
    const auto textBox = drawnBox(plain);
    ASSERT_TRUE(glowBox && textBox);
    EXPECT_LT(glowBox->left, textBox->left) << "the glow reaches beyond the glyphs";
    EXPECT_GT(glowBox->bottom, textBox->bottom);
}

TEST_F(TextDrawTest, OutlineAroundWhiteTextIsBlackAndTight)
{
    drawText(painter, {20, 20, 120, 25}, "Quorvo", font, opaqueWhite, StringFormat(), TextEffect::Outline);
    const PixelBox outlined = *drawnBox(surface);
    Surface plain = Surface::create(200, 60);
    {
        Painter other(plain);
        drawText(other, {20, 20, 120, 25}, "Quorvo", font, opaqueWhite, StringFormat());
    }
    const PixelBox text = *drawnBox(plain);
    EXPECT_EQ(outlined.left, text.left - 1) << "one pixel of outline";
    EXPECT_EQ(outlined.right, text.right + 1);
    const Argb edge = surface.pixel(outlined.left, (text.top + text.bottom) / 2);
    if (alphaOf(edge) != 0) {
        EXPECT_LE(test::colourDistance(edge | 0xFF000000u, opaqueBlack), 8) << hex(edge);
    }
    int dark = test::countPixels(surface, [](Argb c) { return alphaOf(c) > 0 && redOf(c) < 40; });
    EXPECT_GT(dark, 20) << "black halo pixels around the white glyphs";
}

TEST_F(TextDrawTest, GivenEffectColourReplacesTheDefault)
{
    drawText(painter, {20, 20, 120, 25}, "Quorvo", font, opaqueBlack, StringFormat(), TextEffect::Glow, 0xC0FF0000u);
    EXPECT_GT(test::countPixels(surface, [](Argb c) { return alphaOf(c) > 0 && redOf(c) > 200 && greenOf(c) < 60; }),
              10);
}

TEST_F(TextDrawTest, OtherEffectNumbersDrawPlainText)
{
    drawText(painter, {20, 20, 120, 25}, "Quorvo", font, opaqueBlack, StringFormat(), static_cast<TextEffect>(2));
    Surface plain = Surface::create(200, 60);
    {
        Painter other(plain);
        drawText(other, {20, 20, 120, 25}, "Quorvo", font, opaqueBlack, StringFormat());
    }
    EXPECT_TRUE(samePixels(surface, plain));
}

TEST_F(TextDrawTest, LatinAndChineseDrawTogether)
{
    drawText(painter, {0, 0, 200, 30}, encoding::fromUtf8("下载 Quorvo 完毕"), font, opaqueBlack, StringFormat());
    EXPECT_GT(test::countDrawn(surface), 100);
}

TEST_F(TextDrawTest, InvalidGbkDrawsWhatItCan)
{
    const Text broken(std::string_view("ab\x81", 3));
    drawText(painter, {0, 0, 200, 30}, broken, font, opaqueBlack, StringFormat());
    EXPECT_GT(test::countDrawn(surface), 10);
    surface.clear();
    drawText(painter, {0, 0, 200, 30}, Text(std::string_view("\xFF\xFF\x80", 3)), font, opaqueBlack, StringFormat());
    EXPECT_GT(test::countDrawn(surface), 0) << "replacement marks, not nothing";
}

TEST_F(TextDrawTest, EmptyTextDrawsNothing)
{
    drawText(painter, {0, 0, 200, 30}, "", font, opaqueBlack, StringFormat(), TextEffect::Glow);
    EXPECT_EQ(test::countDrawn(surface), 0);
}

TEST(TextEngine, StartsAgainAfterRelease)
{
    releaseTextEngine();
    Surface surface = Surface::create(100, 30);
    Painter painter(surface);
    drawText(painter, {0, 0, 100, 30}, encoding::fromUtf8("再来 again"),
             createFont("SimSun", 12.0f, FontStyle::Regular), opaqueBlack, StringFormat());
    EXPECT_GT(test::countDrawn(surface), 20);
}

}  // namespace
}  // namespace quorvo::gfx
