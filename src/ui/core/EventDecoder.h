#pragma once

// The one translation point between the platform's window events and the
// framework's vocabulary: a platform event becomes a typed input event
// (Event.h) or a typed window request. No other file above the platform
// reads platform events.

#include "ui/core/Event.h"

#include "platform/window/WindowEvent.h"

#include <variant>

namespace quorvo::ui {

enum class WindowRequestKind {
    Close,     // the window is asked to close
    Destroy,   // the window is being destroyed
    Minimise,  // the window is asked to minimise
    Maximise,
    Restore,
    Command,           // a command id (menu items)
    TrayNotification,  // a mouse event on the window's tray icon
    Activate,
    Deactivate,
    Size,         // the client size changed (or the window was minimised)
    Move,         // the window moved on the screen
    PointerLeft,  // the pointer left the window
    Other,        // anything else: no default processing
};

// A window-level request, as the host's request hook sees it.
struct WindowRequest {
    WindowRequestKind kind = WindowRequestKind::Other;
    // Command: the command id.
    int command = 0;
    // TrayNotification: the mouse event on the icon (MouseUp, RightMouseUp, ...).
    EventType trayEvent = EventType::MouseMove;
    // Size: the new client size; Move: the new screen position.
    IntSize size;
    IntPoint position;
    bool minimised = false;
    bool maximised = false;
};

// What one platform event means to the host.
using DecodedEvent
    = std::variant<WindowRequest, MouseEvent, WheelEvent, KeyEvent, CharEvent, TextEvent, CompositionEvent>;

[[nodiscard]] DecodedEvent decodeEvent(const platform::WindowEvent& event);

}  // namespace quorvo::ui
