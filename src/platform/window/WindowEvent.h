#pragma once

// What a window hears from the system, as typed events. The platform layer
// turns system input into these once (EventTranslator); nothing above it ever
// sees a system event.

#include "platform/window/Key.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <compare>
#include <cstdint>
#include <functional>
#include <variant>

namespace quorvo::platform {

// A window known to the event loop. Ids are never reused, so a stale id
// simply names no window.
struct WindowId {
    std::uint32_t value = 0;
    [[nodiscard]] explicit operator bool() const { return value != 0; }
    friend auto operator<=>(WindowId, WindowId) = default;
};

using TimerId = std::intptr_t;

enum class MouseButton : std::uint8_t { Left, Right, Middle };

struct HeldButtons {
    bool left = false;
    bool right = false;
    bool middle = false;
    friend bool operator==(const HeldButtons&, const HeldButtons&) = default;
};

struct Modifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
    friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

// Pointer positions are client coordinates unless said otherwise; a captured
// pointer outside the window gives negative ones.
struct MouseMoved {
    IntPoint position;
    HeldButtons held;
    Modifiers modifiers;
};

struct MousePressed {
    MouseButton button = MouseButton::Left;
    IntPoint position;
    HeldButtons held;  // the pressed button included
    Modifiers modifiers;
    // The system's count of quick presses in one place: 2 on the second press
    // of a double click, 3 on a third, ...
    int clickCount = 1;
    // Every second left press of a series is a double click.
    [[nodiscard]] bool isDoubleClick() const { return button == MouseButton::Left && clickCount % 2 == 0; }
};

struct MouseReleased {
    MouseButton button = MouseButton::Left;
    IntPoint position;
    HeldButtons held;  // the released button no longer
    Modifiers modifiers;
};

struct WheelTurned {
    int delta = 0;  // +120 per notch away from the user, -120 towards
    IntPoint screenPosition;
    HeldButtons held;
    Modifiers modifiers;
};

struct KeyPressed {
    Key key = Key::None;
    Modifiers modifiers;  // as they are with this key down
    bool repeat = false;  // auto-repeat: the key was already down
};

struct KeyReleased {
    Key key = Key::None;
    Modifiers modifiers;  // as they are with this key up
};

// One typed character: printable ASCII, or a control code that text input
// never carries (8 Backspace, 9 Tab, 13 Return, 27 Escape, Ctrl+letter 1..26).
// `withAlt`: typed with Alt held (a mnemonic), the letter in the case typed.
struct CharacterTyped {
    char character = 0;
    bool withAlt = false;
};

// Committed text holding a non-ASCII character (the input method's),
// as program text; pure ASCII text arrives as CharacterTyped.
struct TextCommitted {
    Text text;
};

// The input method's composition (not committed) changed; empty text: it ended.
// Cursor and selected length count characters from its start.
struct CompositionChanged {
    Text text;
    int cursor = 0;
    int selectionLength = 0;
};

// The window gained or lost the keyboard; `other` is the window that lost
// (gaining) or gains (losing) it, empty when unknown or not ours.
struct ActivationChanged {
    bool active = false;
    WindowId other;
};

enum class WindowState { Restored, Minimised, Maximised };

// The client size changed; a minimised window reports 0 x 0.
struct Resized {
    int width = 0;
    int height = 0;
    WindowState state = WindowState::Restored;
};

struct Moved {
    IntPoint position;  // screen position of the window
};

// The user asked to close the window; EventLoop::close is the usual answer.
struct CloseRequested { };

// The window is being destroyed (the last event it gets).
struct Destroyed { };

// The pointer left the window.
struct MouseLeft { };

// A timer set without a callback fell due.
struct TimerFired {
    TimerId id = 0;
};

// A mouse button was released on the window's tray icon.
struct TrayIconReleased {
    MouseButton button = MouseButton::Left;
};

using WindowEvent = std::variant<MouseMoved, MousePressed, MouseReleased, WheelTurned, KeyPressed, KeyReleased,
                                 CharacterTyped, TextCommitted, CompositionChanged, ActivationChanged, Resized, Moved,
                                 CloseRequested, Destroyed, MouseLeft, TimerFired, TrayIconReleased>;

// Keyboard and mouse input proper: what a modal loop keeps from other windows.
[[nodiscard]] inline bool isUserInput(const WindowEvent& event)
{
    return std::holds_alternative<MouseMoved>(event) || std::holds_alternative<MousePressed>(event)
        || std::holds_alternative<MouseReleased>(event) || std::holds_alternative<WheelTurned>(event)
        || std::holds_alternative<KeyPressed>(event) || std::holds_alternative<KeyReleased>(event)
        || std::holds_alternative<CharacterTyped>(event) || std::holds_alternative<TextCommitted>(event);
}

// Hears a window's events, on the user-interface thread.
using WindowHandler = std::function<void(const WindowEvent& event)>;

}  // namespace quorvo::platform
