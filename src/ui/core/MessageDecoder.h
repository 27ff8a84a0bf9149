#pragma once

// The one translation point between the platform's window messages and the
// framework's typed vocabulary, both ways: a platform message becomes a typed
// input event or a typed window request, and a window request the program or
// a control makes (close, minimise, a command, a tray notification) becomes
// the platform message that carries it. No other file above the platform
// reads message numbers or packed parameters.

#include "ui/core/Event.h"

#include "platform/window/Messages.h"

#include <cstdint>
#include <variant>

namespace quorvo::platform {
class EventLoop;
}

namespace quorvo::ui {

enum class WindowRequestKind {
    Close,     // the window is asked to close
    Destroy,   // the window is being destroyed
    Minimise,  // system command: minimise
    Maximise,
    Restore,
    Command,           // a command id (menu items)
    TrayNotification,  // the tray icon's notification (2258) with a mouse event
    Activate,
    Deactivate,
    Size,         // the client size changed (or the window was minimised)
    Move,         // the window moved on the screen
    PointerLeft,  // the pointer left the window
    Other,        // anything else: default processing only
};

// A window-level request, as the host's message hook sees it.
struct WindowRequest {
    WindowRequestKind kind = WindowRequestKind::Other;
    // Command: the command id.
    int command = 0;
    // TrayNotification: the mouse event on the icon (MouseUp, RightMouseUp, MouseMove, ...).
    EventType trayEvent = EventType::MouseMove;
    // Size: the new client size; Move: the new screen position.
    IntSize size;
    IntPoint position;
    bool minimised = false;
    bool maximised = false;
};

// What one platform message means to the host.
using DecodedMessage
    = std::variant<WindowRequest, MouseEvent, WheelEvent, KeyEvent, CharEvent, TextEvent, CompositionEvent>;

// `loop` answers the modifier state for key events.
[[nodiscard]] DecodedMessage decodeMessage(const platform::Message& message, const platform::EventLoop& loop);

// The platform message that carries a window request to `window` (post it,
// or send it, through the event loop).
[[nodiscard]] platform::Message encodeWindowRequest(platform::WindowId window, const WindowRequest& request);

// The tray notification number (2258), for the tray icon's platform glue.
inline constexpr std::uint32_t trayNotificationId = 2258;

}  // namespace quorvo::ui
