#include "platform/window/EventTranslator.h"

#include "runtime/Encoding.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quorvo::platform {

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    Key key;
};

constexpr std::array keyTable {
    KeyPair {SDLK_BACKSPACE, Key::Backspace},
    KeyPair {SDLK_TAB, Key::Tab},
    KeyPair {SDLK_RETURN, Key::Return},
    KeyPair {SDLK_KP_ENTER, Key::Return},
    KeyPair {SDLK_LSHIFT, Key::Shift},
    KeyPair {SDLK_RSHIFT, Key::Shift},
    KeyPair {SDLK_LCTRL, Key::Control},
    KeyPair {SDLK_RCTRL, Key::Control},
    KeyPair {SDLK_LALT, Key::Alt},
    KeyPair {SDLK_RALT, Key::Alt},
    KeyPair {SDLK_PAUSE, Key::Pause},
    KeyPair {SDLK_CAPSLOCK, Key::CapsLock},
    KeyPair {SDLK_ESCAPE, Key::Escape},
    KeyPair {SDLK_SPACE, Key::Space},
    KeyPair {SDLK_PAGEUP, Key::PageUp},
    KeyPair {SDLK_PAGEDOWN, Key::PageDown},
    KeyPair {SDLK_END, Key::End},
    KeyPair {SDLK_HOME, Key::Home},
    KeyPair {SDLK_LEFT, Key::Left},
    KeyPair {SDLK_UP, Key::Up},
    KeyPair {SDLK_RIGHT, Key::Right},
    KeyPair {SDLK_DOWN, Key::Down},
    KeyPair {SDLK_INSERT, Key::Insert},
    KeyPair {SDLK_DELETE, Key::Delete},
    KeyPair {SDLK_KP_MULTIPLY, Key::Multiply},
    KeyPair {SDLK_KP_PLUS, Key::Add},
    KeyPair {SDLK_KP_MINUS, Key::Subtract},
    KeyPair {SDLK_KP_PERIOD, Key::Decimal},
    KeyPair {SDLK_KP_DIVIDE, Key::Divide},
    KeyPair {SDLK_SEMICOLON, Key::Semicolon},
    KeyPair {SDLK_EQUALS, Key::Equals},
    KeyPair {SDLK_COMMA, Key::Comma},
    KeyPair {SDLK_MINUS, Key::Minus},
    KeyPair {SDLK_PERIOD, Key::Period},
    KeyPair {SDLK_SLASH, Key::Slash},
    KeyPair {SDLK_BACKQUOTE, Key::Backquote},
    KeyPair {SDLK_LEFTBRACKET, Key::LeftBracket},
    KeyPair {SDLK_BACKSLASH, Key::Backslash},
    KeyPair {SDLK_RIGHTBRACKET, Key::RightBracket},
    KeyPair {SDLK_QUOTE, Key::Quote},
};

constexpr std::array keypadDigits {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                   SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

constexpr std::array functionKeys {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                   SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};

// Number of bytes at the end of `text` that start a UTF-8 sequence not yet complete.
std::size_t incompleteTail(std::string_view text)
{
    const std::size_t limit = std::min<std::size_t>(text.size(), 3);
    for (std::size_t back = 1; back <= limit; ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // continuation byte: keep looking for the lead
        }
        std::size_t needed = 1;
        if ((byte & 0xE0) == 0xC0) {
            needed = 2;
        } else if ((byte & 0xF0) == 0xE0) {
            needed = 3;
        } else if ((byte & 0xF8) == 0xF0) {
            needed = 4;
        }
        return needed > back ? back : 0;
    }
    return 0;
}

int code(Key key)
{
    return static_cast<int>(key);
}

}  // namespace

Key keyFromSdl(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) {
        return static_cast<Key>('A' + (key - SDLK_a));
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return static_cast<Key>(key);
    }
    for (const auto& pair : keyTable) {
        if (pair.sdl == key) {
            return pair.key;
        }
    }
    for (std::size_t i = 0; i < keypadDigits.size(); ++i) {
        if (keypadDigits[i] == key) {
            return static_cast<Key>(code(Key::Numpad0) + static_cast<int>(i));
        }
    }
    for (std::size_t i = 0; i < functionKeys.size(); ++i) {
        if (functionKeys[i] == key) {
            return static_cast<Key>(code(Key::F1) + static_cast<int>(i));
        }
    }
    return Key::None;
}

SDL_Keycode sdlKeyFromKey(Key key)
{
    const int value = code(key);
    if (value >= 'A' && value <= 'Z') {
        return static_cast<SDL_Keycode>(SDLK_a + (value - 'A'));
    }
    if (value >= '0' && value <= '9') {
        return static_cast<SDL_Keycode>(value);
    }
    for (const auto& pair : keyTable) {
        if (pair.key == key) {
            return pair.sdl;
        }
    }
    if (value >= code(Key::Numpad0) && value < code(Key::Numpad0) + 10) {
        return keypadDigits[static_cast<std::size_t>(value - code(Key::Numpad0))];
    }
    if (value >= code(Key::F1) && value <= code(Key::F12)) {
        return functionKeys[static_cast<std::size_t>(value - code(Key::F1))];
    }
    return SDLK_UNKNOWN;
}

bool EventTranslator::isKeyDown(Key key) const
{
    switch (key) {
    case Key::Shift:
        return (m_modifiers & KMOD_SHIFT) != 0;
    case Key::Control:
        return (m_modifiers & KMOD_CTRL) != 0;
    case Key::Alt:
        return (m_modifiers & KMOD_ALT) != 0;
    default:
        return code(key) > 0 && code(key) < static_cast<int>(m_keysDown.size())
            && m_keysDown[static_cast<std::size_t>(code(key))];
    }
}

void EventTranslator::noteModifiers(Uint16 modifiers)
{
    m_modifiers = modifiers;
}

HeldButtons EventTranslator::heldButtons() const
{
    return {(m_buttons & SDL_BUTTON_LMASK) != 0, (m_buttons & SDL_BUTTON_RMASK) != 0,
            (m_buttons & SDL_BUTTON_MMASK) != 0};
}

Modifiers EventTranslator::modifiers() const
{
    return {(m_modifiers & KMOD_SHIFT) != 0, (m_modifiers & KMOD_CTRL) != 0, (m_modifiers & KMOD_ALT) != 0};
}

void EventTranslator::translate(std::span<const SDL_Event> events, std::vector<AddressedEvent>& out)
{
    for (std::size_t i = 0; i < events.size(); ++i) {
        const SDL_Event& event = events[i];
        switch (event.type) {
        case SDL_MOUSEMOTION:
            translateMouseMotion(event.motion, out);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            translateMouseButton(event.button, out);
            break;
        case SDL_MOUSEWHEEL:
            translateWheel(event.wheel, out);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            translateKey(event.key, out);
            break;
        case SDL_TEXTINPUT: {
            // One commit may arrive as several events: join the run.
            std::string text = event.text.text;
            const Uint32 windowId = event.text.windowID;
            while (i + 1 < events.size() && events[i + 1].type == SDL_TEXTINPUT
                   && events[i + 1].text.windowID == windowId) {
                ++i;
                text += events[i].text.text;
            }
            translateText(m_lookup(windowId), std::move(text), out);
            break;
        }
        case SDL_TEXTEDITING:
            translateComposition(event.edit.windowID, event.edit.text, event.edit.start, event.edit.length, out);
            break;
        case SDL_TEXTEDITING_EXT:
            translateComposition(event.editExt.windowID, event.editExt.text, event.editExt.start, event.editExt.length,
                                 out);
            // The long form's text is ours to free.
            SDL_free(event.editExt.text);
            break;
        case SDL_WINDOWEVENT:
            translateWindowEvent(event.window, events.subspan(i + 1), out);
            break;
        default:
            break;
        }
    }
}

void EventTranslator::translateMouseMotion(const SDL_MouseMotionEvent& event, std::vector<AddressedEvent>& out)
{
    const WindowId window = m_lookup(event.windowID);
    m_buttons = event.state;
    m_lastMouseX = event.x;
    m_lastMouseY = event.y;
    if (!window) {
        return;
    }
    out.push_back({window, MouseMoved {logical(event.x, event.y), heldButtons(), modifiers()}});
}

void EventTranslator::translateMouseButton(const SDL_MouseButtonEvent& event, std::vector<AddressedEvent>& out)
{
    const bool down = event.state == SDL_PRESSED;
    const Uint32 mask = SDL_BUTTON(event.button);
    m_buttons = down ? (m_buttons | mask) : (m_buttons & ~mask);
    m_lastMouseX = event.x;
    m_lastMouseY = event.y;
    const WindowId window = m_lookup(event.windowID);
    if (!window) {
        return;
    }
    MouseButton button = MouseButton::Left;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        break;
    case SDL_BUTTON_RIGHT:
        button = MouseButton::Right;
        break;
    case SDL_BUTTON_MIDDLE:
        button = MouseButton::Middle;
        break;
    default:
        return;
    }
    const IntPoint point = logical(event.x, event.y);
    if (down) {
        out.push_back(
            {window, MousePressed {button, point, heldButtons(), modifiers(), std::max<int>(event.clicks, 1)}});
    } else {
        out.push_back({window, MouseReleased {button, point, heldButtons(), modifiers()}});
    }
}

void EventTranslator::translateWheel(const SDL_MouseWheelEvent& event, std::vector<AddressedEvent>& out)
{
    const WindowId window = m_lookup(event.windowID);
    int notches = event.y;
    if (event.direction == SDL_MOUSEWHEEL_FLIPPED) {
        notches = -notches;
    }
    if (!window || notches == 0) {
        return;
    }
    int left = 0;
    int top = 0;
    if (SDL_Window* sdlWindow = SDL_GetWindowFromID(event.windowID)) {
        SDL_GetWindowPosition(sdlWindow, &left, &top);
    }
    // 120 per notch, within the classic wheel delta's 16 bits.
    const int delta = std::clamp(notches * 120, -32768, 32767);
    out.push_back(
        {window, WheelTurned {delta, logical(left + m_lastMouseX, top + m_lastMouseY), heldButtons(), modifiers()}});
}

void EventTranslator::translateKey(const SDL_KeyboardEvent& event, std::vector<AddressedEvent>& out)
{
    noteModifiers(event.keysym.mod);
    const bool down = event.state == SDL_PRESSED;
    const Key key = keyFromSdl(event.keysym.sym);
    if (code(key) > 0 && code(key) < static_cast<int>(m_keysDown.size())) {
        m_keysDown[static_cast<std::size_t>(code(key))] = down;
    }
    const WindowId window = m_lookup(event.windowID);
    if (down) {
        m_suppressText = 0;
    }
    if (!window || key == Key::None) {
        return;
    }
    const bool repeat = event.repeat != 0;
    if (!down) {
        out.push_back({window, KeyReleased {key, modifiers()}});
        return;
    }
    out.push_back({window, KeyPressed {key, modifiers(), repeat}});
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    const bool shift = (event.keysym.mod & KMOD_SHIFT) != 0;
    const int value = code(key);
    // Alt without Ctrl types mnemonics; Ctrl+Alt is AltGr on many layouts.
    if (alt && !ctrl) {
        char character = 0;
        if (value >= 'A' && value <= 'Z') {
            character = static_cast<char>(shift ? value : value - 'A' + 'a');
        } else if (value >= '0' && value <= '9') {
            character = static_cast<char>(value);
        }
        if (character != 0) {
            out.push_back({window, CharacterTyped {character, true}});
            m_suppressText = character;
        }
        return;
    }
    // Control codes, which text input never carries but the framework expects as characters.
    char control = 0;
    switch (key) {
    case Key::Backspace:
        control = 8;
        break;
    case Key::Tab:
        control = 9;
        break;
    case Key::Return:
        control = 13;
        break;
    case Key::Escape:
        control = 27;
        break;
    default:
        if (ctrl && !alt && value >= 'A' && value <= 'Z') {
            control = static_cast<char>(value - 'A' + 1);
        }
        break;
    }
    if (control != 0) {
        out.push_back({window, CharacterTyped {control, false}});
        return;
    }
    // Text input (and with it the input method) runs only while an edit box
    // has the focus; elsewhere the keys still type their plain characters
    // (a menu's mnemonic letters), as the system's key translation would.
    if (!SDL_IsTextInputActive() && !ctrl && !alt) {
        const SDL_Keycode sym = event.keysym.sym;
        if (sym >= SDLK_SPACE && sym < 0x7F) {
            char character = static_cast<char>(sym);
            if (shift && character >= 'a' && character <= 'z') {
                character = static_cast<char>(character - 'a' + 'A');
            }
            out.push_back({window, CharacterTyped {character, false}});
        }
    }
}

void EventTranslator::translateText(WindowId window, std::string utf8, std::vector<AddressedEvent>& out)
{
    if (!m_pendingText.empty()) {
        std::string joined = std::move(m_pendingText);
        joined += utf8;
        utf8 = std::move(joined);
        m_pendingText.clear();
    }
    const std::size_t tail = incompleteTail(utf8);
    if (tail > 0) {
        const std::size_t keep = utf8.size() - tail;
        m_pendingText.assign(utf8.data() + keep, tail);
        utf8.erase(keep);
    }
    if (m_suppressText != 0 && utf8.size() == 1
        && (utf8[0] == m_suppressText || SDL_tolower(utf8[0]) == SDL_tolower(m_suppressText))) {
        m_suppressText = 0;
        return;
    }
    m_suppressText = 0;
    if (!window || utf8.empty()) {
        return;
    }
    const bool ascii
        = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        for (const char c : utf8) {
            if (c >= 32 && c != 127) {
                out.push_back({window, CharacterTyped {c, false}});
            }
        }
        return;
    }
    out.push_back({window, TextCommitted {encoding::fromUtf8(utf8)}});
}

void EventTranslator::translateComposition(Uint32 sdlWindowId, const char* utf8, int cursor, int selected,
                                           std::vector<AddressedEvent>& out)
{
    const WindowId window = m_lookup(sdlWindowId);
    if (!window) {
        return;
    }
    const Text composition = encoding::fromUtf8(utf8 != nullptr ? std::string_view(utf8) : std::string_view());
    out.push_back({window, CompositionChanged {composition, std::max(cursor, 0), std::max(selected, 0)}});
}

void EventTranslator::translateWindowEvent(const SDL_WindowEvent& event, std::span<const SDL_Event> following,
                                           std::vector<AddressedEvent>& out)
{
    const WindowId window = m_lookup(event.windowID);
    if (!window) {
        return;
    }
    SDL_Window* sdlWindow = SDL_GetWindowFromID(event.windowID);
    const auto currentSize = [&](WindowState state) {
        int width = 0;
        int height = 0;
        if (sdlWindow != nullptr) {
            SDL_GetWindowSize(sdlWindow, &width, &height);
        }
        return Resized {width / m_scale, height / m_scale, state};
    };
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
        out.push_back({window, Moved {logical(event.data1, event.data2)}});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        const bool maximised = sdlWindow != nullptr && (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MAXIMIZED) != 0;
        out.push_back({window,
                       Resized {event.data1 / m_scale, event.data2 / m_scale,
                                maximised ? WindowState::Maximised : WindowState::Restored}});
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({window, Resized {0, 0, WindowState::Minimised}});
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back({window, currentSize(WindowState::Maximised)});
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({window, currentSize(WindowState::Restored)});
        break;
    case SDL_WINDOWEVENT_LEAVE:
        out.push_back({window, MouseLeft {}});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({window, ActivationChanged {true, m_lastDeactivated}});
        m_lastDeactivated = {};
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        // The window being activated, when the system already told us.
        WindowId next;
        for (const SDL_Event& later : following) {
            if (later.type == SDL_WINDOWEVENT && later.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                next = m_lookup(later.window.windowID);
                break;
            }
        }
        if (!next) {
            if (SDL_Window* focus = SDL_GetKeyboardFocus(); focus != nullptr && focus != sdlWindow) {
                next = m_lookup(SDL_GetWindowID(focus));
            }
        }
        m_lastDeactivated = window;
        out.push_back({window, ActivationChanged {false, next}});
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({window, CloseRequested {}});
        break;
    default:
        break;
    }
}

}  // namespace quorvo::platform
