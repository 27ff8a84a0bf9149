#include "gfx/TextPainter.h"

#include "gfx/Surface.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

class MeasureTest : public ::testing::Test {
protected:
    Surface surface = Surface::create(10, 10);
    Painter painter {surface};
    const Font& font = defaultFont();
    const FloatRect wide {0, 0, 400, 100};

    FloatRect measure(const Text& text, const StringFormat& format, int first, int count, FloatRect layout)
    {
        const auto box = measureText(painter, text, font, format, first, count, layout);
        EXPECT_TRUE(box) << "range " << first << "+" << count;
        return box.value_or(FloatRect {});
    }
};

TEST_F(MeasureTest, RangesFollowEachOtherAlongTheLine)
{
    const StringFormat format;
    const FloatRect a = measure("abcd", format, 0, 1, wide);
    const FloatRect b = measure("abcd", format, 1, 1, wide);
    const FloatRect ab = measure("abcd", format, 0, 2, wide);
    EXPECT_GT(a.width, 0.0f);
    EXPECT_NEAR(b.x, a.x + a.width, 0.01f);
    EXPECT_NEAR(ab.x, a.x, 0.01f);
    EXPECT_NEAR(ab.width, a.width + b.width, 0.01f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_GT(a.height, 10.0f);
}

TEST_F(MeasureTest, RangesCountCharactersNotBytes)
{
    const Text text = encoding::fromUtf8("中文ab");
    const FloatRect chinese = measure(text, StringFormat(), 0, 2, wide);
    const FloatRect latin = measure(text, StringFormat(), 2, 1, wide);
    EXPECT_NEAR(latin.x, chinese.x + chinese.width, 0.01f);
    EXPECT_GT(chinese.width, 2 * latin.width) << "CJK glyphs are full width";
}

TEST_F(MeasureTest, RangeOutsideTheTextFailsAndEmptyRangeIsEmpty)
{
    EXPECT_FALSE(measureText(painter, "abc", font, StringFormat(), 2, 2, wide));
    EXPECT_FALSE(measureText(painter, "abc", font, StringFormat(), -1, 1, wide));
    const auto empty = measureText(painter, "abc", font, StringFormat(), 1, 0, wide);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->width, 0.0f);
}

TEST_F(MeasureTest, RangesAreOffsetByTheLayoutBox)
{
    const FloatRect here = measure("abc", StringFormat(), 1, 1, wide);
    const FloatRect there = measure("abc", StringFormat(), 1, 1, {30, 40, 400, 100});
    EXPECT_NEAR(there.x, here.x + 30, 0.01f);
    EXPECT_NEAR(there.y, here.y + 40, 0.01f);
}

TEST_F(MeasureTest, AlignmentPlacesTheTextInItsBox)
{
    StringFormat format;
    const FloatRect near = measureString(painter, "Quorvo", font, format, wide);
    format.align(StringAlignment::Center);
    const FloatRect centre = measureString(painter, "Quorvo", font, format, wide);
    format.align(StringAlignment::Far);
    const FloatRect far = measureString(painter, "Quorvo", font, format, wide);
    EXPECT_NEAR(near.x, 0.0f, 0.01f);
    EXPECT_NEAR(centre.x, (400 - near.width) / 2, 1.0f);
    EXPECT_NEAR(far.x + far.width, 400.0f, 1.0f);
}

TEST_F(MeasureTest, NoWrapFlagKeepsALongTextOnOneLine)
{
    const Text text = "one two three four five six seven eight nine ten";
    StringFormat wrapping;
    const FloatRect wrapped = measureString(painter, text, font, wrapping, {0, 0, 60, 200});
    StringFormat single(StringFormatFlags::NoWrap);
    single.trimming(StringTrimming::None);
    const FloatRect line = measureString(painter, text, font, single, {0, 0, 60, 200});
    EXPECT_GT(wrapped.height, 3 * line.height);
    EXPECT_GT(line.width, 60.0f);
    EXPECT_LE(wrapped.width, 60.0f);
}

TEST_F(MeasureTest, EllipsisTrimmingFitsTheBoxWidth)
{
    StringFormat format(StringFormatFlags::NoWrap);
    format.trimming(StringTrimming::EllipsisCharacter);
    const FloatRect trimmed
        = measureString(painter, "a rather long caption that cannot fit", font, format, {0, 0, 80, 20});
    EXPECT_LE(trimmed.width, 80.0f);
    EXPECT_GT(trimmed.width, 40.0f);
}

TEST_F(MeasureTest, HotkeyPrefixIsHiddenWhenShownOrHidden)
{
    StringFormat plain;
    const float withAmpersand = measureString(painter, "&File", font, plain, wide).width;
    const float bare = measureString(painter, "File", font, plain, wide).width;
    EXPECT_GT(withAmpersand, bare) << "without prefix handling the & is text";
    for (HotkeyPrefix mode : {HotkeyPrefix::Show, HotkeyPrefix::Hide}) {
        StringFormat format;
        format.hotkeyPrefix(mode);
        EXPECT_NEAR(measureString(painter, "&File", font, format, wide).width, bare, 0.01f)
            << "mode " << static_cast<int>(mode);
        EXPECT_NEAR(measureString(painter, "a&&b", font, format, wide).width,
                    measureString(painter, "a&b", font, plain, wide).width, 0.01f)
            << "&& is one &";
    }
}

TEST_F(MeasureTest, HotkeyRangesIndexTheTextAsGiven)
{
    StringFormat format;
    format.hotkeyPrefix(HotkeyPrefix::Show);
    const FloatRect ampersand = measure("&File", format, 0, 1, wide);
    const FloatRect f = measure("&File", format, 1, 1, wide);
    EXPECT_EQ(ampersand.width, 0.0f) << "the prefix takes no room";
    EXPECT_NEAR(f.x, 0.0f, 0.01f);
    EXPECT_GT(f.width, 0.0f);
}

TEST_F(MeasureTest, TrailingSpacesAreMeasuredOnlyWithTheFlag)
{
    StringFormat format;
    EXPECT_EQ(measure("ab   ", format, 2, 3, wide).width, 0.0f);
    format.flags(StringFormatFlags::MeasureTrailingSpaces);
    EXPECT_GT(measure("ab   ", format, 2, 3, wide).width, 5.0f);
    StringFormat inner;
    EXPECT_GT(measure("a   b", inner, 1, 3, wide).width, 5.0f) << "spaces inside a line always count";
}

TEST_F(MeasureTest, TabStopsMoveTextToTheStop)
{
    StringFormat format;
    format.setTabStops(0.0f, {100.0f});
    const FloatRect afterTab = measure("a\tb", format, 2, 1, wide);
    EXPECT_NEAR(afterTab.x, 100.0f, 1.0f);
}

TEST(StringFormatAccessors, ReadingDoesNotChangeTheValue)
{
    StringFormat format;
    EXPECT_EQ(format.align(std::optional<StringAlignment>()), StringAlignment::Near);
    EXPECT_EQ(format.align(StringAlignment::Center), StringAlignment::Center);
    EXPECT_EQ(format.align(std::optional<StringAlignment>()), StringAlignment::Center);
    EXPECT_EQ(format.trimming(std::optional<StringTrimming>()), StringTrimming::Character) << "the default trimming";
    EXPECT_EQ(format.align(static_cast<StringAlignment>(7)), StringAlignment::Center) << "an invalid value is refused";
    EXPECT_EQ(format.hotkeyPrefix(HotkeyPrefix::Hide), HotkeyPrefix::Hide);
    EXPECT_EQ(format.flags(StringFormatFlags::NoWrap | StringFormatFlags::LineLimit),
              StringFormatFlags::NoWrap | StringFormatFlags::LineLimit);
}

TEST(StringFormatAccessors, CopiesAreIndependent)
{
    StringFormat format(StringFormatFlags::NoWrap);
    StringFormat copy = format;
    copy.align(StringAlignment::Far);
    EXPECT_EQ(format.align(std::optional<StringAlignment>()), StringAlignment::Near);
    EXPECT_EQ(copy.flags(std::optional<StringFormatFlags>()), StringFormatFlags::NoWrap);
}

}  // namespace
}  // namespace quorvo::gfx
