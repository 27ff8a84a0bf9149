#include "ui/controls/UiEditText.h"

#include <gtest/gtest.h>

using quorvo::Text;
using quorvo::ui::CaretMove;
using quorvo::ui::EditInputMode;
using quorvo::ui::TextPosition;
using quorvo::ui::UiEditText;

namespace {
// GBK "中" D6 D0, "文" CE C4; "丄" 81 41 has an ASCII letter as trail byte;
// 81 30 87 32 is a GB18030 four-byte sequence.
const std::string zhong = "\xD6\xD0";
const std::string wen = "\xCE\xC4";
const std::string letterTrail = "\x81\x41";
const std::string fourByte = "\x81\x30\x87\x32";
}  // namespace

TEST(UiEditText, ColumnsCountCharactersNotBytes)
{
    UiEditText model;
    model.setText("a" + zhong + fourByte + "b");
    EXPECT_EQ(model.lineLength(1), 4);
    EXPECT_EQ(model.byteLength(), 8u);
    // Each Right steps over a whole character.
    const std::size_t expectedOffsets[] = {1, 3, 7, 8, 8};
    for (const std::size_t expected : expectedOffsets) {
        model.moveCaret(CaretMove::Right);
        EXPECT_EQ(model.offsetOf(model.caret()), expected);
    }
    model.moveCaret(CaretMove::Left);
    model.moveCaret(CaretMove::Left);
    EXPECT_EQ(model.caret(), (TextPosition {1, 2}));
}

TEST(UiEditText, InsertAndDeleteNeverSplitACharacter)
{
    UiEditText model;
    model.setText("a" + zhong + fourByte + "b");
    model.setCaret({1, 3});
    ASSERT_TRUE(model.deleteBackward());  // removes the four-byte sequence whole
    EXPECT_EQ(model.text(), "a" + zhong + "b");
    EXPECT_EQ(model.caret(), (TextPosition {1, 2}));
    ASSERT_TRUE(model.insert(wen + "x"));
    EXPECT_EQ(model.text(), "a" + zhong + wen + "xb");
    EXPECT_EQ(model.caret(), (TextPosition {1, 4}));
    model.setCaret({1, 1});
    ASSERT_TRUE(model.deleteForward());
    EXPECT_EQ(model.text(), "a" + wen + "xb");
}

TEST(UiEditText, OffsetsAndPositionsConvertBothWays)
{
    UiEditText model(true);
    model.setText("ab\r\n" + zhong + "c\r\n" + fourByte);
    ASSERT_EQ(model.lineCount(), 3);
    EXPECT_EQ(model.offsetOf({2, 1}), 6u);
    EXPECT_EQ(model.positionOf(6), (TextPosition {2, 1}));
    // An offset inside a character or a line break maps to a character start.
    EXPECT_EQ(model.positionOf(5), (TextPosition {2, 0}));
    EXPECT_EQ(model.positionOf(3), (TextPosition {1, 2}));
    EXPECT_EQ(model.positionOf(9), (TextPosition {3, 0}));
    EXPECT_EQ(model.positionOf(99), (TextPosition {3, 1}));
    EXPECT_EQ(model.substring(6, 2), "\r\n" + zhong);
    EXPECT_EQ(model.textBetween({3, 1}, {1, 1}), "b\r\n" + zhong + "c\r\n" + fourByte);
}

TEST(UiEditText, SingleLineKeepsTheFirstLineAndDropsBareLineFeeds)
{
    UiEditText single;
    single.setText("one\ntwo\r\nthree");
    EXPECT_EQ(single.text(), "onetwo");
    UiEditText multi(true);
    multi.setText("one\ntwo\r\nthree");
    EXPECT_EQ(multi.text(), "onetwo\r\nthree");
    EXPECT_EQ(multi.lineCount(), 2);
}

TEST(UiEditText, WordsAreAsciiLetterRunsOrWideRunsNeverTrailBytes)
{
    UiEditText model;
    // The trail byte of 丄 is "A": a byte-wise scan would join it to "xy".
    model.setText("xy" + letterTrail + zhong + " z9");
    EXPECT_EQ(model.wordAt({1, 0}), (std::pair {0, 2}));
    EXPECT_EQ(model.wordAt({1, 1}), (std::pair {0, 2}));
    EXPECT_EQ(model.wordAt({1, 2}), (std::pair {2, 4}));
    EXPECT_EQ(model.wordAt({1, 4}), (std::pair {4, 5}));  // the space alone
    EXPECT_EQ(model.wordAt({1, 7}), (std::pair {5, 7}));  // at the end: the word before
    model.selectWord({1, 3});
    EXPECT_EQ(model.selectedText(), letterTrail + zhong);
}

TEST(UiEditText, SelectionsSpanLinesAndDeleteJoinsThem)
{
    UiEditText model(true);
    model.setText("abc\r\n" + zhong + wen + "\r\nxyz");
    model.select({3, 1}, {1, 2});
    EXPECT_EQ(model.selection().first, (TextPosition {1, 2}));
    EXPECT_EQ(model.selectedText(), "c\r\n" + zhong + wen + "\r\nx");
    ASSERT_TRUE(model.deleteSelection());
    EXPECT_EQ(model.text(), "abyz");
    EXPECT_EQ(model.caret(), (TextPosition {1, 2}));
    EXPECT_FALSE(model.hasSelection());

    model.setText("abc\r\nd");
    model.setCaret({2, 0});
    ASSERT_TRUE(model.deleteBackward());
    EXPECT_EQ(model.text(), "abcd");
    EXPECT_EQ(model.caret(), (TextPosition {1, 3}));
    ASSERT_TRUE(model.insert("1\r\n2"));
    EXPECT_EQ(model.text(), "abc1\r\n2d");
    EXPECT_EQ(model.caret(), (TextPosition {2, 1}));
}

TEST(UiEditText, ShiftMovementExtendsFromTheAnchorAndPlainMovementCollapses)
{
    UiEditText model(true);
    model.setText(zhong + wen + "abcdef\r\nxy");
    model.setCaret({1, 1});
    model.moveCaret(CaretMove::Right, true);
    model.moveCaret(CaretMove::Right, true);
    EXPECT_EQ(model.selectedText(), wen + "a");
    // Down on a shorter line clamps to its end; Up restores a column that fits.
    model.moveCaret(CaretMove::Down, true);
    EXPECT_EQ(model.caret(), (TextPosition {2, 2}));
    EXPECT_EQ(model.anchor(), (TextPosition {1, 1}));
    model.moveCaret(CaretMove::Left);
    EXPECT_EQ(model.caret(), (TextPosition {1, 1}));
    EXPECT_FALSE(model.hasSelection());
    model.moveCaret(CaretMove::LineEnd, true);
    EXPECT_EQ(model.selectedText(), wen + "abcdef");
    model.selectAll();
    EXPECT_EQ(model.selectedText(), model.text());
}

TEST(UiEditText, BackspaceAtTheVeryStartChangesNothing)
{
    UiEditText model;
    model.setText("ab");
    EXPECT_FALSE(model.deleteBackward());
    EXPECT_EQ(model.text(), "ab");
    model.setCaret({1, 2});
    EXPECT_FALSE(model.deleteForward());
}

TEST(UiEditText, DecimalModeDropsASecondPointWhetherTypedOrPasted)
{
    UiEditText typed;
    typed.setInputMode(EditInputMode::Decimal);
    for (const char c : std::string("1.2.3"))
        typed.insert(std::string(1, c));
    EXPECT_EQ(typed.text(), "1.23");

    UiEditText pasted;
    pasted.setInputMode(EditInputMode::Decimal);
    EXPECT_TRUE(pasted.insert("1.2.3x/-" + zhong));
    EXPECT_EQ(pasted.text(), "1.23/-");
    // Replacing the selection that holds the point lets a new point in.
    pasted.select({1, 0}, {1, 3});
    EXPECT_TRUE(pasted.insert("9.5"));
    EXPECT_EQ(pasted.text(), "9.53/-");
}

TEST(UiEditText, IntegerModeFiltersEveryCharacterOfAPaste)
{
    UiEditText model;
    model.setInputMode(EditInputMode::Integer);
    EXPECT_TRUE(model.insert("-12a3.4 " + zhong + "5"));
    EXPECT_EQ(model.text(), "-12345");
    model.selectAll();
    // Nothing acceptable: refused, and the selection stays.
    EXPECT_FALSE(model.insert(zhong + "abc"));
    EXPECT_EQ(model.text(), "-12345");
    EXPECT_TRUE(model.hasSelection());
    EXPECT_TRUE(model.acceptsCharacter('7'));
    EXPECT_FALSE(model.acceptsCharacter('.'));
}

TEST(UiEditText, TypedCharactersOutsideThePrintableRangeAreRefused)
{
    UiEditText model;
    EXPECT_FALSE(model.acceptsCharacter(9));
    EXPECT_FALSE(model.acceptsCharacter(127));
    EXPECT_TRUE(model.acceptsCharacter(' '));
    // A single-line paste keeps what precedes the first line break.
    EXPECT_TRUE(model.insert("one\r\ntwo"));
    EXPECT_EQ(model.text(), "one");
}

TEST(UiEditText, ReadOnlyRefusesEveryEdit)
{
    UiEditText model;
    model.setText("abc");
    model.setInputMode(EditInputMode::ReadOnly);
    model.selectAll();
    EXPECT_FALSE(model.insert("x"));
    EXPECT_FALSE(model.deleteBackward());
    EXPECT_FALSE(model.deleteForward());
    EXPECT_FALSE(model.deleteSelection());
    EXPECT_EQ(model.text(), "abc");
    // Selecting and copying still work.
    EXPECT_EQ(model.selectedText(), "abc");
}
