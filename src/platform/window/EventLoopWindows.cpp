// Window creation, state, geometry, properties and presenting.

#include "platform/window/EventLoopImpl.h"
#include "platform/window/QuietWindows.h"
#include "platform/window/WindowShape.h"
#include "platform/window/X11Properties.h"

#include "runtime/Encoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvo::platform {

WindowId EventLoop::createWindow(const WindowOptions& options)
{
    Impl& impl = *m_impl;
    const int width = std::max(options.width, 1);
    const int height = std::max(options.height, 1);
    IntPoint position;
    if (options.position) {
        position = *options.position;
    } else {
        const IntRect area = workArea();
        position = {area.x + (area.width - width) / 2, area.y + (area.height - height) / 2};
    }
    position = {impl.toDevice(position.x), impl.toDevice(position.y)};
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    if (options.kind == WindowKind::Popup) {
        // Override-redirect on X11: works without a window manager.
        flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
    } else if (options.kind == WindowKind::Tooltip) {
        // Override-redirect with the tooltip window type.
        flags |= SDL_WINDOW_TOOLTIP | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
    }
    const std::string title = encoding::toUtf8(options.title.view());
    SDL_Window* sdl
        = SDL_CreateWindow(title.c_str(), position.x, position.y, impl.toDevice(width), impl.toDevice(height), flags);
    if (sdl == nullptr) {
        return {};
    }
    setX11Title(sdl, title);
    if (!impl.wantedTrayIcons.empty()) {
        // SDL selects the root window's property changes anew for every window
        // it creates, which drops the notices a starting tray sends.
        TrayIcon::watchForTrays(sdl);
    }
    auto record = std::make_unique<WindowRecord>();
    record->id = WindowId {impl.nextWindowId++};
    record->sdl.reset(sdl);
    record->kind = options.kind;
    record->owner = options.owner;
    record->backdrop = options.backdrop;
    record->translucent = options.translucent;
    SDL_GetWindowSize(sdl, &record->reportedWidth, &record->reportedHeight);
    record->reportedWidth /= impl.scale;
    record->reportedHeight /= impl.scale;
    const WindowId id = record->id;
    impl.bySdlId[SDL_GetWindowID(sdl)] = id.value;
    impl.windows[id.value] = std::move(record);
    {
        std::lock_guard lock(impl.mutex);
        impl.liveWindows.insert(id.value);
    }
    return id;
}

bool EventLoop::show(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    if (record->kind == WindowKind::Tooltip && showWithoutFocus(record->sdl.get())) {
        return true;
    }
    SDL_ShowWindow(record->sdl.get());
    return true;
}

bool EventLoop::hide(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    if (record->kind == WindowKind::Tooltip && hideWithoutWaiting(record->sdl.get())) {
        return true;
    }
    SDL_HideWindow(record->sdl.get());
    return true;
}

bool EventLoop::minimise(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    SDL_MinimizeWindow(record->sdl.get());
    return true;
}

bool EventLoop::maximise(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr || record->maximised) {
        return record != nullptr;
    }
    record->restoreBounds = m_impl->deviceBounds(*record);
    record->maximised = true;
    const IntRect area = m_impl->toDevice(workArea());
    SDL_SetWindowPosition(record->sdl.get(), area.x, area.y);
    SDL_SetWindowSize(record->sdl.get(), area.width, area.height);
    m_impl->reportDeviceSize(*record, WindowState::Maximised);
    return true;
}

bool EventLoop::restore(WindowId window)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    if ((SDL_GetWindowFlags(record->sdl.get()) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(record->sdl.get());
        return true;
    }
    if (record->maximised) {
        record->maximised = false;
        const IntRect previous = record->restoreBounds;
        SDL_SetWindowPosition(record->sdl.get(), previous.x, previous.y);
        SDL_SetWindowSize(record->sdl.get(), previous.width, previous.height);
        m_impl->reportDeviceSize(*record, WindowState::Restored);
    }
    return true;
}

bool EventLoop::isVisible(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    // A tooltip is mapped behind SDL's back: ask the X server.
    if (record->kind == WindowKind::Tooltip) {
        if (const int mapped = isMappedOnX11(record->sdl.get()); mapped >= 0) {
            return mapped == 1;
        }
    }
    return (SDL_GetWindowFlags(record->sdl.get()) & SDL_WINDOW_SHOWN) != 0;
}

bool EventLoop::isMinimised(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    return record != nullptr && (SDL_GetWindowFlags(record->sdl.get()) & SDL_WINDOW_MINIMIZED) != 0;
}

bool EventLoop::isMaximised(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    return record != nullptr && record->maximised;
}

IntRect EventLoop::bounds(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return {};
    }
    return m_impl->toLogical(m_impl->deviceBounds(*record));
}

bool EventLoop::move(WindowId window, IntPoint position)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    SDL_SetWindowPosition(record->sdl.get(), m_impl->toDevice(position.x), m_impl->toDevice(position.y));
    return true;
}

bool EventLoop::resize(WindowId window, int width, int height)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    width = std::max(width, record->minimumWidth);
    height = std::max(height, record->minimumHeight);
    SDL_SetWindowSize(record->sdl.get(), m_impl->toDevice(width), m_impl->toDevice(height));
    m_impl->reportDeviceSize(*record, record->maximised ? WindowState::Maximised : WindowState::Restored);
    return true;
}

bool EventLoop::setMinimumSize(WindowId window, int width, int height)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    record->minimumWidth = std::max(width, 1);
    record->minimumHeight = std::max(height, 1);
    return true;
}

bool EventLoop::setTitle(WindowId window, const Text& title)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    const std::string utf8 = encoding::toUtf8(title.view());
    SDL_SetWindowTitle(record->sdl.get(), utf8.c_str());
    setX11Title(record->sdl.get(), utf8);
    return true;
}

Text EventLoop::title(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return {};
    }
    return encoding::fromUtf8(SDL_GetWindowTitle(record->sdl.get()));
}

bool EventLoop::setIcon(WindowId window, const PixelView& icon)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr || !icon.valid()) {
        return false;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, icon.width, icon.height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) {
        return false;
    }
    // SDL wants straight alpha; our pixels are premultiplied.
    for (int y = 0; y < icon.height; ++y) {
        auto* target = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels)
                                                        + static_cast<std::ptrdiff_t>(y) * surface->pitch);
        const std::uint32_t* source = icon.row(y);
        for (int x = 0; x < icon.width; ++x) {
            target[x] = unpremultiply(source[x]);
        }
    }
    SDL_SetWindowIcon(record->sdl.get(), surface);
    SDL_FreeSurface(surface);
    record->icon = PixelBuffer(icon.width, icon.height);
    for (int y = 0; y < icon.height; ++y) {
        std::copy_n(icon.row(y), icon.width, &record->icon.at(0, y));
    }
    return true;
}

bool EventLoop::setIcons(WindowId window, std::span<const PixelView> icons)
{
    const PixelView* largest = nullptr;
    for (const PixelView& icon : icons) {
        if (icon.valid() && (largest == nullptr || icon.width * icon.height > largest->width * largest->height)) {
            largest = &icon;
        }
    }
    if (largest == nullptr || !setIcon(window, *largest)) {
        return false;
    }
    // SDL gives the system one size; X11 desktops take them all.
    setX11Icons(m_impl->find(window)->sdl.get(), icons);
    return true;
}

bool EventLoop::setBackdrop(WindowId window, std::uint32_t rgb)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    record->backdrop = rgb;
    return true;
}

bool EventLoop::setTranslucent(WindowId window, bool translucent)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    record->translucent = translucent;
    return true;
}

bool EventLoop::hasCompositor() const
{
    return m_impl->compositor;
}

bool EventLoop::setOpacity(WindowId window, float opacity)
{
    WindowRecord* record = m_impl->find(window);
    return record != nullptr && SDL_SetWindowOpacity(record->sdl.get(), std::clamp(opacity, 0.0f, 1.0f)) == 0;
}

bool EventLoop::setAlwaysOnTop(WindowId window, bool onTop)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    SDL_SetWindowAlwaysOnTop(record->sdl.get(), onTop ? SDL_TRUE : SDL_FALSE);
    return true;
}

bool EventLoop::setShape(WindowId window, std::optional<Shape> shape)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    if (!shape) {
        return applyWindowShape(record->sdl.get(), {}, true);
    }
    return applyWindowShape(record->sdl.get(),
                            roundedRectangleRows(m_impl->toDevice(shape->area), m_impl->toDevice(shape->ellipse)),
                            false);
}

bool EventLoop::setProperty(WindowId window, std::string_view name, std::intptr_t value)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    record->properties.insert_or_assign(std::string(name), value);
    return true;
}

std::optional<std::intptr_t> EventLoop::property(WindowId window, std::string_view name) const
{
    const WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return std::nullopt;
    }
    const auto it = record->properties.find(name);
    if (it == record->properties.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool EventLoop::removeProperty(WindowId window, std::string_view name)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return false;
    }
    const auto it = record->properties.find(name);
    if (it == record->properties.end()) {
        return false;
    }
    record->properties.erase(it);
    return true;
}

std::uint32_t EventLoop::systemWindowId(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    return record == nullptr ? 0 : SDL_GetWindowID(record->sdl.get());
}

// ---------------------------------------------------------------- presenting

bool EventLoop::present(WindowId window, const PixelView& image)
{
    const int scale = m_impl->scale;
    return present(window, image,
                   IntRect {0, 0, (image.width + scale - 1) / scale, (image.height + scale - 1) / scale});
}

bool EventLoop::present(WindowId window, const PixelView& image, const IntRect& logicalArea)
{
    WindowRecord* record = m_impl->find(window);
    if (record == nullptr || !image.valid()) {
        return false;
    }
    const IntRect area = m_impl->toDevice(logicalArea);
    SDL_Surface* surface = SDL_GetWindowSurface(record->sdl.get());
    if (surface == nullptr) {
        return false;
    }
    const IntRect target = area.intersected(IntRect {0, 0, surface->w, surface->h})
                               .intersected(IntRect {0, 0, image.width, image.height});
    if (target.empty()) {
        return true;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        return false;
    }
    const std::uint32_t backdrop = record->backdrop;
    const Uint32 format = surface->format->format;
    bool converted = true;
    const bool sameLayout = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    if (sameLayout && record->translucent && m_impl->compositor) {
        // A 32-bit visual under a compositor: premultiplied pixels are what it expects.
        for (int y = target.y; y < target.bottom(); ++y) {
            auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch;
            std::memcpy(row + static_cast<std::ptrdiff_t>(target.x) * 4, image.row(y) + target.x,
                        static_cast<std::size_t>(target.width) * 4);
        }
    } else if (sameLayout) {
        // The window surface has cairo's byte layout: compose straight into it.
        for (int y = target.y; y < target.bottom(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels)
                                                         + static_cast<std::ptrdiff_t>(y) * surface->pitch);
            composeRowOverOpaque(image.row(y) + target.x, row + target.x, target.width, backdrop);
        }
    } else {
        std::vector<std::uint32_t> composed(static_cast<std::size_t>(target.width)
                                            * static_cast<std::size_t>(target.height));
        for (int y = 0; y < target.height; ++y) {
            composeRowOverOpaque(image.row(target.y + y) + target.x,
                                 composed.data() + static_cast<std::ptrdiff_t>(y) * target.width, target.width,
                                 backdrop);
        }
        auto* destination = static_cast<std::uint8_t*>(surface->pixels)
            + static_cast<std::ptrdiff_t>(target.y) * surface->pitch
            + static_cast<std::ptrdiff_t>(target.x) * surface->format->BytesPerPixel;
        converted = SDL_ConvertPixels(target.width, target.height, SDL_PIXELFORMAT_ARGB8888, composed.data(),
                                      target.width * 4, format, destination, surface->pitch)
            == 0;
    }
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    const SDL_Rect rect {target.x, target.y, target.width, target.height};
    const bool shown = SDL_UpdateWindowSurfaceRects(record->sdl.get(), &rect, 1) == 0;
    record->presented = true;
    return converted && shown;
}

std::optional<PixelBuffer> EventLoop::surfaceSnapshot(WindowId window) const
{
    const WindowRecord* record = m_impl->find(window);
    if (record == nullptr) {
        return std::nullopt;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(record->sdl.get());
    if (surface == nullptr) {
        return std::nullopt;
    }
    PixelBuffer snapshot(surface->w, surface->h);
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        return std::nullopt;
    }
    const bool ok = SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                                      SDL_PIXELFORMAT_ARGB8888, snapshot.data(), snapshot.stride())
        == 0;
    if (SDL_MUSTLOCK(surface)) {
        SDL_UnlockSurface(surface);
    }
    if (!ok) {
        return std::nullopt;
    }
    if (record->translucent && m_impl->compositor) {
        return snapshot;  // the alpha is real here
    }
    // XRGB surfaces leave the unused byte undefined: the picture is opaque.
    for (int y = 0; y < snapshot.height(); ++y) {
        for (int x = 0; x < snapshot.width(); ++x) {
            snapshot.at(x, y) |= 0xFF000000u;
        }
    }
    return snapshot;
}

}  // namespace quorvo::platform
