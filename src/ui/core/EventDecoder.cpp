#include "ui/core/EventDecoder.h"

namespace quorvo::ui {

namespace {

namespace pf = quorvo::platform;

unsigned heldButtons(pf::HeldButtons held)
{
    return (held.left ? buttons::Left : 0u) | (held.right ? buttons::Right : 0u) | (held.middle ? buttons::Middle : 0u);
}

Modifiers modifiersOf(pf::Modifiers modifiers)
{
    return {modifiers.shift, modifiers.control, modifiers.alt};
}

WindowRequest request(WindowRequestKind kind)
{
    WindowRequest result;
    result.kind = kind;
    return result;
}

// Alt without Ctrl makes system keys (and Alt itself is one); Ctrl+Alt is AltGr on many layouts.
bool isSystemKey(pf::Key key, pf::Modifiers modifiers)
{
    return (modifiers.alt && !modifiers.control) || key == pf::Key::Alt;
}

struct Decoder {
    DecodedEvent operator()(const pf::MouseMoved& event) const
    {
        return MouseEvent(EventType::MouseMove, event.position, MouseButton::None, heldButtons(event.held),
                          modifiersOf(event.modifiers));
    }
    DecodedEvent operator()(const pf::MousePressed& event) const
    {
        switch (event.button) {
        case pf::MouseButton::Left:
            // The framework counts a series in pairs: every second press is a double click.
            return MouseEvent(EventType::MouseDown, event.position, MouseButton::Left, heldButtons(event.held),
                              modifiersOf(event.modifiers), event.isDoubleClick() ? 2 : 1);
        case pf::MouseButton::Right:
            return MouseEvent(EventType::RightMouseDown, event.position, MouseButton::Right, heldButtons(event.held),
                              modifiersOf(event.modifiers));
        case pf::MouseButton::Middle:
            break;
        }
        return WindowRequest {};
    }
    DecodedEvent operator()(const pf::MouseReleased& event) const
    {
        switch (event.button) {
        case pf::MouseButton::Left:
            return MouseEvent(EventType::MouseUp, event.position, MouseButton::Left, heldButtons(event.held),
                              modifiersOf(event.modifiers));
        case pf::MouseButton::Right:
            return MouseEvent(EventType::RightMouseUp, event.position, MouseButton::Right, heldButtons(event.held),
                              modifiersOf(event.modifiers));
        case pf::MouseButton::Middle:
            break;
        }
        return WindowRequest {};
    }
    DecodedEvent operator()(const pf::WheelTurned& event) const
    {
        return WheelEvent(event.screenPosition, event.delta, heldButtons(event.held), modifiersOf(event.modifiers));
    }
    DecodedEvent operator()(const pf::KeyPressed& event) const
    {
        const EventType type = isSystemKey(event.key, event.modifiers) ? EventType::SysKeyDown : EventType::KeyDown;
        return KeyEvent(type, event.key, modifiersOf(event.modifiers), event.repeat);
    }
    DecodedEvent operator()(const pf::KeyReleased& event) const
    {
        const EventType type = isSystemKey(event.key, event.modifiers) ? EventType::SysKeyUp : EventType::KeyUp;
        return KeyEvent(type, event.key, modifiersOf(event.modifiers));
    }
    DecodedEvent operator()(const pf::CharacterTyped& event) const
    {
        return CharEvent(event.withAlt ? EventType::SysChar : EventType::Char,
                         static_cast<int>(static_cast<unsigned char>(event.character)));
    }
    DecodedEvent operator()(const pf::TextCommitted& event) const { return TextEvent(event.text); }
    DecodedEvent operator()(const pf::CompositionChanged& event) const
    {
        return CompositionEvent(event.text, event.cursor, event.selectionLength);
    }
    DecodedEvent operator()(const pf::ActivationChanged& event) const
    {
        return request(event.active ? WindowRequestKind::Activate : WindowRequestKind::Deactivate);
    }
    DecodedEvent operator()(const pf::Resized& event) const
    {
        WindowRequest result = request(WindowRequestKind::Size);
        result.size = {event.width, event.height};
        result.minimised = event.state == pf::WindowState::Minimised;
        result.maximised = event.state == pf::WindowState::Maximised;
        return result;
    }
    DecodedEvent operator()(const pf::Moved& event) const
    {
        WindowRequest result = request(WindowRequestKind::Move);
        result.position = event.position;
        return result;
    }
    DecodedEvent operator()(const pf::CloseRequested&) const { return request(WindowRequestKind::Close); }
    DecodedEvent operator()(const pf::Destroyed&) const { return request(WindowRequestKind::Destroy); }
    DecodedEvent operator()(const pf::MouseLeft&) const { return request(WindowRequestKind::PointerLeft); }
    // The host's timers run callbacks; a bare firing means nothing to it.
    DecodedEvent operator()(const pf::TimerFired&) const { return WindowRequest {}; }
    DecodedEvent operator()(const pf::TrayIconReleased& event) const
    {
        WindowRequest result = request(WindowRequestKind::TrayNotification);
        result.trayEvent = event.button == pf::MouseButton::Right ? EventType::RightMouseUp : EventType::MouseUp;
        return result;
    }
};

}  // namespace

DecodedEvent decodeEvent(const platform::WindowEvent& event)
{
    return std::visit(Decoder {}, event);
}

}  // namespace quorvo::ui
