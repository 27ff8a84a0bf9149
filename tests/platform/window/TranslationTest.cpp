// System input turned into the framework's messages, driven through real SDL events.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

#include "runtime/Encoding.h"

namespace quorvo::platform::test {
namespace {

using synthetic::WindowChange;

class TranslationTest : public LoopTest {
protected:
    void SetUp() override
    {
        LoopTest::SetUp();
        window = makeRecordingWindow(log);
        other = makeRecordingWindow(otherLog);
    }

    // Lets the loop read and translate everything queued so far.
    void drain()
    {
        for (int i = 0; i < 3; ++i) {
            loop->processPending();
        }
    }

    std::vector<WindowEvent> log;
    std::vector<WindowEvent> otherLog;
    WindowId window;
    WindowId other;
};

TEST_F(TranslationTest, MouseMoveCarriesSignedClientCoordinatesAndButtons)
{
    synthetic::mouseMove(*loop, window, 17, 23);
    synthetic::mouseMove(*loop, window, -5, -7, true);  // captured, outside the window
    drain();
    const auto moves = only<MouseMoved>(log);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].position, (IntPoint {17, 23}));
    EXPECT_EQ(moves[0].held, HeldButtons {});
    EXPECT_EQ(moves[0].modifiers, Modifiers {});
    EXPECT_EQ(moves[1].position, (IntPoint {-5, -7}));
    EXPECT_TRUE(moves[1].held.left);
}

TEST_F(TranslationTest, PressAndReleaseCarryTheirButtonAndPosition)
{
    synthetic::mouseButton(*loop, window, MouseButton::Left, true, 3, 4);
    synthetic::mouseButton(*loop, window, MouseButton::Left, false, 3, 4);
    synthetic::mouseButton(*loop, window, MouseButton::Right, true, 8, 9);
    synthetic::mouseButton(*loop, window, MouseButton::Right, false, 8, 9);
    drain();
    ASSERT_EQ(log.size(), 4u);
    const auto presses = only<MousePressed>(log);
    const auto releases = only<MouseReleased>(log);
    ASSERT_EQ(presses.size(), 2u);
    ASSERT_EQ(releases.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<MousePressed>(log[0]));
    EXPECT_TRUE(std::holds_alternative<MouseReleased>(log[1]));
    EXPECT_EQ(presses[0].button, MouseButton::Left);
    EXPECT_EQ(presses[0].held, (HeldButtons {.left = true}));
    EXPECT_EQ(presses[0].position, (IntPoint {3, 4}));
    EXPECT_EQ(releases[0].button, MouseButton::Left);
    EXPECT_FALSE(releases[0].held.left);
    EXPECT_EQ(presses[1].button, MouseButton::Right);
    EXPECT_EQ(releases[1].button, MouseButton::Right);
    EXPECT_EQ(releases[1].position, (IntPoint {8, 9}));
}

TEST_F(TranslationTest, EverySecondLeftPressOfASeriesIsADoubleClick)
{
    for (int clicks = 1; clicks <= 4; ++clicks) {
        synthetic::mouseButton(*loop, window, MouseButton::Left, true, 10, 10, clicks);
        synthetic::mouseButton(*loop, window, MouseButton::Left, false, 10, 10, clicks);
    }
    drain();
    const auto presses = only<MousePressed>(log);
    ASSERT_EQ(presses.size(), 4u) << "a double click is still a left press";
    EXPECT_FALSE(presses[0].isDoubleClick());
    EXPECT_TRUE(presses[1].isDoubleClick());
    EXPECT_EQ(presses[1].clickCount, 2);
    EXPECT_FALSE(presses[2].isDoubleClick()) << "a third click starts a new pair";
    EXPECT_TRUE(presses[3].isDoubleClick());
}

TEST_F(TranslationTest, WheelGives120PerNotchWithSign)
{
    synthetic::mouseWheel(*loop, window, 1);
    synthetic::mouseWheel(*loop, window, -2);
    drain();
    const auto wheels = only<WheelTurned>(log);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_EQ(wheels[0].delta, 120);
    EXPECT_EQ(wheels[1].delta, -240);
}

TEST_F(TranslationTest, KeysBecomeKeyCodesWithRepeatAndRelease)
{
    // With text input on, a letter's character comes as text of its own.
    loop->setTextInputActive(true);
    synthetic::key(*loop, window, Key::A, true);
    synthetic::key(*loop, window, Key::Left, true, {}, true);
    synthetic::key(*loop, window, Key::A, false);
    drain();
    ASSERT_EQ(log.size(), 3u);
    const auto presses = only<KeyPressed>(log);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].key, keyFor('a'));
    EXPECT_EQ(static_cast<int>(presses[0].key), 'A') << "letters keep their classic key codes";
    EXPECT_FALSE(presses[0].repeat);
    EXPECT_EQ(presses[1].key, Key::Left);
    EXPECT_EQ(static_cast<int>(presses[1].key), 0x25);
    EXPECT_TRUE(presses[1].repeat) << "auto-repeat is marked";
    ASSERT_TRUE(std::holds_alternative<KeyReleased>(log[2]));
    EXPECT_EQ(std::get<KeyReleased>(log[2]).key, Key::A);
    loop->setTextInputActive(false);
}

TEST_F(TranslationTest, ControlLettersAndEditingKeysAlsoGiveCharacters)
{
    synthetic::key(*loop, window, Key::Control, true, {.control = true});
    synthetic::key(*loop, window, keyFor('c'), true, {.control = true});
    drain();
    EXPECT_TRUE(loop->isKeyDown(Key::Control));
    synthetic::key(*loop, window, keyFor('c'), false, {.control = true});
    synthetic::key(*loop, window, Key::Control, false);
    synthetic::key(*loop, window, Key::Return, true);
    synthetic::key(*loop, window, Key::Backspace, true);
    drain();
    EXPECT_FALSE(loop->isKeyDown(Key::Control));
    const auto chars = only<CharacterTyped>(log);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].character, 3);  // Ctrl+C
    EXPECT_EQ(chars[1].character, 13);
    EXPECT_EQ(chars[2].character, 8);
    EXPECT_FALSE(chars[0].withAlt);
}

TEST_F(TranslationTest, AltLetterIsAMnemonicCharacterNotAlsoATypedOne)
{
    synthetic::key(*loop, window, keyFor('f'), true, {.alt = true});
    synthetic::text(*loop, window, "f");  // what X11 also reports for Alt+F
    synthetic::key(*loop, window, keyFor('f'), false, {.alt = true});
    drain();
    const auto presses = only<KeyPressed>(log);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].key, keyFor('f'));
    EXPECT_TRUE(presses[0].modifiers.alt);
    const auto chars = only<CharacterTyped>(log);
    ASSERT_EQ(chars.size(), 1u) << "the text X11 sends for it is not typed as well";
    EXPECT_EQ(chars[0].character, 'f');
    EXPECT_TRUE(chars[0].withAlt);
    EXPECT_EQ(only<KeyReleased>(log).size(), 1u);
}

// Compositions used to be dropped: the user saw nothing while composing.
TEST_F(TranslationTest, ACompositionArrivesWithItsCursorAndSelection)
{
    synthetic::composition(*loop, window, "ni hao", 3, 3);
    synthetic::composition(*loop, window, "你h", 1);
    synthetic::composition(*loop, window, "", 0);
    drain();
    const auto compositions = only<CompositionChanged>(log);
    ASSERT_EQ(compositions.size(), 3u);
    EXPECT_EQ(compositions[0].text, Text("ni hao"));
    EXPECT_EQ(compositions[0].cursor, 3);
    EXPECT_EQ(compositions[0].selectionLength, 3);
    EXPECT_EQ(compositions[1].text, encoding::fromUtf8("你h")) << "program text";
    EXPECT_EQ(compositions[1].cursor, 1);
    EXPECT_EQ(compositions[1].selectionLength, 0);
    EXPECT_TRUE(compositions[2].text.empty()) << "the composition ended";
    EXPECT_TRUE(only<CharacterTyped>(log).empty());
    EXPECT_TRUE(only<TextCommitted>(log).empty()) << "a composition is not committed text";
}

TEST_F(TranslationTest, WithoutTextInputKeysStillTypeTheirPlainCharacters)
{
    EXPECT_FALSE(loop->isTextInputActive()) << "text input waits for an edit box";
    synthetic::key(*loop, window, keyFor('c'), true);
    synthetic::key(*loop, window, keyFor('c'), true, {.shift = true});
    synthetic::key(*loop, window, keyFor('c'), true, {.control = true});
    drain();
    auto chars = only<CharacterTyped>(log);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].character, 'c');
    EXPECT_EQ(chars[1].character, 'C');
    EXPECT_EQ(chars[2].character, 3) << "Ctrl+C stays a control code";
    log.clear();
    loop->setTextInputActive(true);
    EXPECT_TRUE(loop->isTextInputActive());
    synthetic::key(*loop, window, keyFor('c'), true);
    drain();
    EXPECT_TRUE(only<CharacterTyped>(log).empty()) << "with text input the character comes as text, once";
    loop->setTextInputActive(false);
}

TEST_F(TranslationTest, TypedAsciiArrivesAsCharacters)
{
    synthetic::text(*loop, window, "a B");
    drain();
    const auto chars = only<CharacterTyped>(log);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].character, 'a');
    EXPECT_EQ(chars[1].character, ' ');
    EXPECT_EQ(chars[2].character, 'B');
    EXPECT_TRUE(only<TextCommitted>(log).empty()) << "ASCII input must not also arrive as committed text";
}

TEST_F(TranslationTest, InputMethodTextArrivesOnceAsProgramText)
{
    synthetic::text(*loop, window, "你好");
    drain();
    const auto commits = only<TextCommitted>(log);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].text, encoding::fromUtf8("你好"));
    EXPECT_EQ(commits[0].text.str(), "\xC4\xE3\xBA\xC3");  // GBK
    EXPECT_TRUE(only<CharacterTyped>(log).empty());
}

TEST_F(TranslationTest, LongInputMethodTextSplitBySystemIsOneCommit)
{
    const std::string phrase = "百度音乐无损下载器正在为您搜索歌曲请稍候再试一次";  // 72 bytes: three events
    synthetic::text(*loop, window, phrase);
    drain();
    const auto commits = only<TextCommitted>(log);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(encoding::toUtf8(commits[0].text.view()), phrase);
}

TEST_F(TranslationTest, CharacterSplitAcrossTextEventsIsJoined)
{
    const std::string word = "歌曲";  // E6 AD 8C E6 9B B2
    const std::string_view pieces[] = {std::string_view(word).substr(0, 2), std::string_view(word).substr(2)};
    synthetic::textPieces(*loop, window, pieces);
    drain();
    const auto commits = only<TextCommitted>(log);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(encoding::toUtf8(commits[0].text.view()), word);
}

TEST_F(TranslationTest, WindowEventsBecomeSizeActivationCloseAndLeave)
{
    synthetic::windowEvent(*loop, window, WindowChange::SizeChanged, 300, 200);
    synthetic::windowEvent(*loop, window, WindowChange::Minimized);
    synthetic::windowEvent(*loop, window, WindowChange::Leave);
    synthetic::windowEvent(*loop, window, WindowChange::FocusLost);
    synthetic::windowEvent(*loop, other, WindowChange::FocusGained);
    synthetic::windowEvent(*loop, window, WindowChange::Close);
    drain();
    const auto sizes = only<Resized>(log);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].state, WindowState::Restored);
    EXPECT_EQ(sizes[0].width, 300);
    EXPECT_EQ(sizes[0].height, 200);
    EXPECT_EQ(sizes[1].state, WindowState::Minimised);
    EXPECT_EQ(only<MouseLeft>(log).size(), 1u);
    const auto deactivations = only<ActivationChanged>(log);
    ASSERT_EQ(deactivations.size(), 1u);
    EXPECT_FALSE(deactivations[0].active);
    EXPECT_EQ(deactivations[0].other, other) << "the window being activated";
    const auto activations = only<ActivationChanged>(otherLog);
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_TRUE(activations[0].active);
    EXPECT_EQ(activations[0].other, window);
    EXPECT_EQ(only<CloseRequested>(log).size(), 1u);
    EXPECT_FALSE(loop->isWindow(window)) << "close() destroys the window";
    EXPECT_EQ(only<Destroyed>(log).size(), 1u);
}

TEST_F(TranslationTest, AWindowWithoutHandlerClosesWhenAsked)
{
    const WindowId plain = makeWindow();
    synthetic::windowEvent(*loop, plain, WindowChange::Close);
    drain();
    EXPECT_FALSE(loop->isWindow(plain));
}

TEST_F(TranslationTest, ResizeReportsTheNewSizeOnceBeforeReturning)
{
    ASSERT_TRUE(loop->resize(window, 200, 150));
    const auto immediate = only<Resized>(log);
    ASSERT_EQ(immediate.size(), 1u);
    EXPECT_EQ(immediate[0].width, 200);
    EXPECT_EQ(immediate[0].height, 150);
    drain();  // the system's own notice of the same size is not repeated
    EXPECT_EQ(only<Resized>(log).size(), 1u);
    EXPECT_EQ(loop->bounds(window).width, 200);
    EXPECT_EQ(loop->bounds(window).height, 150);
}

TEST_F(TranslationTest, LeavingWhileCapturedIsToldOnlyWhenTheCaptureEnds)
{
    loop->setCapture(window);
    synthetic::windowEvent(*loop, window, WindowChange::Leave);
    synthetic::mouseMove(*loop, window, -20, 5, true);
    drain();
    EXPECT_TRUE(only<MouseLeft>(log).empty()) << "a press dragged outside must keep its capture";
    EXPECT_EQ(only<MouseMoved>(log).size(), 1u);
    loop->releaseCapture();
    drain();
    EXPECT_EQ(only<MouseLeft>(log).size(), 1u);
}

TEST_F(TranslationTest, EventsForADestroyedWindowAreDropped)
{
    synthetic::mouseMove(*loop, window, 1, 1);
    synthetic::key(*loop, window, Key::A, true);
    loop->destroyWindow(window);
    const std::size_t before = log.size();
    drain();
    EXPECT_EQ(log.size(), before);
}

}  // namespace
}  // namespace quorvo::platform::test
