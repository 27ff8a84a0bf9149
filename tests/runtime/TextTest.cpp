#include "runtime/Text.h"

#include <gtest/gtest.h>

using quorvo::CaseSensitivity;
using quorvo::Text;
namespace text = quorvo::text;

namespace {
// GBK: "中" D6 D0, "文" CE C4; "丂" 81 40 and "乗" 81 5C have ASCII trail bytes;
// "Ä" is the GB18030 four-byte sequence 81 30 87 32.
constexpr const char* zhong = "\xD6\xD0";
constexpr const char* trailAt = "\x81\x40";
constexpr const char* trailBackslash = "\x81\x5C";
constexpr const char* fourByte = "\x81\x30\x87\x32";
constexpr const char* fullWidthSpace = "\xA1\xA1";
}  // namespace

TEST(Text, ConversionFromBytesStopsAtFirstNul)
{
    const std::string bytes("ab\0cd", 5);
    EXPECT_EQ(Text::fromBytes(bytes), "ab");
    EXPECT_EQ(Text(std::string_view(bytes)).size(), 2u);
    Text joined = Text("x") + std::string_view("y\0z", 3);
    EXPECT_EQ(joined, "xy");
    EXPECT_TRUE(Text(static_cast<const char*>(nullptr)).empty());
}

TEST(Text, CharacterLengthsStepOverMultiByteCharacters)
{
    EXPECT_EQ(text::characterLength("a", 0), 1u);
    EXPECT_EQ(text::characterLength(zhong, 0), 2u);
    EXPECT_EQ(text::characterLength(fourByte, 0), 4u);
    // A lone lead byte at the end stays within bounds.
    EXPECT_EQ(text::characterLength("a\xD6", 1), 1u);
    EXPECT_EQ(text::characterLength("a", 5), 0u);
    // 0x80 counts as a lead byte.
    EXPECT_EQ(text::characterLength("\x80z", 0), 2u);
    EXPECT_TRUE(text::isCharacterBoundary(std::string(zhong) + "a", 2));
    EXPECT_FALSE(text::isCharacterBoundary(zhong, 1));
    EXPECT_EQ(text::boundaryAtOrBefore(std::string("a") + zhong + "b", 2), 1u);
    EXPECT_EQ(text::boundaryAtOrBefore(std::string("a") + zhong + "b", 3), 3u);
}

TEST(Text, SearchIsOneBasedAndFailsWithMinusOne)
{
    EXPECT_EQ(text::find("hello", "l"), 3);
    EXPECT_EQ(text::find("hello", "l", 4), 4);
    EXPECT_EQ(text::find("hello", "l", 5), -1);
    EXPECT_EQ(text::find("hello", "x"), -1);
    EXPECT_EQ(text::find("hello", ""), -1);
    EXPECT_EQ(text::find("", "a"), -1);
    EXPECT_EQ(text::find("hello", "h", 0), 1);
    EXPECT_EQ(text::find("hello", "o", 99), -1);
    EXPECT_EQ(text::findLast("a/b/c", "/"), 4);
    EXPECT_EQ(text::findLast("a/b/c", "/", 3), 2);
    EXPECT_EQ(text::findLast("abc", "/"), -1);
}

TEST(Text, SearchNeverMatchesInsideACharacter)
{
    EXPECT_EQ(text::find(trailAt, "@"), -1);
    EXPECT_EQ(text::find(trailBackslash, "\\"), -1);
    EXPECT_EQ(text::find(std::string(trailBackslash) + "\\", "\\"), 3);
    EXPECT_EQ(text::findLast(std::string("\\") + trailBackslash, "\\"), 1);
    EXPECT_EQ(text::find(fourByte, "0"), -1);
    EXPECT_EQ(text::find(fourByte, "2"), -1);
    // "D0 CE" straddles the boundary between two characters of "中文".
    EXPECT_EQ(text::find("\xD6\xD0\xCE\xC4", "\xD0\xCE"), -1);
    EXPECT_EQ(text::find("\xD6\xD0\xCE\xC4", "\xCE\xC4"), 3);
    EXPECT_FALSE(text::endsWith(trailBackslash, "\\"));
    EXPECT_EQ(text::replaceAll(std::string(trailBackslash) + "\\", "\\", "/"), std::string(trailBackslash) + "/");
    const auto pieces = text::split(std::string(trailBackslash) + "\\x", "\\");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], trailBackslash);
}

// "81 2F": a lead byte whose next byte cannot be a trail byte. Stepped as one
// character, the "/" behind it would be invisible to every search.
TEST(Text, LeadByteWithoutATrailByteIsACharacterOfItsOwn)
{
    EXPECT_EQ(text::characterLength("\x81/", 0), 1u);
    EXPECT_EQ(text::characterLength("\x81\x7F", 0), 1u);
    EXPECT_EQ(text::characterLength("\xFE\x3F", 0), 1u);
    EXPECT_EQ(text::characterLength("\xD6\n", 0), 1u);
    EXPECT_EQ(text::characterLength("\x81\x40", 0), 2u);
    EXPECT_EQ(text::characterLength("\x81\xFE", 0), 2u);
    EXPECT_EQ(text::characterLength("\x81\xFF", 0), 1u);
    EXPECT_TRUE(text::isCharacterBoundary("\x81/", 1));
    EXPECT_EQ(text::boundaryAtOrBefore("\x81/x", 1), 1u);

    const std::string slash = "a\x81/b";
    EXPECT_EQ(text::find(slash, "/"), 3);
    EXPECT_EQ(text::findLast(slash, "/"), 3);
    EXPECT_TRUE(text::contains(slash, "/"));
    EXPECT_TRUE(text::endsWith("x\x81/", "/"));
    EXPECT_EQ(text::replaceAll(slash, "/", ""),
              "a\x81"
              "b");
    const auto pieces = text::split(slash, "/");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "a\x81");
    EXPECT_EQ(pieces[1], "b");
    EXPECT_EQ(text::replaceAll("\x81\x1B[2J", "\x1B", ""), "\x81[2J");
    // A real character whose trail byte is "@" or "\\" still hides it.
    EXPECT_EQ(text::find(std::string(trailAt) + "/", "/"), 3);
    EXPECT_EQ(text::find(trailAt, "@"), -1);
}

TEST(Text, CaseFoldingTouchesAsciiLettersOnly)
{
    EXPECT_EQ(text::toUpper("abC1z"), "ABC1Z");
    EXPECT_EQ(text::toLower("ABc1Z"), "abc1z");
    // Trail byte 0x40 '@' and the lowercase-looking trail byte of "乗" (0x5C) stay.
    const std::string mixed = std::string("a") + "\x81\x61" + "b";  // 0x8161 has trail 'a'
    EXPECT_EQ(text::toUpper(mixed), std::string("A") + "\x81\x61" + "B");
    EXPECT_EQ(text::find("Hello", "hello", 1, CaseSensitivity::Insensitive), 1);
    EXPECT_EQ(text::find("Hello", "hello"), -1);
    EXPECT_TRUE(text::startsWith("HTTP://x", "http://", CaseSensitivity::Insensitive));
    EXPECT_TRUE(text::endsWith("song.FLAC", ".flac", CaseSensitivity::Insensitive));
    EXPECT_EQ(text::replaceAll("a<EM>b</em>", "<em>", "", CaseSensitivity::Insensitive), "ab</em>");
}

TEST(Text, TrimRemovesAsciiAndFullWidthSpaces)
{
    const std::string padded = std::string("  ") + fullWidthSpace + "x y" + fullWidthSpace + " ";
    EXPECT_EQ(text::trim(padded), "x y");
    EXPECT_EQ(text::trimLeft(padded), std::string("x y") + fullWidthSpace + " ");
    EXPECT_EQ(text::trimRight(padded), std::string("  ") + fullWidthSpace + "x y");
    EXPECT_EQ(text::trim("   "), "");
    // Tabs are not blanks here.
    EXPECT_EQ(text::trim("\tx\t"), "\tx\t");
    // "B0 A1 A1" is "啊" followed by a lone A1: the A1 A1 pair is not a whole character.
    EXPECT_EQ(text::trimRight("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

TEST(Text, TrimSpacesAndTabsLeavesFullWidthSpacesAndInnerBlanks)
{
    EXPECT_EQ(text::trimSpacesAndTabs(" \t bytes = 5- \t"), "bytes = 5-");
    EXPECT_EQ(text::trimSpacesAndTabs(std::string(fullWidthSpace) + "x"), std::string(fullWidthSpace) + "x");
    EXPECT_EQ(text::trimSpacesAndTabs(" \t "), "");
}

TEST(Text, SplitDropsOnlyATrailingEmptyPiece)
{
    auto pieces = text::split("128,192,320,flac", ",");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[3], "flac");
    pieces = text::split("a,,b,", ",");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[1], "");
    EXPECT_EQ(pieces[2], "b");
    pieces = text::split(",a", ",");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "");
    EXPECT_TRUE(text::split("", ",").empty());
    EXPECT_EQ(text::split("abc", "").size(), 1u);
    pieces = text::split("a\r\nb\r\n", "\r\n");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1], "b");
}

TEST(Text, SubstringsClampToTheText)
{
    EXPECT_EQ(text::left("hello", 2), "he");
    EXPECT_EQ(text::left("hello", 99), "hello");
    EXPECT_EQ(text::left("hello", -1), "");
    EXPECT_EQ(text::right("hello", 3), "llo");
    EXPECT_EQ(text::right("hello", 99), "hello");
    EXPECT_EQ(text::mid("hello", 2, 3), "ell");
    EXPECT_EQ(text::mid("hello", 5, 9), "o");
    EXPECT_EQ(text::mid("hello", 6, 1), "");
    EXPECT_EQ(text::mid("hello", 0, 1), "");
}

TEST(Text, LoneLeadByteAtTheEndStaysInBounds)
{
    const std::string broken = std::string("ab") + "\xD6";
    EXPECT_EQ(text::find(broken, "\xD6"), 3);
    EXPECT_EQ(text::find(broken, "b"), 2);
    EXPECT_EQ(text::toUpper(broken), std::string("AB") + "\xD6");
    // A space is no trail byte: the lead byte stands alone and the space is trimmed.
    EXPECT_EQ(text::trim(broken + " "), broken);
    EXPECT_EQ(text::trim(broken), broken);
    EXPECT_EQ(text::split(broken, "\xD6").size(), 1u);
    EXPECT_EQ(text::findLast(broken, "b"), 2);
    EXPECT_EQ(text::replaceAll(broken, "a", "x"), std::string("xb") + "\xD6");
}
