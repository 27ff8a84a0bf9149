#include "platform/window/Compositor.h"

#include <cstdlib>
#include <cstring>
#include <string>

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace quorvo::platform {

CompositorProbe probeCompositor()
{
#if QUORVO_HAVE_X11
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && *driver != '\0' && std::strcmp(driver, "x11") != 0) {
        return {};
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return {};
    }
    const int screen = DefaultScreen(display);
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen);
    const Atom atom = XInternAtom(display, selection.c_str(), False);
    CompositorProbe probe;
    if (XGetSelectionOwner(display, atom) != None) {
        XVisualInfo info {};
        if (XMatchVisualInfo(display, screen, 32, TrueColor, &info) != 0) {
            probe.present = true;
            probe.argbVisual = info.visualid;
        }
    }
    XCloseDisplay(display);
    return probe;
#else
    return {};
#endif
}

}  // namespace quorvo::platform
