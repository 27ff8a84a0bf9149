// System input turned into the framework's messages, driven through real SDL events.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

#include "runtime/Encoding.h"

namespace quorvo::platform::test {
namespace {

using synthetic::MouseButton;
using synthetic::WindowEvent;

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

    std::vector<Message> log;
    std::vector<Message> otherLog;
    WindowId window;
    WindowId other;
};

TEST_F(TranslationTest, MouseMoveCarriesSignedClientCoordinatesAndButtons)
{
    synthetic::mouseMove(*loop, window, 17, 23);
    synthetic::mouseMove(*loop, window, -5, -7, true);  // captured, outside the window
    drain();
    const auto moves = only(log, WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(pointX(moves[0].lParam), 17);
    EXPECT_EQ(pointY(moves[0].lParam), 23);
    EXPECT_EQ(moves[0].wParam, 0);
    EXPECT_EQ(pointX(moves[1].lParam), -5);
    EXPECT_EQ(pointY(moves[1].lParam), -7);
    EXPECT_EQ(moves[1].wParam & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(TranslationTest, PressAndReleaseBecomeButtonMessages)
{
    synthetic::mouseButton(*loop, window, MouseButton::Left, true, 3, 4);
    synthetic::mouseButton(*loop, window, MouseButton::Left, false, 3, 4);
    synthetic::mouseButton(*loop, window, MouseButton::Right, true, 8, 9);
    synthetic::mouseButton(*loop, window, MouseButton::Right, false, 8, 9);
    drain();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(log[0].wParam, MK_LBUTTON);
    EXPECT_EQ(log[0].lParam, makePointParam(3, 4));
    EXPECT_EQ(log[1].message, WM_LBUTTONUP);
    EXPECT_EQ(log[1].wParam & MK_LBUTTON, 0);
    EXPECT_EQ(log[2].message, WM_RBUTTONDOWN);
    EXPECT_EQ(log[3].message, WM_RBUTTONUP);
    EXPECT_EQ(log[3].lParam, makePointParam(8, 9));
}

TEST_F(TranslationTest, SecondPressOfADoubleClickIsALeftPressMarked10086)
{
    for (int clicks = 1; clicks <= 4; ++clicks) {
        synthetic::mouseButton(*loop, window, MouseButton::Left, true, 10, 10, clicks);
        synthetic::mouseButton(*loop, window, MouseButton::Left, false, 10, 10, clicks);
    }
    drain();
    const auto presses = only(log, WM_LBUTTONDOWN);
    ASSERT_EQ(presses.size(), 4u) << "a double click is still a left press, not a separate message";
    EXPECT_NE(presses[0].wParam, doubleClickMarker);
    EXPECT_EQ(presses[1].wParam, doubleClickMarker);
    EXPECT_NE(presses[2].wParam, doubleClickMarker) << "a third click starts a new pair";
    EXPECT_EQ(presses[3].wParam, doubleClickMarker);
    EXPECT_TRUE(only(log, WM_LBUTTONDBLCLK).empty());
}

TEST_F(TranslationTest, WheelGives120PerNotchWithSign)
{
    synthetic::mouseWheel(*loop, window, 1);
    synthetic::mouseWheel(*loop, window, -2);
    drain();
    const auto wheels = only(log, WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 2u);
    EXPECT_EQ(wheelDelta(wheels[0].wParam), 120);
    EXPECT_EQ(wheelDelta(wheels[1].wParam), -240);
}

TEST_F(TranslationTest, KeysBecomeKeyCodesWithReleaseBits)
{
    // With text input on, a letter's character comes as text of its own.
    loop->setTextInputActive(true);
    synthetic::key(*loop, window, 'A', true);
    synthetic::key(*loop, window, VK_LEFT, true, {}, true);
    synthetic::key(*loop, window, 'A', false);
    drain();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].message, WM_KEYDOWN);
    EXPECT_EQ(log[0].wParam, 'A');
    EXPECT_EQ(log[0].lParam & (1 << 30), 0);
    EXPECT_EQ(log[1].wParam, VK_LEFT);
    EXPECT_NE(log[1].lParam & (1 << 30), 0) << "auto-repeat sets the previous-state bit";
    EXPECT_EQ(log[2].message, WM_KEYUP);
    EXPECT_NE(log[2].lParam & (LParam {1} << 31), 0);
    loop->setTextInputActive(false);
}

TEST_F(TranslationTest, ControlLettersAndEditingKeysAlsoGiveCharacters)
{
    synthetic::key(*loop, window, VK_CONTROL, true, {.control = true});
    synthetic::key(*loop, window, 'C', true, {.control = true});
    drain();
    EXPECT_TRUE(loop->isKeyDown(VK_CONTROL));
    synthetic::key(*loop, window, 'C', false, {.control = true});
    synthetic::key(*loop, window, VK_CONTROL, false);
    synthetic::key(*loop, window, VK_RETURN, true);
    synthetic::key(*loop, window, VK_BACK, true);
    drain();
    EXPECT_FALSE(loop->isKeyDown(VK_CONTROL));
    const auto chars = only(log, WM_CHAR);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, 3);  // Ctrl+C
    EXPECT_EQ(chars[1].wParam, 13);
    EXPECT_EQ(chars[2].wParam, 8);
}

TEST_F(TranslationTest, AltLetterIsASystemKeyAndSysCharNotAlsoATypedCharacter)
{
    synthetic::key(*loop, window, 'F', true, {.alt = true});
    synthetic::text(*loop, window, "f");  // what X11 also reports for Alt+F
    synthetic::key(*loop, window, 'F', false, {.alt = true});
    drain();
    ASSERT_EQ(only(log, WM_SYSKEYDOWN).size(), 1u);
    EXPECT_EQ(only(log, WM_SYSKEYDOWN)[0].wParam, 'F');
    ASSERT_EQ(only(log, WM_SYSCHAR).size(), 1u);
    EXPECT_EQ(only(log, WM_SYSCHAR)[0].wParam, 'f');
    EXPECT_TRUE(only(log, WM_CHAR).empty());
    EXPECT_EQ(only(log, WM_SYSKEYUP).size(), 1u);
}

// Compositions used to be dropped: the user saw nothing while composing.
TEST_F(TranslationTest, ACompositionArrivesWithItsCursorAndSelection)
{
    synthetic::composition(*loop, window, "ni hao", 3, 3);
    synthetic::composition(*loop, window, "你h", 1);
    synthetic::composition(*loop, window, "", 0);
    drain();
    const auto compositions = only(log, WM_IME_COMPOSITION);
    ASSERT_EQ(compositions.size(), 3u);
    EXPECT_EQ(compositions[0].lParam & GCS_COMPSTR, GCS_COMPSTR);
    EXPECT_EQ(compositions[0].lParam & GCS_RESULTSTR, 0);
    EXPECT_EQ(compositions[0].text, Text("ni hao"));
    EXPECT_EQ(compositions[0].wParam & 0xFFFF, 3);
    EXPECT_EQ(compositions[0].wParam >> 16, 3);
    EXPECT_EQ(compositions[1].text, encoding::fromUtf8("你h")) << "program text";
    EXPECT_EQ(compositions[1].wParam, 1);
    EXPECT_TRUE(compositions[2].text.empty()) << "the composition ended";
    EXPECT_TRUE(only(log, WM_CHAR).empty());
}

TEST_F(TranslationTest, WithoutTextInputKeysStillTypeTheirPlainCharacters)
{
    EXPECT_FALSE(loop->isTextInputActive()) << "text input waits for an edit box";
    synthetic::key(*loop, window, 'C', true);
    synthetic::key(*loop, window, 'C', true, {.shift = true});
    synthetic::key(*loop, window, 'C', true, {.control = true});
    drain();
    auto chars = only(log, WM_CHAR);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, 'c');
    EXPECT_EQ(chars[1].wParam, 'C');
    EXPECT_EQ(chars[2].wParam, 3) << "Ctrl+C stays a control code";
    log.clear();
    loop->setTextInputActive(true);
    EXPECT_TRUE(loop->isTextInputActive());
    synthetic::key(*loop, window, 'C', true);
    drain();
    EXPECT_TRUE(only(log, WM_CHAR).empty()) << "with text input the character comes as text, once";
    loop->setTextInputActive(false);
}

TEST_F(TranslationTest, TypedAsciiArrivesAsCharacters)
{
    synthetic::text(*loop, window, "a B");
    drain();
    const auto chars = only(log, WM_CHAR);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].wParam, 'a');
    EXPECT_EQ(chars[1].wParam, ' ');
    EXPECT_EQ(chars[2].wParam, 'B');
    EXPECT_TRUE(only(log, WM_IME_COMPOSITION).empty()) << "ASCII input must not also arrive as composition text";
}

TEST_F(TranslationTest, InputMethodTextArrivesOnceAsProgramText)
{
    synthetic::text(*loop, window, "你好");
    drain();
    const auto compositions = only(log, WM_IME_COMPOSITION);
    ASSERT_EQ(compositions.size(), 1u);
    EXPECT_EQ(compositions[0].lParam & GCS_RESULTSTR, GCS_RESULTSTR);
    EXPECT_EQ(compositions[0].text, encoding::fromUtf8("你好"));
    EXPECT_EQ(compositions[0].text.str(), "\xC4\xE3\xBA\xC3");  // GBK
    EXPECT_TRUE(only(log, WM_CHAR).empty());
}

TEST_F(TranslationTest, LongInputMethodTextSplitBySystemIsOneCommit)
{
    const std::string phrase = "百度音乐无损下载器正在为您搜索歌曲请稍候再试一次";  // 72 bytes: three events
    synthetic::text(*loop, window, phrase);
    drain();
    const auto compositions = only(log, WM_IME_COMPOSITION);
    ASSERT_EQ(compositions.size(), 1u);
    EXPECT_EQ(encoding::toUtf8(compositions[0].text.view()), phrase);
}

TEST_F(TranslationTest, CharacterSplitAcrossTextEventsIsJoined)
{
    const std::string word = "歌曲";  // E6 AD 8C E6 9B B2
    const std::string_view pieces[] = {std::string_view(word).substr(0, 2), std::string_view(word).substr(2)};
    synthetic::textPieces(*loop, window, pieces);
    drain();
    const auto compositions = only(log, WM_IME_COMPOSITION);
    ASSERT_EQ(compositions.size(), 1u);
    EXPECT_EQ(encoding::toUtf8(compositions[0].text.view()), word);
}

TEST_F(TranslationTest, WindowEventsBecomeSizeActivateCloseAndLeave)
{
    synthetic::windowEvent(*loop, window, WindowEvent::SizeChanged, 300, 200);
    synthetic::windowEvent(*loop, window, WindowEvent::Minimized);
    synthetic::windowEvent(*loop, window, WindowEvent::Leave);
    synthetic::windowEvent(*loop, window, WindowEvent::FocusLost);
    synthetic::windowEvent(*loop, other, WindowEvent::FocusGained);
    synthetic::windowEvent(*loop, window, WindowEvent::Close);
    drain();
    const auto sizes = only(log, WM_SIZE);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(pointX(sizes[0].lParam), 300);
    EXPECT_EQ(pointY(sizes[0].lParam), 200);
    EXPECT_EQ(sizes[1].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(only(log, WM_MOUSELEAVE).size(), 1u);
    const auto deactivations = only(log, WM_ACTIVATE);
    ASSERT_EQ(deactivations.size(), 1u);
    EXPECT_EQ(deactivations[0].wParam, WA_INACTIVE);
    EXPECT_EQ(WindowId::fromParam(deactivations[0].lParam), other) << "the window being activated";
    const auto activations = only(otherLog, WM_ACTIVATE);
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].wParam, WA_ACTIVE);
    EXPECT_EQ(WindowId::fromParam(activations[0].lParam), window);
    EXPECT_EQ(only(log, WM_CLOSE).size(), 1u);
    EXPECT_FALSE(loop->isWindow(window)) << "default processing of WM_CLOSE destroys the window";
    EXPECT_EQ(only(log, WM_DESTROY).size(), 1u);
}

TEST_F(TranslationTest, ResizeReportsTheNewSizeOnceBeforeReturning)
{
    ASSERT_TRUE(loop->resize(window, 200, 150));
    const auto immediate = only(log, WM_SIZE);
    ASSERT_EQ(immediate.size(), 1u);
    EXPECT_EQ(immediate[0].lParam, makePointParam(200, 150));
    drain();  // the system's own notice of the same size is not repeated
    EXPECT_EQ(only(log, WM_SIZE).size(), 1u);
    EXPECT_EQ(loop->bounds(window).width, 200);
    EXPECT_EQ(loop->bounds(window).height, 150);
}

TEST_F(TranslationTest, LeavingWhileCapturedIsToldOnlyWhenTheCaptureEnds)
{
    loop->setCapture(window);
    synthetic::windowEvent(*loop, window, WindowEvent::Leave);
    synthetic::mouseMove(*loop, window, -20, 5, true);
    drain();
    EXPECT_TRUE(only(log, WM_MOUSELEAVE).empty()) << "a press dragged outside must keep its capture";
    EXPECT_EQ(only(log, WM_MOUSEMOVE).size(), 1u);
    loop->releaseCapture();
    drain();
    EXPECT_EQ(only(log, WM_MOUSELEAVE).size(), 1u);
}

TEST_F(TranslationTest, EventsForADestroyedWindowAreDropped)
{
    synthetic::mouseMove(*loop, window, 1, 1);
    synthetic::key(*loop, window, 'A', true);
    loop->destroyWindow(window);
    const std::size_t before = log.size();
    drain();
    EXPECT_EQ(log.size(), before);
}

}  // namespace
}  // namespace quorvo::platform::test
