#include "platform/window/QuietWindows.h"

#include <SDL_syswm.h>

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#endif

namespace quorvo::platform {

#if QUORVO_HAVE_X11
namespace {

bool x11Of(SDL_Window* window, Display*& display, ::Window& xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return true;
}

}  // namespace
#endif

bool showWithoutFocus(SDL_Window* window)
{
#if QUORVO_HAVE_X11
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!x11Of(window, display, xwindow)) {
        return false;
    }
    // An empty input shape: the pointer reaches whatever lies under the tip,
    // so the tip never takes the hover (or a click) from its owner.
    int eventBase = 0;
    int errorBase = 0;
    if (XShapeQueryExtension(display, &eventBase, &errorBase) != 0) {
        XShapeCombineRectangles(display, xwindow, ShapeInput, 0, 0, nullptr, 0, ShapeSet, YXBanded);
    }
    XMapRaised(display, xwindow);
    XFlush(display);
    return true;
#else
    (void)window;
    return false;
#endif
}

bool hideWithoutWaiting(SDL_Window* window)
{
#if QUORVO_HAVE_X11
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!x11Of(window, display, xwindow)) {
        return false;
    }
    XUnmapWindow(display, xwindow);
    XFlush(display);
    return true;
#else
    (void)window;
    return false;
#endif
}

int isMappedOnX11(SDL_Window* window)
{
#if QUORVO_HAVE_X11
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (!x11Of(window, display, xwindow)) {
        return -1;
    }
    XWindowAttributes attributes {};
    if (XGetWindowAttributes(display, xwindow, &attributes) == 0) {
        return 0;
    }
    return attributes.map_state == IsViewable ? 1 : 0;
#else
    (void)window;
    return -1;
#endif
}

}  // namespace quorvo::platform
