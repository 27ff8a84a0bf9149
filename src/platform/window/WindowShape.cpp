#include "platform/window/WindowShape.h"

#include <SDL_syswm.h>

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

namespace quorvo::platform {

bool applyWindowShape(SDL_Window* window, const std::vector<IntRect>& rectangles, bool clear)
{
#if QUORVO_HAVE_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    int eventBase = 0;
    int errorBase = 0;
    if (XShapeQueryExtension(display, &eventBase, &errorBase) == 0) {
        return false;
    }
    const ::Window xwindow = info.info.x11.window;
    if (clear) {
        XShapeCombineMask(display, xwindow, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> xrects;
        xrects.reserve(rectangles.size());
        for (const IntRect& rect : rectangles) {
            xrects.push_back({static_cast<short>(rect.x), static_cast<short>(rect.y),
                              static_cast<unsigned short>(rect.width), static_cast<unsigned short>(rect.height)});
        }
        XShapeCombineRectangles(display, xwindow, ShapeBounding, 0, 0, xrects.data(), static_cast<int>(xrects.size()),
                                ShapeSet, YXBanded);
    }
    XFlush(display);
    return true;
#else
    (void)window;
    (void)rectangles;
    (void)clear;
    return false;
#endif
}

}  // namespace quorvo::platform
