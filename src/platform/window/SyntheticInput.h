#pragma once

// Synthetic system input for tests and automation: each call queues one
// system event exactly as the window system would deliver it, so that it goes
// through the same translation as real input on the next loop turn.
// Positions and sizes are logical (window coordinates), as the program's.

#include "platform/window/EventLoop.h"

#include <span>
#include <string_view>

namespace quorvo::platform::synthetic {

using platform::Modifiers;
using platform::MouseButton;

// What the window system says of a window.
enum class WindowChange {
    Close,
    FocusGained,
    FocusLost,
    SizeChanged,
    Moved,
    Minimized,
    Maximized,
    Restored,
    Leave,
    Exposed
};

bool mouseMove(EventLoop& loop, WindowId window, int x, int y, bool leftHeld = false);
// `clicks` is the system's click count: 2 (4, ...) on the second press of a double click.
bool mouseButton(EventLoop& loop, WindowId window, MouseButton button, bool pressed, int x, int y, int clicks = 1);
// Positive notches turn the wheel away from the user.
bool mouseWheel(EventLoop& loop, WindowId window, int notches);
// False for a key the system has no key code for.
bool key(EventLoop& loop, WindowId window, Key which, bool pressed, Modifiers modifiers = {}, bool repeat = false);
// Committed text, split into events of at most 31 bytes at character
// boundaries as the system does with long input-method text.
bool text(EventLoop& loop, WindowId window, std::string_view utf8);
// Each piece (at most 31 bytes) as its own event, even inside a character.
bool textPieces(EventLoop& loop, WindowId window, std::span<const std::string_view> pieces);
// The input method's composition as it changes (cursor and selected length
// in characters); empty text ends it.
bool composition(EventLoop& loop, WindowId window, std::string_view utf8, int cursor, int selected = 0);
bool windowEvent(EventLoop& loop, WindowId window, WindowChange change, int data1 = 0, int data2 = 0);

}  // namespace quorvo::platform::synthetic
