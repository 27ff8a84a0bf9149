#pragma once

// Controls on real hosts (SDL's dummy video driver), driven by synthetic
// system input: the core's HostTest with the controls' helpers.

#include "HostFixture.h"

#include "runtime/Encoding.h"

#include <string_view>

namespace quorvo::ui::test {

namespace synthetic = platform::synthetic;

// Program text from UTF-8 test literals.
inline Text gbk(std::string_view utf8)
{
    return encoding::fromUtf8(utf8);
}

// The core's host fixture with the controls' defaults: a 400 x 300 host at
// the origin on the program's blue, focused, not draggable.
class ControlsTest : public HostTest {
protected:
    UiHost& makeHost(IntPoint position = {0, 0}, int width = 400, int height = 300)
    {
        HostOptions options;
        options.captionFlags = 0;
        options.position = position;
        options.width = width;
        options.height = height;
        options.dragAnywhere = false;
        options.backgroundColour = 0x00C68630;
        UiHost& host = HostTest::makeHost(std::move(options));
        loop().setFocus(host.window());
        drain();
        return host;
    }

    // The queue* calls only queue system input (for use inside nested loops);
    // the others also let the loop handle it.
    void queueClick(const UiHost& host, IntPoint at, synthetic::MouseButton button = synthetic::MouseButton::Left,
                    int clicks = 1)
    {
        synthetic::mouseMove(loop(), host.window(), at.x, at.y);
        synthetic::mouseButton(loop(), host.window(), button, true, at.x, at.y, clicks);
        synthetic::mouseButton(loop(), host.window(), button, false, at.x, at.y, clicks);
    }
    void queueKey(const UiHost& host, platform::Key vk, synthetic::Modifiers modifiers = {})
    {
        synthetic::key(loop(), host.window(), vk, true, modifiers);
        synthetic::key(loop(), host.window(), vk, false, modifiers);
    }
    void queueKey(const UiHost& host, char letter, synthetic::Modifiers modifiers = {})
    {
        queueKey(host, platform::keyFor(letter), modifiers);
    }
    // Modifier keys go down and up as keys of their own, each handled
    // before the next, so that the input between them sees them held.
    void holdModifiers(const UiHost& host, synthetic::Modifiers modifiers, bool down)
    {
        if (modifiers.shift)
            synthetic::key(loop(), host.window(), platform::Key::Shift, down,
                           down ? modifiers : synthetic::Modifiers {});
        if (modifiers.control)
            synthetic::key(loop(), host.window(), platform::Key::Control, down,
                           down ? modifiers : synthetic::Modifiers {});
        drain();
    }
    void click(const UiHost& host, IntPoint at, synthetic::Modifiers modifiers = {}, int clicks = 1)
    {
        holdModifiers(host, modifiers, true);
        queueClick(host, at, synthetic::MouseButton::Left, clicks);
        drain();
        holdModifiers(host, modifiers, false);
    }
    void key(const UiHost& host, platform::Key vk, synthetic::Modifiers modifiers = {})
    {
        holdModifiers(host, modifiers, true);
        queueKey(host, vk, modifiers);
        drain();
        holdModifiers(host, modifiers, false);
    }
    void key(const UiHost& host, char letter, synthetic::Modifiers modifiers = {})
    {
        key(host, platform::keyFor(letter), modifiers);
    }
    void type(const UiHost& host, std::string_view utf8)
    {
        synthetic::text(loop(), host.window(), utf8);
        drain();
    }
};

}  // namespace quorvo::ui::test
