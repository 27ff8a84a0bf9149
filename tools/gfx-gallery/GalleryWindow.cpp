#include "GalleryWindow.h"

#include "Gallery.h"
#include "platform/window/EventLoop.h"

namespace quorvo::gallery {

int showInWindow(const gfx::Surface& picture, std::optional<std::chrono::milliseconds> closeAfter, std::string& error)
{
    using namespace quorvo::platform;
    auto loop = EventLoop::create(&error);
    if (!loop) {
        return 1;
    }
    WindowOptions options;
    options.title = "gfx-gallery";
    options.width = sheetWidth;
    options.height = sheetHeight;
    options.backdrop = 0xFFFFFF;
    const WindowId window = loop->createWindow(options);
    if (!window) {
        error = "the window system refused the window";
        return 1;
    }
    constexpr TimerId closeTimer = 1;
    const PixelView pixels {picture.data(), picture.width(), picture.height(), picture.stride()};
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        if (std::holds_alternative<Destroyed>(event)) {
            loop->quit(0);
        } else if (const auto* key = std::get_if<KeyPressed>(&event); key != nullptr && key->key == Key::Escape) {
            loop->destroyWindow(window);
        } else if (const auto* press = std::get_if<MousePressed>(&event);
                   press != nullptr && press->button == MouseButton::Left) {
            // Borderless: let the pointer move it.
            loop->beginDrag(window);
        } else if (const auto* timer = std::get_if<TimerFired>(&event); timer != nullptr && timer->id == closeTimer) {
            loop->destroyWindow(window);
        } else if (std::holds_alternative<CloseRequested>(event)) {
            loop->close(window);
        }
    });
    loop->show(window);
    loop->present(window, pixels);
    if (closeAfter) {
        loop->setTimer(window, closeTimer, *closeAfter);
    }
    return loop->run();
}

}  // namespace quorvo::gallery
