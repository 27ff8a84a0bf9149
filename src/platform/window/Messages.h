#pragma once

// The framework's message vocabulary. The numbers are the classic window
// message numbers the framework was designed around; the platform layer turns
// system input into these messages once (EventTranslator) and nothing above it
// ever sees a system event.
//
// Parameter shapes:
//   mouse messages   wParam = MK_* button and modifier bits,
//                    lParam = makePointParam(x, y), client coordinates
//                    (read back with pointX / pointY, signed 16-bit words).
//                    The second press of a double click arrives as
//                    WM_LBUTTONDOWN with wParam = doubleClickMarker (10086).
//   WM_MOUSEWHEEL    wParam = (delta << 16) | MK_* bits, delta ±120 per notch,
//                    lParam = screen position of the pointer.
//   WM_KEYDOWN/UP,   wParam = VK_* key code, lParam = repeat count 1 in the low
//   WM_SYSKEYDOWN/UP word, bit 30 = key was already down, bit 31 = release.
//   WM_CHAR          wParam = one byte of program text (ASCII here) or a control
//                    code (8, 9, 13, 27, Ctrl+letter 1..26).
//   WM_SYSCHAR       wParam = the character typed with Alt held (mnemonics).
//   WM_IME_COMPOSITION  lParam = GCS_RESULTSTR, Message::text = the committed
//                    text as program text. Sent for committed text that holds
//                    a non-ASCII character; pure ASCII text arrives as WM_CHAR.
//                    lParam = GCS_COMPSTR | GCS_CURSORPOS: the input method's
//                    composition (not committed) changed; Message::text = the
//                    whole composition (empty: it ended), wParam = cursor
//                    (characters from its start) | selected length << 16.
//   WM_SIZE          wParam = SIZE_RESTORED / SIZE_MINIMIZED / SIZE_MAXIMIZED,
//                    lParam = makePointParam(width, height).
//   WM_MOVE          lParam = makePointParam(x, y) of the window.
//   WM_ACTIVATE      wParam = WA_ACTIVE or WA_INACTIVE, lParam = the other
//                    window's id value (0 when unknown or not ours).
//   WM_TIMER         wParam = timer id, lParam = 0.
//   WM_CLOSE, WM_DESTROY, WM_MOUSELEAVE: no parameters.

#include "runtime/Text.h"

#include <compare>
#include <cstdint>
#include <functional>

namespace quorvo::platform {

using MessageId = std::uint32_t;
using WParam = std::intptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// A window known to the event loop. Ids are never reused, so a stale id
// simply names no window.
struct WindowId {
    std::uint32_t value = 0;
    [[nodiscard]] explicit operator bool() const { return value != 0; }
    friend auto operator<=>(WindowId, WindowId) = default;
    [[nodiscard]] LParam asParam() const { return static_cast<LParam>(value); }
    static WindowId fromParam(LParam param) { return WindowId {static_cast<std::uint32_t>(param)}; }
};

struct Message {
    WindowId window;
    MessageId message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    Text text;  // input-method text (WM_IME_COMPOSITION) only
};

// A window procedure: returns the message's result.
using WindowProcedure = std::function<LResult(const Message&)>;

// Standard messages.
inline constexpr MessageId WM_CREATE = 0x0001;
inline constexpr MessageId WM_DESTROY = 0x0002;
inline constexpr MessageId WM_MOVE = 0x0003;
inline constexpr MessageId WM_SIZE = 0x0005;
inline constexpr MessageId WM_ACTIVATE = 0x0006;
inline constexpr MessageId WM_SETFOCUS = 0x0007;
inline constexpr MessageId WM_KILLFOCUS = 0x0008;
inline constexpr MessageId WM_SETTEXT = 0x000C;
inline constexpr MessageId WM_GETTEXT = 0x000D;
inline constexpr MessageId WM_PAINT = 0x000F;
inline constexpr MessageId WM_CLOSE = 0x0010;
inline constexpr MessageId WM_QUIT = 0x0012;
inline constexpr MessageId WM_SETCURSOR = 0x0020;
inline constexpr MessageId WM_KEYDOWN = 0x0100;
inline constexpr MessageId WM_KEYUP = 0x0101;
inline constexpr MessageId WM_CHAR = 0x0102;
inline constexpr MessageId WM_SYSKEYDOWN = 0x0104;
inline constexpr MessageId WM_SYSKEYUP = 0x0105;
inline constexpr MessageId WM_SYSCHAR = 0x0106;
inline constexpr MessageId WM_IME_COMPOSITION = 0x010F;
inline constexpr MessageId WM_COMMAND = 0x0111;
inline constexpr MessageId WM_SYSCOMMAND = 0x0112;
inline constexpr MessageId WM_TIMER = 0x0113;
inline constexpr MessageId WM_MOUSEMOVE = 0x0200;
inline constexpr MessageId WM_LBUTTONDOWN = 0x0201;
inline constexpr MessageId WM_LBUTTONUP = 0x0202;
inline constexpr MessageId WM_LBUTTONDBLCLK = 0x0203;
inline constexpr MessageId WM_RBUTTONDOWN = 0x0204;
inline constexpr MessageId WM_RBUTTONUP = 0x0205;
inline constexpr MessageId WM_MBUTTONDOWN = 0x0207;
inline constexpr MessageId WM_MBUTTONUP = 0x0208;
inline constexpr MessageId WM_MOUSEWHEEL = 0x020A;
inline constexpr MessageId WM_MOUSELEAVE = 0x02A3;

// The framework's private messages.
inline constexpr MessageId UIM_FOCUSIN = 0x2800;
inline constexpr MessageId UIM_FOCUSOUT = 0x2801;
inline constexpr MessageId UIM_MOUSEENTER = 0x2802;
inline constexpr MessageId UIM_MOUSELEAVE = 0x2803;
inline constexpr MessageId UIM_CLICK = 0x2804;
inline constexpr MessageId UIM_RESIZED = 0x2805;
inline constexpr MessageId UIM_HIDDEN = 0x2806;
inline constexpr MessageId UIM_SHOWN = 0x2807;
inline constexpr MessageId UIM_CUSTOMPAINT = 0x2808;
inline constexpr MessageId UIM_WANTPRESS = 0x280A;
inline constexpr MessageId UIM_SETMNEMONIC = 0x280B;
inline constexpr MessageId UIM_PRESENT = 0x280D;
inline constexpr MessageId UIM_DIMQUERY = 0x280E;
inline constexpr MessageId UIM_INVALIDATE = 0x2810;
inline constexpr MessageId UIM_GEOMETRY = 0x2811;
inline constexpr MessageId UIM_DELIVER = 0x2812;
inline constexpr MessageId UIM_HASFOCUS = 0x2814;
inline constexpr MessageId UIM_ALPHACHANGED = 0x2815;
inline constexpr MessageId UIM_TRANSITIONSTART = 0x2817;
inline constexpr MessageId UIM_TRANSITIONEND = 0x2818;

// The tray icon's callback message, carrying the mouse message in lParam.
inline constexpr MessageId trayMessage = 2258;

// wParam of WM_LBUTTONDOWN that marks the second press of a double click.
inline constexpr WParam doubleClickMarker = 10086;

// Mouse-message key state bits (wParam).
inline constexpr WParam MK_LBUTTON = 0x0001;
inline constexpr WParam MK_RBUTTON = 0x0002;
inline constexpr WParam MK_SHIFT = 0x0004;
inline constexpr WParam MK_CONTROL = 0x0008;
inline constexpr WParam MK_MBUTTON = 0x0010;

inline constexpr WParam WHEEL_DELTA = 120;

// WM_SIZE kinds.
inline constexpr WParam SIZE_RESTORED = 0;
inline constexpr WParam SIZE_MINIMIZED = 1;
inline constexpr WParam SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
inline constexpr WParam WA_INACTIVE = 0;
inline constexpr WParam WA_ACTIVE = 1;

// WM_IME_COMPOSITION flags: a result string is available; the composition
// string and its cursor changed.
inline constexpr LParam GCS_RESULTSTR = 0x0800;
inline constexpr LParam GCS_COMPSTR = 0x0008;
inline constexpr LParam GCS_CURSORPOS = 0x0080;

// WM_SYSCOMMAND commands.
inline constexpr WParam SC_SIZE = 0xF000;
inline constexpr WParam SC_MINIMIZE = 0xF020;
inline constexpr WParam SC_MAXIMIZE = 0xF030;
inline constexpr WParam SC_CLOSE = 0xF060;
inline constexpr WParam SC_RESTORE = 0xF120;

// Key codes (wParam of the key messages).
inline constexpr WParam VK_BACK = 0x08;
inline constexpr WParam VK_TAB = 0x09;
inline constexpr WParam VK_RETURN = 0x0D;
inline constexpr WParam VK_SHIFT = 0x10;
inline constexpr WParam VK_CONTROL = 0x11;
inline constexpr WParam VK_MENU = 0x12;  // Alt
inline constexpr WParam VK_PAUSE = 0x13;
inline constexpr WParam VK_CAPITAL = 0x14;
inline constexpr WParam VK_ESCAPE = 0x1B;
inline constexpr WParam VK_SPACE = 0x20;
inline constexpr WParam VK_PRIOR = 0x21;
inline constexpr WParam VK_NEXT = 0x22;
inline constexpr WParam VK_END = 0x23;
inline constexpr WParam VK_HOME = 0x24;
inline constexpr WParam VK_LEFT = 0x25;
inline constexpr WParam VK_UP = 0x26;
inline constexpr WParam VK_RIGHT = 0x27;
inline constexpr WParam VK_DOWN = 0x28;
inline constexpr WParam VK_INSERT = 0x2D;
inline constexpr WParam VK_DELETE = 0x2E;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
inline constexpr WParam VK_NUMPAD0 = 0x60;
inline constexpr WParam VK_MULTIPLY = 0x6A;
inline constexpr WParam VK_ADD = 0x6B;
inline constexpr WParam VK_SUBTRACT = 0x6D;
inline constexpr WParam VK_DECIMAL = 0x6E;
inline constexpr WParam VK_DIVIDE = 0x6F;
inline constexpr WParam VK_F1 = 0x70;
inline constexpr WParam VK_OEM_1 = 0xBA;       // ;:
inline constexpr WParam VK_OEM_PLUS = 0xBB;    // =+
inline constexpr WParam VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr WParam VK_OEM_MINUS = 0xBD;   // -_
inline constexpr WParam VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr WParam VK_OEM_2 = 0xBF;       // /?
inline constexpr WParam VK_OEM_3 = 0xC0;       // `~
inline constexpr WParam VK_OEM_4 = 0xDB;       // [{
inline constexpr WParam VK_OEM_5 = 0xDC;       // backslash |
inline constexpr WParam VK_OEM_6 = 0xDD;       // ]}
inline constexpr WParam VK_OEM_7 = 0xDE;       // '"

// Packs a point (or a size) into lParam as two signed 16-bit words.
[[nodiscard]] constexpr LParam makePointParam(int x, int y)
{
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(x));
    const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(y));
    return static_cast<LParam>((high << 16) | low);
}
[[nodiscard]] constexpr int pointX(LParam param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(param & 0xFFFF));
}
[[nodiscard]] constexpr int pointY(LParam param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((param >> 16) & 0xFFFF));
}
// The signed wheel delta in the high word of WM_MOUSEWHEEL's wParam.
[[nodiscard]] constexpr int wheelDelta(WParam param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((param >> 16) & 0xFFFF));
}

}  // namespace quorvo::platform
