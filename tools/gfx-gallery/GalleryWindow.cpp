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
    loop->setWindowProcedure(window, [&](const Message& message) -> LResult {
        switch (message.message) {
        case WM_DESTROY:
            loop->quit(0);
            return 0;
        case WM_KEYDOWN:
            if (message.wParam == VK_ESCAPE) {
                loop->destroyWindow(window);
            }
            return 0;
        case WM_LBUTTONDOWN:
            // Borderless: let the pointer move it.
            loop->beginDrag(window);
            return 0;
        case WM_TIMER:
            if (message.wParam == closeTimer) {
                loop->destroyWindow(window);
            }
            return 0;
        default:
            return loop->defaultProcedure(message);
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
