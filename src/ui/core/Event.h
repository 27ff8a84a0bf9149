#pragma once

// The framework's typed events. Controls see only these; the platform's
// window events are turned into them in one place (EventDecoder.cpp).
//
// EventType keeps the program's own event numbers, so that a binding such as
// `button.bind(EventType::Click, ...)` names the same event as 10244 did, and a
// double click binds as 515. Derived controls may raise event types of their
// own (any value not listed here, e.g. EventType {0x2900}) as a ValueEvent.

#include "platform/window/Key.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <cstdint>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::ui {

class UiControl;

enum class EventType : std::uint32_t {
    Create = 1,
    Destroy = 2,
    Paint = 15,
    KeyDown = 0x100,
    KeyUp = 0x101,
    Char = 0x102,
    SysKeyDown = 0x104,
    SysKeyUp = 0x105,
    SysChar = 0x106,
    // The input method's composition changed (not committed text).
    Composition = 0x10D,
    // Committed input-method text.
    Text = 0x10F,
    Command = 0x111,
    Timer = 0x113,
    MouseMove = 0x200,
    MouseDown = 0x201,  // left button; clickCount 2 on the second press of a double click
    MouseUp = 0x202,
    // Bound handlers for this type run on the second press of a double click
    // (a MouseDown event with clickCount 2); no event of this type is dispatched.
    DoubleClick = 515,
    RightMouseDown = 0x204,
    RightMouseUp = 0x205,
    MouseWheel = 0x20A,
    FocusIn = 0x2800,
    FocusOut = 0x2801,
    MouseEnter = 0x2802,
    MouseLeave = 0x2803,
    Click = 0x2804,  // 10244
    Resized = 0x2805,
    Hidden = 0x2806,
    Shown = 0x2807,
    AlphaChanged = 0x2815,
    TransitionStarted = 0x2817,
    TransitionEnded = 0x2818,
};

// Control kinds: the codes the program's click callback receives.
enum class ControlKind : int {
    None = 0,
    CaptionButton = 1,  // never takes the focus
    Button = 2,
    Label = 3,
    Image = 4,
    Link = 5,
    List = 8,
    Edit = 9,
    CheckBox = 10,
    RadioButton = 11,
    ComboBox = 15,
    ScrollBar = 19,
    Panel = 21,  // a 1 x 1 surface: draws nothing
    MessageBoxButton = 23,
    ImageButton = 24,
    TabButton = 1112,
};

// Key codes are the platform's: the classic virtual-key numbers.
using platform::Key;

enum class MouseButton { None, Left, Right, Middle };

// Held mouse buttons, as a bit set.
namespace buttons {
inline constexpr unsigned Left = 1;
inline constexpr unsigned Right = 2;
inline constexpr unsigned Middle = 4;
}  // namespace buttons

struct Modifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
    friend bool operator==(const Modifiers&, const Modifiers&) = default;
};

class Event {
public:
    explicit Event(EventType type)
        : m_type(type)
    { }
    Event(const Event&) = default;
    Event& operator=(const Event&) = default;
    virtual ~Event() = default;

    [[nodiscard]] EventType type() const { return m_type; }
    // A handler that leaves an input event to the host (Tab, Enter and Space
    // for focus moves and keyboard clicks) calls ignore(). Events start accepted.
    [[nodiscard]] bool isAccepted() const { return m_accepted; }
    void accept() { m_accepted = true; }
    void ignore() { m_accepted = false; }

    // Mouse, wheel, key, character and text events: dropped by disabled controls.
    [[nodiscard]] bool isInput() const;

private:
    EventType m_type;
    bool m_accepted = true;
};

class MouseEvent : public Event {
public:
    MouseEvent(EventType type, IntPoint position, MouseButton button, unsigned heldButtons, Modifiers modifiers,
               int clickCount = 1)
        : Event(type)
        , m_position(position)
        , m_button(button)
        , m_buttons(heldButtons)
        , m_modifiers(modifiers)
        , m_clickCount(clickCount)
    { }

    // Window client coordinates (controls live in window coordinates too).
    [[nodiscard]] IntPoint position() const { return m_position; }
    [[nodiscard]] int x() const { return m_position.x; }
    [[nodiscard]] int y() const { return m_position.y; }
    // The button that changed (None for moves).
    [[nodiscard]] MouseButton button() const { return m_button; }
    // Buttons held (buttons::Left | ...).
    [[nodiscard]] unsigned buttons() const { return m_buttons; }
    [[nodiscard]] Modifiers modifiers() const { return m_modifiers; }
    // 2 on the second press of a double click.
    [[nodiscard]] int clickCount() const { return m_clickCount; }
    [[nodiscard]] bool isDoubleClick() const { return m_clickCount == 2; }

private:
    IntPoint m_position;
    MouseButton m_button;
    unsigned m_buttons;
    Modifiers m_modifiers;
    int m_clickCount;
};

class WheelEvent : public Event {
public:
    WheelEvent(IntPoint screenPosition, int delta, unsigned heldButtons, Modifiers modifiers)
        : Event(EventType::MouseWheel)
        , m_screenPosition(screenPosition)
        , m_delta(delta)
        , m_buttons(heldButtons)
        , m_modifiers(modifiers)
    { }

    // Screen coordinates of the pointer.
    [[nodiscard]] IntPoint screenPosition() const { return m_screenPosition; }
    // +120 per notch away from the user, -120 towards.
    [[nodiscard]] int delta() const { return m_delta; }
    [[nodiscard]] unsigned buttons() const { return m_buttons; }
    [[nodiscard]] Modifiers modifiers() const { return m_modifiers; }

private:
    IntPoint m_screenPosition;
    int m_delta;
    unsigned m_buttons;
    Modifiers m_modifiers;
};

// KeyDown, KeyUp, SysKeyDown, SysKeyUp (Sys: with Alt held).
class KeyEvent : public Event {
public:
    KeyEvent(EventType type, Key key, Modifiers modifiers, bool repeat = false)
        : Event(type)
        , m_key(key)
        , m_modifiers(modifiers)
        , m_repeat(repeat)
    { }

    [[nodiscard]] Key key() const { return m_key; }
    [[nodiscard]] int code() const { return static_cast<int>(m_key); }
    [[nodiscard]] Modifiers modifiers() const { return m_modifiers; }
    // The key was already down (auto-repeat).
    [[nodiscard]] bool isRepeat() const { return m_repeat; }

private:
    Key m_key;
    Modifiers m_modifiers;
    bool m_repeat;
};

// Char: one typed character (ASCII) or a control code (8, 9, 13, 27,
// Ctrl+letter 1..26). SysChar: the character typed with Alt (mnemonics).
class CharEvent : public Event {
public:
    CharEvent(EventType type, int character)
        : Event(type)
        , m_character(character)
    { }
    [[nodiscard]] int character() const { return m_character; }

private:
    int m_character;
};

// Committed input-method text (program text); may hold several characters.
class TextEvent : public Event {
public:
    explicit TextEvent(quorvo::Text text)
        : Event(EventType::Text)
        , m_text(std::move(text))
    { }
    [[nodiscard]] const quorvo::Text& text() const { return m_text; }

private:
    quorvo::Text m_text;
};

// The input method's composition: what the user is composing, not yet text
// of the control (drawn at the caret, underlined). Empty text: it ended
// (committed as a TextEvent, or cancelled). Cursor and selection count
// characters from the composition's start.
class CompositionEvent : public Event {
public:
    CompositionEvent(quorvo::Text text, int cursor, int selectionLength)
        : Event(EventType::Composition)
        , m_text(std::move(text))
        , m_cursor(cursor)
        , m_selectionLength(selectionLength)
    { }
    [[nodiscard]] const quorvo::Text& text() const { return m_text; }
    [[nodiscard]] int cursor() const { return m_cursor; }
    [[nodiscard]] int selectionLength() const { return m_selectionLength; }

private:
    quorvo::Text m_text;
    int m_cursor;
    int m_selectionLength;
};

// FocusIn / FocusOut: `other` is the control that lost (FocusIn) or gains
// (FocusOut) the focus, or null.
class FocusEvent : public Event {
public:
    FocusEvent(EventType type, UiControl* other, bool byKeyboard = false)
        : Event(type)
        , m_other(other)
        , m_byKeyboard(byKeyboard)
    { }
    [[nodiscard]] UiControl* other() const { return m_other; }
    [[nodiscard]] bool byKeyboard() const { return m_byKeyboard; }

private:
    UiControl* m_other;
    bool m_byKeyboard;
};

// MouseEnter / MouseLeave: `other` is the previous (enter) or next (leave)
// control under the pointer, or null.
class HoverEvent : public Event {
public:
    HoverEvent(EventType type, UiControl* other)
        : Event(type)
        , m_other(other)
    { }
    [[nodiscard]] UiControl* other() const { return m_other; }

private:
    UiControl* m_other;
};

// A click: mouse release over the pressed control, or Enter, Space or a
// mnemonic on the focus control (byMouse false, position (0, 0)).
class ClickEvent : public Event {
public:
    ClickEvent(bool byMouse, IntPoint position)
        : Event(EventType::Click)
        , m_byMouse(byMouse)
        , m_position(position)
    { }
    [[nodiscard]] bool byMouse() const { return m_byMouse; }
    [[nodiscard]] IntPoint position() const { return m_position; }

private:
    bool m_byMouse;
    IntPoint m_position;
};

// Resized: the control's surface was re-created at this size.
class ResizeEvent : public Event {
public:
    explicit ResizeEvent(FloatSize size)
        : Event(EventType::Resized)
        , m_size(size)
    { }
    [[nodiscard]] FloatSize size() const { return m_size; }

private:
    FloatSize m_size;
};

// Paint: draw the whole surface (cleared to transparent before). Paint code
// reads state and never changes it.
class PaintEvent : public Event {
public:
    explicit PaintEvent(gfx::Painter& painter)
        : Event(EventType::Paint)
        , m_painter(painter)
    { }
    [[nodiscard]] gfx::Painter& painter() const { return m_painter; }

private:
    gfx::Painter& m_painter;
};

class TimerEvent : public Event {
public:
    explicit TimerEvent(int id)
        : Event(EventType::Timer)
        , m_id(id)
    { }
    [[nodiscard]] int id() const { return m_id; }

private:
    int m_id;
};

// A command id (menu items: 100, 101, 102, ...), forwarded to the focus control.
class CommandEvent : public Event {
public:
    explicit CommandEvent(int id)
        : Event(EventType::Command)
        , m_id(id)
    { }
    [[nodiscard]] int id() const { return m_id; }

private:
    int m_id;
};

// A notification with a number or two (alpha changed, a control's own change
// events such as a ticked row: value and index as that control documents).
class ValueEvent : public Event {
public:
    ValueEvent(EventType type, int value, int index = 0)
        : Event(type)
        , m_value(value)
        , m_index(index)
    { }
    [[nodiscard]] int value() const { return m_value; }
    [[nodiscard]] int index() const { return m_index; }

private:
    int m_value;
    int m_index;
};

inline bool Event::isInput() const
{
    switch (m_type) {
    case EventType::KeyDown:
    case EventType::KeyUp:
    case EventType::Char:
    case EventType::SysKeyDown:
    case EventType::SysKeyUp:
    case EventType::SysChar:
    case EventType::Text:
    case EventType::Composition:
    case EventType::MouseMove:
    case EventType::MouseDown:
    case EventType::MouseUp:
    case EventType::RightMouseDown:
    case EventType::RightMouseUp:
    case EventType::MouseWheel:
    case EventType::Click:
        return true;
    default:
        return false;
    }
}

}  // namespace quorvo::ui
