#include "ui/core/MessageDecoder.h"

#include "platform/window/EventLoop.h"

namespace quorvo::ui {

namespace {

using namespace quorvo::platform;

unsigned heldButtons(WParam keyState)
{
    unsigned held = 0;
    if ((keyState & MK_LBUTTON) != 0) {
        held |= buttons::Left;
    }
    if ((keyState & MK_RBUTTON) != 0) {
        held |= buttons::Right;
    }
    if ((keyState & MK_MBUTTON) != 0) {
        held |= buttons::Middle;
    }
    return held;
}

Modifiers mouseModifiers(WParam keyState, const EventLoop& loop)
{
    return {(keyState & MK_SHIFT) != 0, (keyState & MK_CONTROL) != 0, loop.isKeyDown(VK_MENU)};
}

Modifiers keyModifiers(const EventLoop& loop)
{
    return {loop.isKeyDown(VK_SHIFT), loop.isKeyDown(VK_CONTROL), loop.isKeyDown(VK_MENU)};
}

IntPoint pointOf(LParam param)
{
    return {pointX(param), pointY(param)};
}

DecodedMessage mouse(const Message& message, const EventLoop& loop)
{
    const IntPoint position = pointOf(message.lParam);
    switch (message.message) {
    case WM_MOUSEMOVE:
        return MouseEvent(EventType::MouseMove, position, MouseButton::None, heldButtons(message.wParam),
                          mouseModifiers(message.wParam, loop));
    case WM_LBUTTONDOWN:
        if (message.wParam == doubleClickMarker) {
            // The marker replaces the key state; the left button is down by definition.
            return MouseEvent(EventType::MouseDown, position, MouseButton::Left, buttons::Left, keyModifiers(loop), 2);
        }
        return MouseEvent(EventType::MouseDown, position, MouseButton::Left, heldButtons(message.wParam),
                          mouseModifiers(message.wParam, loop));
    case WM_LBUTTONDBLCLK:
        return MouseEvent(EventType::MouseDown, position, MouseButton::Left, buttons::Left, keyModifiers(loop), 2);
    case WM_LBUTTONUP:
        return MouseEvent(EventType::MouseUp, position, MouseButton::Left, heldButtons(message.wParam),
                          mouseModifiers(message.wParam, loop));
    case WM_RBUTTONDOWN:
        return MouseEvent(EventType::RightMouseDown, position, MouseButton::Right, heldButtons(message.wParam),
                          mouseModifiers(message.wParam, loop));
    case WM_RBUTTONUP:
        return MouseEvent(EventType::RightMouseUp, position, MouseButton::Right, heldButtons(message.wParam),
                          mouseModifiers(message.wParam, loop));
    default:
        return WindowRequest {};
    }
}

WindowRequest request(WindowRequestKind kind)
{
    WindowRequest result;
    result.kind = kind;
    return result;
}

std::uint32_t trayMouseMessage(EventType type)
{
    switch (type) {
    case EventType::MouseDown:
        return WM_LBUTTONDOWN;
    case EventType::MouseUp:
        return WM_LBUTTONUP;
    case EventType::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case EventType::RightMouseDown:
        return WM_RBUTTONDOWN;
    case EventType::RightMouseUp:
        return WM_RBUTTONUP;
    default:
        return WM_MOUSEMOVE;
    }
}

EventType trayMouseEvent(LParam param)
{
    switch (static_cast<MessageId>(param)) {
    case WM_LBUTTONDOWN:
        return EventType::MouseDown;
    case WM_LBUTTONUP:
        return EventType::MouseUp;
    case WM_LBUTTONDBLCLK:
        return EventType::DoubleClick;
    case WM_RBUTTONDOWN:
        return EventType::RightMouseDown;
    case WM_RBUTTONUP:
        return EventType::RightMouseUp;
    default:
        return EventType::MouseMove;
    }
}

}  // namespace

DecodedMessage decodeMessage(const Message& message, const EventLoop& loop)
{
    switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return mouse(message, loop);
    case WM_MOUSEWHEEL:
        return WheelEvent(pointOf(message.lParam), wheelDelta(message.wParam), heldButtons(message.wParam & 0xFFFF),
                          mouseModifiers(message.wParam & 0xFFFF, loop));
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const EventType type = message.message == WM_KEYDOWN ? EventType::KeyDown
            : message.message == WM_KEYUP                    ? EventType::KeyUp
            : message.message == WM_SYSKEYDOWN               ? EventType::SysKeyDown
                                                             : EventType::SysKeyUp;
        // Bit 30: the key was already down.
        const bool repeat = (message.lParam & (LParam {1} << 30)) != 0;
        return KeyEvent(type, static_cast<Key>(message.wParam), keyModifiers(loop), repeat);
    }
    case WM_CHAR:
        return CharEvent(EventType::Char, static_cast<int>(message.wParam));
    case WM_SYSCHAR:
        return CharEvent(EventType::SysChar, static_cast<int>(message.wParam));
    case WM_IME_COMPOSITION:
        if ((message.lParam & GCS_RESULTSTR) != 0) {
            return TextEvent(message.text);
        }
        if ((message.lParam & GCS_COMPSTR) != 0) {
            return CompositionEvent(message.text, static_cast<int>(message.wParam & 0xFFFF),
                                    static_cast<int>((message.wParam >> 16) & 0xFFFF));
        }
        return WindowRequest {};
    case WM_CLOSE:
        return request(WindowRequestKind::Close);
    case WM_DESTROY:
        return request(WindowRequestKind::Destroy);
    case WM_COMMAND: {
        WindowRequest result = request(WindowRequestKind::Command);
        result.command = static_cast<int>(message.wParam & 0xFFFF);
        return result;
    }
    case WM_SYSCOMMAND:
        switch (message.wParam & 0xFFF0) {
        case SC_MINIMIZE:
            return request(WindowRequestKind::Minimise);
        case SC_MAXIMIZE:
            return request(WindowRequestKind::Maximise);
        case SC_RESTORE:
            return request(WindowRequestKind::Restore);
        case SC_CLOSE:
            return request(WindowRequestKind::Close);
        default:
            return WindowRequest {};
        }
    case trayMessage: {
        WindowRequest result = request(WindowRequestKind::TrayNotification);
        result.trayEvent = trayMouseEvent(message.lParam);
        return result;
    }
    case WM_ACTIVATE:
        return request(message.wParam == WA_INACTIVE ? WindowRequestKind::Deactivate : WindowRequestKind::Activate);
    case WM_SIZE: {
        WindowRequest result = request(WindowRequestKind::Size);
        result.size = {pointX(message.lParam), pointY(message.lParam)};
        result.minimised = message.wParam == SIZE_MINIMIZED;
        result.maximised = message.wParam == SIZE_MAXIMIZED;
        return result;
    }
    case WM_MOVE: {
        WindowRequest result = request(WindowRequestKind::Move);
        result.position = pointOf(message.lParam);
        return result;
    }
    case WM_MOUSELEAVE:
        return request(WindowRequestKind::PointerLeft);
    default:
        return WindowRequest {};
    }
}

Message encodeWindowRequest(WindowId window, const WindowRequest& request)
{
    Message message;
    message.window = window;
    switch (request.kind) {
    case WindowRequestKind::Close:
        message.message = WM_CLOSE;
        break;
    case WindowRequestKind::Destroy:
        message.message = WM_DESTROY;
        break;
    case WindowRequestKind::Minimise:
        message.message = WM_SYSCOMMAND;
        message.wParam = SC_MINIMIZE;
        break;
    case WindowRequestKind::Maximise:
        message.message = WM_SYSCOMMAND;
        message.wParam = SC_MAXIMIZE;
        break;
    case WindowRequestKind::Restore:
        message.message = WM_SYSCOMMAND;
        message.wParam = SC_RESTORE;
        break;
    case WindowRequestKind::Command:
        message.message = WM_COMMAND;
        message.wParam = request.command;
        break;
    case WindowRequestKind::TrayNotification:
        message.message = trayMessage;
        message.lParam = static_cast<LParam>(trayMouseMessage(request.trayEvent));
        break;
    case WindowRequestKind::Activate:
    case WindowRequestKind::Deactivate:
        message.message = WM_ACTIVATE;
        message.wParam = request.kind == WindowRequestKind::Activate ? WA_ACTIVE : WA_INACTIVE;
        break;
    case WindowRequestKind::Size:
        message.message = WM_SIZE;
        message.wParam = request.minimised ? SIZE_MINIMIZED : request.maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
        message.lParam = makePointParam(request.size.width, request.size.height);
        break;
    case WindowRequestKind::Move:
        message.message = WM_MOVE;
        message.lParam = makePointParam(request.position.x, request.position.y);
        break;
    case WindowRequestKind::PointerLeft:
        message.message = WM_MOUSELEAVE;
        break;
    case WindowRequestKind::Other:
        break;
    }
    return message;
}

static_assert(trayNotificationId == trayMessage);

}  // namespace quorvo::ui
