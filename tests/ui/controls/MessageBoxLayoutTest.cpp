#include "ui/controls/MessageBoxLayout.h"

#include <gtest/gtest.h>

using namespace quorvo;
using namespace quorvo::ui;
using R = MessageBoxResult;

namespace {

std::vector<R> codes(MessageBoxButtons set)
{
    std::vector<R> result;
    for (const MessageBoxButton& button : messageBoxButtons(set))
        result.push_back(button.code);
    return result;
}

const IntRect screen {0, 0, 1000, 800};

}  // namespace

TEST(MessageBoxLayout, EachSetListsItsCodesRightToLeft)
{
    EXPECT_EQ(codes(MessageBoxButtons::Ok), (std::vector<R> {R::Ok}));
    EXPECT_EQ(codes(MessageBoxButtons::OkCancel), (std::vector<R> {R::Cancel, R::Ok}));
    EXPECT_EQ(codes(MessageBoxButtons::AbortRetryIgnore), (std::vector<R> {R::Ignore, R::Retry, R::Abort}));
    EXPECT_EQ(codes(MessageBoxButtons::YesNoCancel), (std::vector<R> {R::Cancel, R::No, R::Yes}));
    EXPECT_EQ(codes(MessageBoxButtons::YesNo), (std::vector<R> {R::No, R::Yes}));
    EXPECT_EQ(codes(MessageBoxButtons::RetryCancel), (std::vector<R> {R::Cancel, R::Retry}));
    // The Yes button carries its mnemonic.
    EXPECT_EQ(messageBoxButtons(MessageBoxButtons::YesNo)[1].caption, Text("\xCA\xC7(&Y)"));
}

TEST(MessageBoxLayout, CustomCaptionsReplaceFromTheRightAndKeepTheCodes)
{
    const Text captions[] = {Text("\xCA\xD6\xBC\xFA\xC1\xCB"), Text("\xCA\xC7\xB5\xC4")};  // 手贱了, 是的
    const auto buttons = messageBoxButtons(MessageBoxButtons::OkCancel, captions);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].caption, captions[0]);
    EXPECT_EQ(buttons[0].code, R::Cancel);
    EXPECT_EQ(buttons[1].caption, captions[1]);
    EXPECT_EQ(buttons[1].code, R::Ok);

    // Too few captions keep the set's own; too many are ignored.
    const Text one[] = {Text("A"), Text("B"), Text("C")};
    const auto partial = messageBoxButtons(MessageBoxButtons::YesNoCancel, std::span(one, 1));
    EXPECT_EQ(partial[0].caption, Text("A"));
    EXPECT_EQ(partial[1].caption, Text("\xB7\xF1(&N)"));
    EXPECT_EQ(messageBoxButtons(MessageBoxButtons::Ok, one).size(), 1u);
}

TEST(MessageBoxLayout, ShortTextKeepsTheStandardBoxCentred)
{
    const MessageBoxGeometry geometry = layoutMessageBox({120, 14}, true, screen, 2);
    EXPECT_EQ(geometry.box, (IntRect {340, 325, 320, 150}));
    // One line sits 4 pixels below its area's top.
    EXPECT_EQ(geometry.textArea, (FloatRect {85, 47, 200, 50}));
    ASSERT_EQ(geometry.buttons.size(), 2u);
    EXPECT_EQ(geometry.buttons[0], (IntRect {237, 115, 70, 26}));
    EXPECT_EQ(geometry.buttons[1], (IntRect {162, 115, 70, 26}));

    const MessageBoxGeometry plain = layoutMessageBox({120, 14}, false, screen, 1);
    EXPECT_EQ(plain.textArea, (FloatRect {30, 47, 260, 50}));
}

TEST(MessageBoxLayout, WideLineWidensTheBoxInsteadOfWrapping)
{
    const MessageBoxGeometry geometry = layoutMessageBox({400, 14}, true, screen, 1);
    EXPECT_EQ(geometry.box.width, 520);
    EXPECT_EQ(geometry.box.height, 150);
    EXPECT_EQ(geometry.box.x, (1000 - 520) / 2);
    EXPECT_FLOAT_EQ(geometry.textArea.width, 410);
    EXPECT_LE(geometry.textArea.right(), static_cast<float>(geometry.box.width));
    // The buttons follow the wider box's right edge.
    EXPECT_EQ(geometry.buttons[0].x, 520 - 75 - 8);

    const MessageBoxGeometry plain = layoutMessageBox({400, 14}, false, screen, 1);
    EXPECT_EQ(plain.box.width, 460);
}

TEST(MessageBoxLayout, TallTextGrowsTheBoxAndLosesTheShift)
{
    const MessageBoxGeometry geometry = layoutMessageBox({150, 80}, true, {100, 50, 400, 300}, 3);
    EXPECT_EQ(geometry.box.height, 180);
    EXPECT_EQ(geometry.box.y, 50 + (300 - 180) / 2);
    EXPECT_EQ(geometry.box.x, 100 + (400 - 320) / 2);
    EXPECT_EQ(geometry.textArea, (FloatRect {85, 43, 200, 85}));
    // Two lines fit the standard area without growing or shifting.
    const MessageBoxGeometry twoLines = layoutMessageBox({150, 34}, true, screen, 1);
    EXPECT_EQ(twoLines.box.height, 150);
    EXPECT_FLOAT_EQ(twoLines.textArea.y, 43);
    for (const IntRect& button : geometry.buttons)
        EXPECT_EQ(button.bottom(), geometry.box.height - 9);
}

TEST(MessageBoxLayout, IconCellsFollowTheSheet)
{
    EXPECT_EQ(messageIconCell(0), std::nullopt);
    EXPECT_EQ(messageIconCell(16), 0);
    EXPECT_EQ(messageIconCell(48), 40);
    EXPECT_EQ(messageIconCell(32), 80);
    EXPECT_EQ(messageIconCell(64), 120);
    EXPECT_EQ(messageIconCell(128), 160);
    EXPECT_EQ(messageIconCell(7), 0);
}
