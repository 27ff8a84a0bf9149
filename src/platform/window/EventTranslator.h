#pragma once

// The one place where SDL events become window events. Private to the
// platform library (it includes SDL).

#include "platform/window/WindowEvent.h"

#include <SDL.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace quorvo::platform {

// The key of an SDL key, or Key::None when the framework has none for it.
[[nodiscard]] Key keyFromSdl(SDL_Keycode key);
// The reverse, for synthetic input; SDLK_UNKNOWN when there is none.
[[nodiscard]] SDL_Keycode sdlKeyFromKey(Key key);

// An event and the window it is for.
struct AddressedEvent {
    WindowId window;
    WindowEvent event;
};

class EventTranslator {
public:
    // Our window for an SDL window id; empty when the window is not ours.
    using WindowLookup = std::function<WindowId(Uint32 sdlWindowId)>;

    explicit EventTranslator(WindowLookup lookup)
        : m_lookup(std::move(lookup))
    { }

    // Appends the window events for a run of SDL events. Consecutive text-input events
    // of one window are one commit (SDL splits long input-method text).
    void translate(std::span<const SDL_Event> events, std::vector<AddressedEvent>& out);

    [[nodiscard]] bool isKeyDown(Key key) const;

    // Device pixels per logical pixel: positions and sizes in the events
    // are divided by it here, the one place system coordinates come in.
    void setScale(int scale) { m_scale = scale; }

private:
    [[nodiscard]] int logical(int device) const
    {
        return device >= 0 ? device / m_scale : -((-device + m_scale - 1) / m_scale);
    }
    [[nodiscard]] IntPoint logical(int x, int y) const { return {logical(x), logical(y)}; }

    void translateMouseMotion(const SDL_MouseMotionEvent& event, std::vector<AddressedEvent>& out);
    void translateMouseButton(const SDL_MouseButtonEvent& event, std::vector<AddressedEvent>& out);
    void translateWheel(const SDL_MouseWheelEvent& event, std::vector<AddressedEvent>& out);
    void translateKey(const SDL_KeyboardEvent& event, std::vector<AddressedEvent>& out);
    void translateText(WindowId window, std::string utf8, std::vector<AddressedEvent>& out);
    void translateComposition(Uint32 sdlWindowId, const char* utf8, int cursor, int selected,
                              std::vector<AddressedEvent>& out);
    void translateWindowEvent(const SDL_WindowEvent& event, std::span<const SDL_Event> following,
                              std::vector<AddressedEvent>& out);
    void noteModifiers(Uint16 modifiers);
    [[nodiscard]] HeldButtons heldButtons() const;
    [[nodiscard]] Modifiers modifiers() const;

    WindowLookup m_lookup;
    int m_scale = 1;
    Uint16 m_modifiers = 0;  // KMOD_* as the last key event said
    Uint32 m_buttons = 0;    // SDL_BUTTON masks as the mouse events said
    std::vector<bool> m_keysDown = std::vector<bool>(256, false);
    int m_lastMouseX = 0;
    int m_lastMouseY = 0;
    // An Alt+key press became a character with Alt: the text SDL also sends for it is dropped.
    char m_suppressText = 0;
    // The window that lost focus last, reported to the next one gaining it.
    WindowId m_lastDeactivated;
    // UTF-8 bytes of a character split across text events.
    std::string m_pendingText;
};

}  // namespace quorvo::platform
