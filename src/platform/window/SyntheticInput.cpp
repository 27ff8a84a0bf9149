#include "platform/window/SyntheticInput.h"

#include "platform/window/EventTranslator.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace quorvo::platform::synthetic {

namespace {

bool push(SDL_Event& event)
{
    return SDL_PushEvent(&event) == 1;
}

Uint8 sdlButton(MouseButton button)
{
    switch (button) {
    case MouseButton::Left:
        return SDL_BUTTON_LEFT;
    case MouseButton::Right:
        return SDL_BUTTON_RIGHT;
    case MouseButton::Middle:
        return SDL_BUTTON_MIDDLE;
    }
    return SDL_BUTTON_LEFT;
}

bool pushText(Uint32 windowId, std::string_view piece)
{
    SDL_Event event {};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = windowId;
    const std::size_t length = std::min(piece.size(), sizeof(event.text.text) - 1);
    std::memcpy(event.text.text, piece.data(), length);
    event.text.text[length] = '\0';
    return push(event);
}

}  // namespace

bool mouseMove(EventLoop& loop, WindowId window, int x, int y, bool leftHeld)
{
    SDL_Event event {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = loop.systemWindowId(window);
    event.motion.x = x * loop.scale();
    event.motion.y = y * loop.scale();
    event.motion.state = leftHeld ? SDL_BUTTON_LMASK : 0;
    return push(event);
}

bool mouseButton(EventLoop& loop, WindowId window, MouseButton button, bool pressed, int x, int y, int clicks)
{
    SDL_Event event {};
    event.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = loop.systemWindowId(window);
    event.button.button = sdlButton(button);
    event.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = static_cast<Uint8>(std::clamp(clicks, 1, 255));
    event.button.x = x * loop.scale();
    event.button.y = y * loop.scale();
    return push(event);
}

bool mouseWheel(EventLoop& loop, WindowId window, int notches)
{
    SDL_Event event {};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = loop.systemWindowId(window);
    event.wheel.y = notches;
    event.wheel.preciseY = static_cast<float>(notches);
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    return push(event);
}

bool key(EventLoop& loop, WindowId window, Key which, bool pressed, Modifiers modifiers, bool repeat)
{
    SDL_Event event {};
    event.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = loop.systemWindowId(window);
    event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = sdlKeyFromKey(which);
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    Uint16 mod = KMOD_NONE;
    if (modifiers.shift) {
        mod |= KMOD_LSHIFT;
    }
    if (modifiers.control) {
        mod |= KMOD_LCTRL;
    }
    if (modifiers.alt) {
        mod |= KMOD_LALT;
    }
    event.key.keysym.mod = mod;
    return event.key.keysym.sym != SDLK_UNKNOWN && push(event);
}

bool composition(EventLoop& loop, WindowId window, std::string_view utf8, int cursor, int selected)
{
    SDL_Event event {};
    event.type = SDL_TEXTEDITING;
    event.edit.windowID = loop.systemWindowId(window);
    const std::size_t length = std::min(utf8.size(), sizeof(event.edit.text) - 1);
    std::memcpy(event.edit.text, utf8.data(), length);
    event.edit.text[length] = '\0';
    event.edit.start = cursor;
    event.edit.length = selected;
    return push(event);
}

bool text(EventLoop& loop, WindowId window, std::string_view utf8)
{
    const Uint32 windowId = loop.systemWindowId(window);
    constexpr std::size_t limit = 31;
    while (!utf8.empty()) {
        std::size_t length = std::min(utf8.size(), limit);
        // Back off to a character boundary, as SDL does.
        while (length < utf8.size() && length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
            --length;
        }
        if (length == 0) {
            return false;
        }
        if (!pushText(windowId, utf8.substr(0, length))) {
            return false;
        }
        utf8.remove_prefix(length);
    }
    return true;
}

bool textPieces(EventLoop& loop, WindowId window, std::span<const std::string_view> pieces)
{
    const Uint32 windowId = loop.systemWindowId(window);
    return std::all_of(pieces.begin(), pieces.end(), [&](std::string_view piece) { return pushText(windowId, piece); });
}

bool windowEvent(EventLoop& loop, WindowId window, WindowChange change, int data1, int data2)
{
    SDL_Event event {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = loop.systemWindowId(window);
    // Sizes and positions as the system gives them: in device pixels.
    const bool geometry = change == WindowChange::SizeChanged || change == WindowChange::Moved;
    event.window.data1 = geometry ? data1 * loop.scale() : data1;
    event.window.data2 = geometry ? data2 * loop.scale() : data2;
    switch (change) {
    case WindowChange::Close:
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        break;
    case WindowChange::FocusGained:
        event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        break;
    case WindowChange::FocusLost:
        event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        break;
    case WindowChange::SizeChanged:
        event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        break;
    case WindowChange::Moved:
        event.window.event = SDL_WINDOWEVENT_MOVED;
        break;
    case WindowChange::Minimized:
        event.window.event = SDL_WINDOWEVENT_MINIMIZED;
        break;
    case WindowChange::Maximized:
        event.window.event = SDL_WINDOWEVENT_MAXIMIZED;
        break;
    case WindowChange::Restored:
        event.window.event = SDL_WINDOWEVENT_RESTORED;
        break;
    case WindowChange::Leave:
        event.window.event = SDL_WINDOWEVENT_LEAVE;
        break;
    case WindowChange::Exposed:
        event.window.event = SDL_WINDOWEVENT_EXPOSED;
        break;
    }
    return push(event);
}

}  // namespace quorvo::platform::synthetic
