#include "platform/window/X11Errors.h"

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#endif

#include <cstdio>

namespace quorvo::platform {

#if QUORVO_HAVE_X11

namespace {

int reportAndGoOn(Display* display, XErrorEvent* error)
{
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "quorvo: X request %d on 0x%lx failed (%s); going on\n", error->request_code,
                 error->resourceid, text);
    return 0;
}

}  // namespace

void surviveX11Errors()
{
    XSetErrorHandler(&reportAndGoOn);
}

#else

void surviveX11Errors() { }

#endif

}  // namespace quorvo::platform
