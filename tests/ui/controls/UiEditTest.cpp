// The edit box driven by synthetic input through a real host.

#include "ControlsFixture.h"

#include "ui/controls/UiEdit.h"
#include "ui/controls/UiEditButton.h"
#include "ui/core/UiButtonBase.h"

namespace quorvo::ui::test {
namespace {

class EditTest : public ControlsTest {
protected:
    UiEdit& makeEdit(UiHost& host, const Text& text = {}, EditOptions options = {}, FloatRect rect = {10, 10, 200, 24})
    {
        UiEdit& edit = host.add<UiEdit>(rect, text, options);
        click(host, {static_cast<int>(rect.x) + 5, static_cast<int>(rect.y) + 12});
        return edit;
    }
};

TEST_F(EditTest, ChineseTextArrivesAtTheCaret)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "ab");
    ASSERT_TRUE(edit.hasFocus());
    key(host, platform::Key::Home);
    key(host, platform::Key::Right);
    type(host, "你好");
    EXPECT_EQ(edit.editText(), gbk("a你好b"));
    EXPECT_EQ(edit.model().caret(), (TextPosition {1, 3}));
    // Plain ASCII typed through the input method is inserted once, not twice.
    type(host, "x");
    EXPECT_EQ(edit.editText(), gbk("a你好xb"));
}

TEST_F(EditTest, ShiftArrowsSelectAndPlainArrowsCollapse)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, gbk("中文abc"));
    key(host, platform::Key::End);
    key(host, platform::Key::Left, {.shift = true});
    key(host, platform::Key::Left, {.shift = true});
    key(host, platform::Key::Left, {.shift = true});
    key(host, platform::Key::Left, {.shift = true});
    EXPECT_EQ(edit.selectedText(), gbk("文abc"));
    key(host, platform::Key::Home, {.shift = true});
    EXPECT_EQ(edit.selectedText(), gbk("中文abc"));
    key(host, platform::Key::Right);
    EXPECT_TRUE(edit.selectedText().empty());
    key(host, platform::Key::Backspace);
    EXPECT_EQ(edit.editText(), gbk("中文ab"));
}

TEST_F(EditTest, DoubleClickSelectsAWordAndATripleClickTheLine)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "abc def12 ghi");
    const IntPoint inWord = edit.pointOf({1, 6});
    click(host, {inWord.x + 2, inWord.y + 6});
    click(host, {inWord.x + 2, inWord.y + 6}, {}, 2);
    EXPECT_EQ(edit.selectedText(), "def12");
    click(host, {inWord.x + 2, inWord.y + 6});
    EXPECT_EQ(edit.selectedText(), "abc def12 ghi");
}

TEST_F(EditTest, MouseDragSelects)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "hello world");
    const IntPoint from = edit.pointOf({1, 0});
    const IntPoint to = edit.pointOf({1, 5});
    synthetic::mouseMove(loop(), host.window(), from.x + 1, from.y + 6);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, true, from.x + 1, from.y + 6);
    synthetic::mouseMove(loop(), host.window(), to.x, to.y + 6, true);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Left, false, to.x, to.y + 6);
    drain();
    EXPECT_EQ(edit.selectedText(), "hello");
}

TEST_F(EditTest, ClipboardRoundTripBetweenTwoBoxes)
{
    UiHost& host = makeHost();
    UiEdit& source = makeEdit(host, gbk("复制我 copy"));
    UiEdit& target = host.add<UiEdit>(FloatRect {10, 50, 200, 24});
    key(host, 'A', {.control = true});
    key(host, 'C', {.control = true});
    EXPECT_EQ(loop().clipboardText(), gbk("复制我 copy"));
    key(host, 'X', {.control = true});
    EXPECT_TRUE(source.editText().empty());
    click(host, {20, 62});
    ASSERT_TRUE(target.hasFocus());
    key(host, 'V', {.control = true});
    EXPECT_EQ(target.editText(), gbk("复制我 copy"));
    // No undo: Ctrl+Z changes nothing.
    key(host, 'Z', {.control = true});
    EXPECT_EQ(target.editText(), gbk("复制我 copy"));
}

TEST_F(EditTest, ContextMenuCommandsComeBackToTheBox)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "menu text");
    loop().setClipboardText("");
    int opened = 0;
    edit.onContextMenu = [&](UiHost& menu) {
        ++opened;
        // Items: cut, copy, paste, a separator, select all (y 77..99).
        queueClick(menu, {30, 88});
    };
    synthetic::mouseMove(loop(), host.window(), 30, 22);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Right, true, 30, 22);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Right, false, 30, 22);
    ASSERT_TRUE(pumpUntil([&] { return opened == 1 && edit.selectedText() == "menu text"; }));

    // Copy (y 30..52) now that text is selected.
    edit.onContextMenu = [&](UiHost& menu) { queueClick(menu, {30, 41}); };
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Right, true, 30, 22);
    synthetic::mouseButton(loop(), host.window(), synthetic::MouseButton::Right, false, 30, 22);
    ASSERT_TRUE(pumpUntil([&] { return loop().clipboardText() == "menu text"; }));
}

TEST_F(EditTest, IntegerAndDecimalBoxesRefuseWhatTheyMust)
{
    UiHost& host = makeHost();
    UiEdit& integer = makeEdit(host, {}, EditOptions {.inputMode = EditInputMode::Integer});
    type(host, "12a-3.4");
    type(host, "你");
    EXPECT_EQ(integer.editText(), "12-34");
    // A paste goes through the same filter.
    loop().setClipboardText(gbk("5x6好7"));
    key(host, 'V', {.control = true});
    EXPECT_EQ(integer.editText(), "12-34567");

    UiEdit& decimal = makeEdit(host, {}, EditOptions {.inputMode = EditInputMode::Decimal}, {10, 50, 200, 24});
    type(host, "1.2.3/x");
    EXPECT_EQ(decimal.editText(), "1.23/");
    loop().setClipboardText("9.9");
    key(host, 'V', {.control = true});
    EXPECT_EQ(decimal.editText(), "1.23/99");
}

TEST_F(EditTest, ReadOnlyAndPasswordBoxes)
{
    UiHost& host = makeHost();
    UiEdit& readOnly = makeEdit(host, "fixed", EditOptions {.inputMode = EditInputMode::ReadOnly});
    type(host, "x");
    key(host, platform::Key::Backspace);
    key(host, 'A', {.control = true});
    key(host, 'X', {.control = true});
    EXPECT_EQ(readOnly.editText(), "fixed");
    EXPECT_EQ(loop().clipboardText(), "fixed") << "cutting from a read-only box copies only";

    UiEdit& password = makeEdit(host, {}, EditOptions {.inputMode = EditInputMode::Password}, {10, 50, 200, 24});
    type(host, "secret");
    EXPECT_EQ(password.editText(), "secret");
    key(host, 'A', {.control = true});
    key(host, 'C', {.control = true});
    EXPECT_EQ(loop().clipboardText(), "fixed") << "a password is never copied";
    EXPECT_FALSE(password.model().hasSelection());
}

// A long line is measured and drawn in pieces: across their seams every
// column must lie right of the one before it, a click must find the column
// it was aimed at, and the text around the caret must be drawn at the end.
TEST_F(EditTest, ALongLineMeasuresAndDrawsTheSameAcrossItsPieces)
{
    UiHost& host = makeHost();
    std::string line;
    for (int i = 0; i < 30; ++i)
        line += "lossless 无损";
    UiEdit& edit = makeEdit(host, gbk(line));
    ASSERT_EQ(edit.model().lineLength(1), 330);
    for (const int column : {1, 63, 64, 65, 127, 128, 129, 200, 329}) {
        const IntPoint at = edit.pointOf({1, column});
        EXPECT_GT(at.x, edit.pointOf({1, column - 1}).x) << column;
        const int next = edit.pointOf({1, column + 1}).x;
        EXPECT_EQ(edit.positionAt({at.x + (next - at.x) / 3, at.y + 5}).column, column) << column;
    }
    key(host, platform::Key::End);
    type(host, "x");
    host.repaintAll();
    EXPECT_LT(edit.scrollX(), -1000) << "scrolled to the caret";
    const IntRect caret = edit.caretRect();
    int dark = 0;
    for (int x = caret.x - 60; x < caret.x; ++x) {
        for (int y = caret.y; y < caret.bottom(); ++y)
            dark += (host.backBuffer().pixel(x, y) & 0xFF) < 90 ? 1 : 0;
    }
    EXPECT_GT(dark, 20) << "the text before the caret is drawn";
}

TEST_F(EditTest, EnterReachesTheProgramAsKeyThirteen)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "query");
    std::vector<int> keys;
    edit.bind(EventType::KeyDown,
              [&](const Event& event) { keys.push_back(static_cast<const KeyEvent&>(event).code()); });
    key(host, platform::Key::Return);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], 13);
    EXPECT_EQ(edit.editText(), "query") << "a single-line box inserts no line break";
}

TEST_F(EditTest, CaretBlinksWhileFocusedAndFollowsTheInputMethodRectangle)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "abc");
    ASSERT_TRUE(edit.isCaretShown());
    ASSERT_TRUE(pumpUntil([&] { return !edit.isCaretShown(); }));
    ASSERT_TRUE(pumpUntil([&] { return edit.isCaretShown(); }));
    const int before = edit.caretRect().x;
    type(host, "wide");
    EXPECT_GT(edit.caretRect().x, before);
}

TEST_F(EditTest, WithoutInputTheCaretStopsBlinkingShownUntilTheNextKey)
{
    using std::chrono::milliseconds;
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "abc", EditOptions {.caretBlinkTimeout = milliseconds(1000)});
    ASSERT_TRUE(pumpUntil([&] { return !edit.isCaretShown(); }));
    // A second of blinking from the click, then at rest: shown for good.
    pumpUntil([] { return false; }, milliseconds(2000));
    ASSERT_TRUE(edit.isCaretShown());
    EXPECT_FALSE(pumpUntil([&] { return !edit.isCaretShown(); }, milliseconds(1200))) << "the caret still blinks";
    type(host, "d");
    EXPECT_TRUE(pumpUntil([&] { return !edit.isCaretShown(); })) << "input starts the blink again";
}

TEST_F(EditTest, MultiLineEnterAndArrowsCrossLines)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, {}, EditOptions {.multiLine = true}, {10, 10, 200, 100});
    type(host, "one");
    key(host, platform::Key::Return);
    type(host, "two");
    EXPECT_EQ(edit.editText(), "one\r\ntwo");
    key(host, platform::Key::Up);
    EXPECT_EQ(edit.model().caret(), (TextPosition {1, 3}));
    key(host, platform::Key::Right);
    EXPECT_EQ(edit.model().caret(), (TextPosition {2, 0}));
    key(host, platform::Key::Backspace);
    EXPECT_EQ(edit.editText(), "onetwo");
}

TEST_F(EditTest, EmbeddedButtonClicks)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "q");
    int clicks = 0;
    edit.setEmbeddedButton({}, 20, 20, "search");
    edit.onButtonClicked = [&] { ++clicks; };
    ASSERT_NE(edit.embeddedButton(), nullptr);
    const FloatRect button = edit.embeddedButton()->rect();
    click(host, {static_cast<int>(button.x) + 5, static_cast<int>(button.y) + 5});
    EXPECT_EQ(clicks, 1);
    edit.pressEmbeddedButton();
    EXPECT_EQ(clicks, 2);
    EXPECT_LT(edit.textArea().right(), button.x + 1) << "text stays clear of the button";
}

// A search box as the program derives it: room for a button at the right
// end, and Enter taken before the box sees it.
class SearchBox : public UiEdit {
public:
    using UiEdit::UiEdit;
    int searches = 0;

protected:
    FloatRect adjustTextArea(FloatRect area) const override
    {
        area.width -= 24;
        return area;
    }
    bool preHandle(Event& event) override
    {
        if (event.type() == EventType::KeyDown && static_cast<KeyEvent&>(event).key() == Key::Return) {
            ++searches;
            return true;
        }
        return false;
    }
};

// The speed box carries two spin buttons at its right end; its text used to
// run on under them.
TEST_F(EditTest, TheTextAreaLeavesOutControlsPutIntoTheBoxAtItsRightEnd)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "123456789012345", EditOptions {}, {110, 45, 80, 22});
    auto& up = edit.add<UiButtonBase>(FloatRect {110 + 80 - 23, 45, 23, 10}, Text());
    edit.add<UiButtonBase>(FloatRect {110 + 80 - 23, 57, 23, 10}, Text());
    key(host, platform::Key::End);
    EXPECT_LE(edit.textArea().right(), up.left());
    EXPECT_LT(edit.caretRect().x, static_cast<int>(up.left())) << "the caret stays in view beside the buttons";
    EXPECT_GE(edit.textArea().x, edit.left());
}

// The input method's composition used to be dropped: nothing showed while
// composing. It shows at the caret, underlined, and only the commit is text.
TEST_F(EditTest, TheCompositionShowsAtTheCaretAndOnlyItsCommitEntersTheText)
{
    UiHost& host = makeHost();
    UiEdit& edit = makeEdit(host, "ab");
    EXPECT_TRUE(loop().isTextInputActive()) << "the focused box takes text";
    key(host, platform::Key::Home);
    key(host, platform::Key::Right);
    const IntRect caret = edit.caretRect();
    synthetic::composition(loop(), host.window(), "ni", 1);
    drain();
    EXPECT_EQ(edit.editText(), "ab") << "a composition is not text";
    EXPECT_EQ(edit.composition(), "ni");
    const IntRect shown = edit.compositionRect();
    EXPECT_EQ(shown.x, caret.x);
    ASSERT_GT(shown.width, 4);
    EXPECT_GT(edit.caretRect().x, caret.x) << "the caret sits in the composition, at its cursor";
    EXPECT_LT(edit.caretRect().x, shown.x + shown.width);

    // Underlined: the line under the composition is drawn across its width.
    edit.paintIfNeeded();
    const gfx::Surface& surface = edit.surface();
    const int row = caret.y - static_cast<int>(edit.top()) + caret.height - 1;
    const std::uint32_t plain = surface.rawPixel(2, row);
    int marked = 0;
    for (int x = shown.x + 1; x < shown.x + shown.width - 1; ++x)
        marked += surface.rawPixel(x - static_cast<int>(edit.left()), row) != plain ? 1 : 0;
    EXPECT_EQ(marked, shown.width - 2);

    synthetic::composition(loop(), host.window(), "", 0);
    synthetic::text(loop(), host.window(), "你");
    drain();
    EXPECT_EQ(edit.editText(), gbk("a你b"));
    EXPECT_TRUE(edit.composition().empty());

    // Losing the focus cancels a composition; text input stops with it.
    synthetic::composition(loop(), host.window(), "hao", 3);
    drain();
    ASSERT_FALSE(edit.composition().empty());
    host.add<UiButtonBase>(FloatRect {10, 200, 60, 24}, Text("ok"));
    click(host, {40, 212});
    EXPECT_TRUE(edit.composition().empty());
    EXPECT_EQ(edit.editText(), gbk("a你b"));
    EXPECT_FALSE(loop().isTextInputActive()) << "no text input while a button has the focus";
    click(host, {15, 22});
    EXPECT_TRUE(loop().isTextInputActive());
}

TEST_F(EditTest, DerivedBoxesReplaceTheTextAreaAndSeeEventsFirst)
{
    UiHost& host = makeHost();
    SearchBox& box = host.add<SearchBox>(FloatRect {10, 10, 200, 24}, "song");
    click(host, {20, 22});
    EXPECT_EQ(box.textArea(), (FloatRect {10, 10, 176, 24}));
    key(host, platform::Key::Return);
    key(host, platform::Key::End);
    type(host, "s");
    EXPECT_EQ(box.searches, 1);
    EXPECT_EQ(box.editText(), "songs") << "other input still reaches the box";
}

}  // namespace
}  // namespace quorvo::ui::test
