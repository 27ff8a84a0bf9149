#include "platform/window/GlobalPointer.h"

#include <SDL_syswm.h>

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace quorvo::platform {

GlobalPointer queryGlobalPointer(SDL_Window* window)
{
#if QUORVO_HAVE_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        Display* display = info.info.x11.display;
        ::Window root = 0;
        ::Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int mask = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)
            != 0) {
            return {{rootX, rootY}, (mask & Button1Mask) != 0};
        }
    }
#endif
    GlobalPointer pointer;
    const Uint32 buttons = SDL_GetGlobalMouseState(&pointer.position.x, &pointer.position.y);
    pointer.leftDown = (buttons & SDL_BUTTON_LMASK) != 0;
    return pointer;
}

}  // namespace quorvo::platform
