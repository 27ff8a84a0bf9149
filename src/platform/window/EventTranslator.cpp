#include "platform/window/EventTranslator.h"

#include "runtime/Encoding.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quorvo::platform {

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    WParam vk;
};

constexpr std::array keyTable {
    KeyPair {SDLK_BACKSPACE, VK_BACK},
    KeyPair {SDLK_TAB, VK_TAB},
    KeyPair {SDLK_RETURN, VK_RETURN},
    KeyPair {SDLK_KP_ENTER, VK_RETURN},
    KeyPair {SDLK_LSHIFT, VK_SHIFT},
    KeyPair {SDLK_RSHIFT, VK_SHIFT},
    KeyPair {SDLK_LCTRL, VK_CONTROL},
    KeyPair {SDLK_RCTRL, VK_CONTROL},
    KeyPair {SDLK_LALT, VK_MENU},
    KeyPair {SDLK_RALT, VK_MENU},
    KeyPair {SDLK_PAUSE, VK_PAUSE},
    KeyPair {SDLK_CAPSLOCK, VK_CAPITAL},
    KeyPair {SDLK_ESCAPE, VK_ESCAPE},
    KeyPair {SDLK_SPACE, VK_SPACE},
    KeyPair {SDLK_PAGEUP, VK_PRIOR},
    KeyPair {SDLK_PAGEDOWN, VK_NEXT},
    KeyPair {SDLK_END, VK_END},
    KeyPair {SDLK_HOME, VK_HOME},
    KeyPair {SDLK_LEFT, VK_LEFT},
    KeyPair {SDLK_UP, VK_UP},
    KeyPair {SDLK_RIGHT, VK_RIGHT},
    KeyPair {SDLK_DOWN, VK_DOWN},
    KeyPair {SDLK_INSERT, VK_INSERT},
    KeyPair {SDLK_DELETE, VK_DELETE},
    KeyPair {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    KeyPair {SDLK_KP_PLUS, VK_ADD},
    KeyPair {SDLK_KP_MINUS, VK_SUBTRACT},
    KeyPair {SDLK_KP_PERIOD, VK_DECIMAL},
    KeyPair {SDLK_KP_DIVIDE, VK_DIVIDE},
    KeyPair {SDLK_SEMICOLON, VK_OEM_1},
    KeyPair {SDLK_EQUALS, VK_OEM_PLUS},
    KeyPair {SDLK_COMMA, VK_OEM_COMMA},
    KeyPair {SDLK_MINUS, VK_OEM_MINUS},
    KeyPair {SDLK_PERIOD, VK_OEM_PERIOD},
    KeyPair {SDLK_SLASH, VK_OEM_2},
    KeyPair {SDLK_BACKQUOTE, VK_OEM_3},
    KeyPair {SDLK_LEFTBRACKET, VK_OEM_4},
    KeyPair {SDLK_BACKSLASH, VK_OEM_5},
    KeyPair {SDLK_RIGHTBRACKET, VK_OEM_6},
    KeyPair {SDLK_QUOTE, VK_OEM_7},
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

LParam keyParam(bool down, bool repeat)
{
    std::uint32_t value = 1;  // repeat count
    if (repeat || !down) {
        value |= 1u << 30;
    }
    if (!down) {
        value |= 1u << 31;
    }
    return static_cast<LParam>(value);
}

}  // namespace

WParam virtualKeyFromSdl(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return key;
    }
    for (const auto& pair : keyTable) {
        if (pair.sdl == key) {
            return pair.vk;
        }
    }
    for (std::size_t i = 0; i < keypadDigits.size(); ++i) {
        if (keypadDigits[i] == key) {
            return VK_NUMPAD0 + static_cast<WParam>(i);
        }
    }
    for (std::size_t i = 0; i < functionKeys.size(); ++i) {
        if (functionKeys[i] == key) {
            return VK_F1 + static_cast<WParam>(i);
        }
    }
    return 0;
}

SDL_Keycode sdlKeyFromVirtualKey(WParam vk)
{
    if (vk >= 'A' && vk <= 'Z') {
        return static_cast<SDL_Keycode>(SDLK_a + (vk - 'A'));
    }
    if (vk >= '0' && vk <= '9') {
        return static_cast<SDL_Keycode>(vk);
    }
    for (const auto& pair : keyTable) {
        if (pair.vk == vk) {
            return pair.sdl;
        }
    }
    if (vk >= VK_NUMPAD0 && vk < VK_NUMPAD0 + 10) {
        return keypadDigits[static_cast<std::size_t>(vk - VK_NUMPAD0)];
    }
    if (vk >= VK_F1 && vk < VK_F1 + 12) {
        return functionKeys[static_cast<std::size_t>(vk - VK_F1)];
    }
    return SDLK_UNKNOWN;
}

bool EventTranslator::isKeyDown(WParam vk) const
{
    switch (vk) {
    case VK_SHIFT:
        return (m_modifiers & KMOD_SHIFT) != 0;
    case VK_CONTROL:
        return (m_modifiers & KMOD_CTRL) != 0;
    case VK_MENU:
        return (m_modifiers & KMOD_ALT) != 0;
    default:
        return vk > 0 && vk < static_cast<WParam>(m_keysDown.size()) && m_keysDown[static_cast<std::size_t>(vk)];
    }
}

void EventTranslator::noteModifiers(Uint16 modifiers)
{
    m_modifiers = modifiers;
}

WParam EventTranslator::mouseKeyState() const
{
    WParam state = 0;
    if ((m_buttons & SDL_BUTTON_LMASK) != 0) {
        state |= MK_LBUTTON;
    }
    if ((m_buttons & SDL_BUTTON_RMASK) != 0) {
        state |= MK_RBUTTON;
    }
    if ((m_buttons & SDL_BUTTON_MMASK) != 0) {
        state |= MK_MBUTTON;
    }
    if ((m_modifiers & KMOD_SHIFT) != 0) {
        state |= MK_SHIFT;
    }
    if ((m_modifiers & KMOD_CTRL) != 0) {
        state |= MK_CONTROL;
    }
    return state;
}

void EventTranslator::translate(std::span<const SDL_Event> events, std::vector<Message>& out)
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

void EventTranslator::translateMouseMotion(const SDL_MouseMotionEvent& event, std::vector<Message>& out)
{
    const WindowId window = m_lookup(event.windowID);
    m_buttons = event.state;
    m_lastMouseX = event.x;
    m_lastMouseY = event.y;
    if (!window) {
        return;
    }
    out.push_back({window, WM_MOUSEMOVE, mouseKeyState(), makePointParam(event.x, event.y), {}});
}

void EventTranslator::translateMouseButton(const SDL_MouseButtonEvent& event, std::vector<Message>& out)
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
    const LParam point = makePointParam(event.x, event.y);
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        if (down && event.clicks >= 2 && event.clicks % 2 == 0) {
            // Every second click of a series is a double click, as with the
            // classic double-click messages; the framework marks it by wParam.
            out.push_back({window, WM_LBUTTONDOWN, doubleClickMarker, point, {}});
        } else {
            out.push_back({window, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, mouseKeyState(), point, {}});
        }
        break;
    case SDL_BUTTON_RIGHT:
        out.push_back({window, down ? WM_RBUTTONDOWN : WM_RBUTTONUP, mouseKeyState(), point, {}});
        break;
    case SDL_BUTTON_MIDDLE:
        out.push_back({window, down ? WM_MBUTTONDOWN : WM_MBUTTONUP, mouseKeyState(), point, {}});
        break;
    default:
        break;
    }
}

void EventTranslator::translateWheel(const SDL_MouseWheelEvent& event, std::vector<Message>& out)
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
    const int delta = std::clamp(notches * static_cast<int>(WHEEL_DELTA), -32768, 32767);
    const WParam wParam = static_cast<WParam>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16)
                                              | static_cast<std::uint32_t>(mouseKeyState()));
    out.push_back({window, WM_MOUSEWHEEL, wParam, makePointParam(left + m_lastMouseX, top + m_lastMouseY), {}});
}

void EventTranslator::translateKey(const SDL_KeyboardEvent& event, std::vector<Message>& out)
{
    noteModifiers(event.keysym.mod);
    const bool down = event.state == SDL_PRESSED;
    const WParam vk = virtualKeyFromSdl(event.keysym.sym);
    if (vk > 0 && vk < static_cast<WParam>(m_keysDown.size())) {
        m_keysDown[static_cast<std::size_t>(vk)] = down;
    }
    const WindowId window = m_lookup(event.windowID);
    if (down) {
        m_suppressText = 0;
    }
    if (!window || vk == 0) {
        return;
    }
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    const bool shift = (event.keysym.mod & KMOD_SHIFT) != 0;
    // Alt without Ctrl makes system keys (and Alt itself is one); Ctrl+Alt is AltGr on many layouts.
    const bool system = (alt && !ctrl) || vk == VK_MENU;
    const MessageId keyMessage = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out.push_back({window, keyMessage, vk, keyParam(down, event.repeat != 0), {}});
    if (!down) {
        return;
    }
    if (system && vk != VK_MENU) {
        char character = 0;
        if (vk >= 'A' && vk <= 'Z') {
            character = static_cast<char>(shift ? vk : vk - 'A' + 'a');
        } else if (vk >= '0' && vk <= '9') {
            character = static_cast<char>(vk);
        }
        if (character != 0) {
            out.push_back({window, WM_SYSCHAR, static_cast<WParam>(character), keyParam(true, event.repeat != 0), {}});
            m_suppressText = character;
        }
        return;
    }
    // Characters that text input never carries but the framework expects as WM_CHAR.
    WParam control = 0;
    switch (vk) {
    case VK_BACK:
        control = 8;
        break;
    case VK_TAB:
        control = 9;
        break;
    case VK_RETURN:
        control = 13;
        break;
    case VK_ESCAPE:
        control = 27;
        break;
    default:
        if (ctrl && !alt && vk >= 'A' && vk <= 'Z') {
            control = vk - 'A' + 1;
        }
        break;
    }
    if (control != 0) {
        out.push_back({window, WM_CHAR, control, keyParam(true, event.repeat != 0), {}});
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
            out.push_back({window, WM_CHAR, static_cast<WParam>(character), keyParam(true, event.repeat != 0), {}});
        }
    }
}

void EventTranslator::translateText(WindowId window, std::string utf8, std::vector<Message>& out)
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
                out.push_back({window, WM_CHAR, static_cast<WParam>(c), keyParam(true, false), {}});
            }
        }
        return;
    }
    out.push_back({window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR, encoding::fromUtf8(utf8)});
}

void EventTranslator::translateComposition(Uint32 sdlWindowId, const char* utf8, int cursor, int selected,
                                           std::vector<Message>& out)
{
    const WindowId window = m_lookup(sdlWindowId);
    if (!window) {
        return;
    }
    const Text composition = encoding::fromUtf8(utf8 != nullptr ? std::string_view(utf8) : std::string_view());
    const auto word = [](int value) { return static_cast<WParam>(std::clamp(value, 0, 0xFFFF)); };
    out.push_back(
        {window, WM_IME_COMPOSITION, word(cursor) | (word(selected) << 16), GCS_COMPSTR | GCS_CURSORPOS, composition});
}

void EventTranslator::translateWindowEvent(const SDL_WindowEvent& event, std::span<const SDL_Event> following,
                                           std::vector<Message>& out)
{
    const WindowId window = m_lookup(event.windowID);
    if (!window) {
        return;
    }
    SDL_Window* sdlWindow = SDL_GetWindowFromID(event.windowID);
    const auto currentSize = [&] {
        int width = 0;
        int height = 0;
        if (sdlWindow != nullptr) {
            SDL_GetWindowSize(sdlWindow, &width, &height);
        }
        return makePointParam(width, height);
    };
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
        out.push_back({window, WM_MOVE, 0, makePointParam(event.data1, event.data2), {}});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        const bool maximised = sdlWindow != nullptr && (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MAXIMIZED) != 0;
        out.push_back({window,
                       WM_SIZE,
                       maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                       makePointParam(event.data1, event.data2),
                       {}});
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back({window, WM_SIZE, SIZE_MINIMIZED, 0, {}});
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back({window, WM_SIZE, SIZE_MAXIMIZED, currentSize(), {}});
        break;
    case SDL_WINDOWEVENT_RESTORED:
        out.push_back({window, WM_SIZE, SIZE_RESTORED, currentSize(), {}});
        break;
    case SDL_WINDOWEVENT_LEAVE:
        out.push_back({window, WM_MOUSELEAVE, 0, 0, {}});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({window, WM_ACTIVATE, WA_ACTIVE, m_lastDeactivated.asParam(), {}});
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
        out.push_back({window, WM_ACTIVATE, WA_INACTIVE, next.asParam(), {}});
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({window, WM_CLOSE, 0, 0, {}});
        break;
    default:
        break;
    }
}

}  // namespace quorvo::platform
