// Input state and system services: focus, capture, cursors, dragging,
// clipboard, input method position, work area.

#include "platform/window/EventLoopImpl.h"
#include "platform/window/GlobalPointer.h"

#include "runtime/Encoding.h"
#include "runtime/Text.h"

#include <algorithm>

namespace quorvo::platform {

namespace {

SDL_SystemCursor toSdl(SystemCursor cursor)
{
    switch (cursor) {
    case SystemCursor::Arrow:
        return SDL_SYSTEM_CURSOR_ARROW;
    case SystemCursor::IBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case SystemCursor::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    case SystemCursor::Hand:
        return SDL_SYSTEM_CURSOR_HAND;
    case SystemCursor::SizeWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case SystemCursor::SizeNS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case SystemCursor::SizeNWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case SystemCursor::SizeNESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case SystemCursor::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case SystemCursor::No:
        return SDL_SYSTEM_CURSOR_NO;
    }
    return SDL_SYSTEM_CURSOR_ARROW;
}

}  // namespace

std::optional<SystemCursor> systemCursorFromId(int id)
{
    switch (id) {
    case 0x7F00:
        return SystemCursor::Arrow;
    case 0x7F01:
        return SystemCursor::IBeam;
    case 0x7F02:
        return SystemCursor::Wait;
    case 0x7F82:
        return SystemCursor::SizeNWSE;
    case 0x7F83:
        return SystemCursor::SizeNESW;
    case 0x7F84:
        return SystemCursor::SizeWE;
    case 0x7F85:
        return SystemCursor::SizeNS;
    case 0x7F86:
        return SystemCursor::SizeAll;
    case 0x7F88:
        return SystemCursor::No;
    case 0x7F89:
        return SystemCursor::Hand;
    default:
        return std::nullopt;
    }
}

bool EventLoop::setFocus(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    SDL_RaiseWindow(record->sdl.get());
    // Needed where no window manager hands focus around (override-redirect
    // popups keep it otherwise); unsupported drivers just refuse.
    SDL_SetWindowInputFocus(record->sdl.get());
    return true;
}

WindowId EventLoop::focusedWindow() const
{
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus == nullptr ? WindowId {} : m_impl->lookupSdl(SDL_GetWindowID(focus));
}

bool EventLoop::setCapture(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    if (m_impl->capture && m_impl->capture != window) {
        releaseCapture();
    }
    record->leavePending = false;
    m_impl->capture = window;
    // Not every driver can capture (the dummy driver cannot); the window
    // still counts as capturing for the framework.
    SDL_CaptureMouse(SDL_TRUE);
    return true;
}

void EventLoop::releaseCapture()
{
    const WindowId released = m_impl->capture;
    if (!released) {
        return;
    }
    m_impl->capture = {};
    SDL_CaptureMouse(SDL_FALSE);
    if (WindowRecord* record = m_impl->find(released); record != nullptr && record->leavePending) {
        record->leavePending = false;
        if (SDL_GetMouseFocus() != record->sdl.get()) {
            QueueItem item;
            item.kind = ItemKind::Input;
            item.window = released;
            item.event = MouseLeft {};
            m_impl->enqueue(std::move(item));
        }
    }
}

WindowId EventLoop::captureWindow() const
{
    return m_impl->capture;
}

bool EventLoop::isKeyDown(Key key) const
{
    return m_impl->translator.isKeyDown(key);
}

IntPoint EventLoop::cursorPosition() const
{
    SDL_Window* any = m_impl->windows.empty() ? nullptr : m_impl->windows.begin()->second->sdl.get();
    const IntPoint device = queryGlobalPointer(any).position;
    return {m_impl->toLogical(device.x), m_impl->toLogical(device.y)};
}

WindowId EventLoop::windowAt(IntPoint screen) const
{
    WindowId found;
    bool foundPopup = false;
    for (const auto& [value, record] : m_impl->windows) {
        const bool popup = record->kind == WindowKind::Popup;
        // The pointer passes through tooltips.
        if (record->kind == WindowKind::Tooltip) {
            continue;
        }
        if ((foundPopup && !popup) || !isVisible(record->id) || !bounds(record->id).contains(screen)) {
            continue;
        }
        found = record->id;  // ids grow with creation: later windows win
        foundPopup = popup;
    }
    return found;
}

void EventLoop::setCursor(SystemCursor cursor)
{
    const auto index = static_cast<std::size_t>(cursor);
    if (index >= m_impl->cursors.size()) {
        return;
    }
    if (!m_impl->cursorTried[index]) {
        m_impl->cursorTried[index] = true;
        m_impl->cursors[index].reset(SDL_CreateSystemCursor(toSdl(cursor)));
    }
    // A driver without system cursors (dummy) gives none: keep what is shown.
    if (SDL_Cursor* handle = m_impl->cursors[index].get()) {
        SDL_SetCursor(handle);
    }
}

// ---------------------------------------------------------------- dragging

bool EventLoop::beginDrag(WindowId window)
{
    return beginResize(window, static_cast<ResizeZone>(0));
}

bool EventLoop::beginResize(WindowId window, ResizeZone zone)
{
    if (m_impl->find(window) == nullptr) {
        return false;
    }
    DragState state;
    state.window = window;
    state.zone = static_cast<int>(zone);
    state.startPointer = queryGlobalPointer(m_impl->find(window)->sdl.get()).position;
    state.startBounds = m_impl->deviceBounds(*m_impl->find(window));
    m_impl->drag = state;
    return true;
}

bool EventLoop::isDragging() const
{
    return m_impl->drag.has_value();
}

// Window-manager dragging does not work without a window manager (and
// SDL drops motion events while the window follows the pointer), so the
// window is moved from the global pointer position while the button is held.
void EventLoop::Impl::updateDrag()
{
    if (!drag) {
        return;
    }
    WindowRecord* record = find(drag->window);
    if (record == nullptr) {
        drag.reset();
        return;
    }
    const GlobalPointer global = queryGlobalPointer(record->sdl.get());
    if (!global.leftDown) {
        drag.reset();
        return;
    }
    const IntPoint pointer = global.position;
    const int dx = pointer.x - drag->startPointer.x;
    const int dy = pointer.y - drag->startPointer.y;
    const IntRect start = drag->startBounds;
    if (drag->zone == 0) {
        SDL_SetWindowPosition(record->sdl.get(), start.x + dx, start.y + dy);
        return;
    }
    const auto zone = static_cast<ResizeZone>(drag->zone);
    const int minimumWidth = toDevice(record->minimumWidth);
    const int minimumHeight = toDevice(record->minimumHeight);
    int left = start.x;
    int top = start.y;
    int right = start.right();
    int bottom = start.bottom();
    if (zone == ResizeZone::Left || zone == ResizeZone::TopLeft || zone == ResizeZone::BottomLeft) {
        left = std::min(start.x + dx, right - minimumWidth);
    }
    if (zone == ResizeZone::Right || zone == ResizeZone::TopRight || zone == ResizeZone::BottomRight) {
        right = std::max(start.right() + dx, left + minimumWidth);
    }
    if (zone == ResizeZone::Top || zone == ResizeZone::TopLeft || zone == ResizeZone::TopRight) {
        top = std::min(start.y + dy, bottom - minimumHeight);
    }
    if (zone == ResizeZone::Bottom || zone == ResizeZone::BottomLeft || zone == ResizeZone::BottomRight) {
        bottom = std::max(start.bottom() + dy, top + minimumHeight);
    }
    SDL_SetWindowPosition(record->sdl.get(), left, top);
    SDL_SetWindowSize(record->sdl.get(), right - left, bottom - top);
    reportDeviceSize(*record, record->maximised ? WindowState::Maximised : WindowState::Restored);
}

// ---------------------------------------------------------------- services

Text EventLoop::clipboardText() const
{
    char* raw = SDL_GetClipboardText();
    const std::string utf8 = raw != nullptr ? raw : "";
    SDL_free(raw);
    // Program text keeps Windows line ends; the desktop uses "\n". Replaced in
    // program text, whose character stepping never splits a line end.
    const Text text = encoding::fromUtf8(utf8);
    return text::replaceAll(text::replaceAll(text.view(), "\r\n", "\n").view(), "\n", "\r\n");
}

bool EventLoop::setClipboardText(const Text& text)
{
    const std::string utf8 = encoding::toUtf8(text::replaceAll(text.view(), "\r\n", "\n").view());
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool EventLoop::setTextInputRect(WindowId window, const IntRect& caret)
{
    if (m_impl->find(window) == nullptr) {
        return false;
    }
    const IntRect device
        = m_impl->toDevice(IntRect {caret.x, caret.y, std::max(caret.width, 1), std::max(caret.height, 1)});
    SDL_Rect rect {device.x, device.y, device.width, device.height};
    SDL_SetTextInputRect(&rect);
    return true;
}

void EventLoop::setTextInputActive(bool active)
{
    if (active == (SDL_IsTextInputActive() == SDL_TRUE)) {
        return;
    }
    if (active) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

bool EventLoop::isTextInputActive() const
{
    return SDL_IsTextInputActive() == SDL_TRUE;
}

IntRect EventLoop::workArea() const
{
    SDL_Rect area {};
    if (SDL_GetDisplayUsableBounds(0, &area) != 0 && SDL_GetDisplayBounds(0, &area) != 0) {
        return m_impl->toLogical(IntRect {0, 0, 1024, 768});
    }
    return m_impl->toLogical(IntRect {area.x, area.y, area.w, area.h});
}

}  // namespace quorvo::platform
