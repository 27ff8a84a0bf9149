#pragma once

// Key codes: the classic virtual-key numbers, shared by the platform's key
// events and the framework's. Letters and digits are their ASCII upper-case
// codes (Key {'A'}); any other code converts with Key {n}.

namespace quorvo::platform {

enum class Key : int {
    None = 0,
    Backspace = 0x08,
    Tab = 0x09,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Alt = 0x12,
    Pause = 0x13,
    CapsLock = 0x14,
    Escape = 0x1B,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    Digit0 = 0x30,
    A = 0x41,
    C = 0x43,
    V = 0x56,
    X = 0x58,
    Z = 0x5A,
    Numpad0 = 0x60,
    Multiply = 0x6A,
    Add = 0x6B,
    Subtract = 0x6D,
    Decimal = 0x6E,
    Divide = 0x6F,
    F1 = 0x70,
    F12 = 0x7B,
    Semicolon = 0xBA,
    Equals = 0xBB,
    Comma = 0xBC,
    Minus = 0xBD,
    Period = 0xBE,
    Slash = 0xBF,
    Backquote = 0xC0,
    LeftBracket = 0xDB,
    Backslash = 0xDC,
    RightBracket = 0xDD,
    Quote = 0xDE,
};

// The key for a letter or digit ('a'..'z', 'A'..'Z', '0'..'9').
[[nodiscard]] constexpr Key keyFor(char character)
{
    if (character >= 'a' && character <= 'z') {
        character = static_cast<char>(character - 'a' + 'A');
    }
    return static_cast<Key>(character);
}

}  // namespace quorvo::platform
