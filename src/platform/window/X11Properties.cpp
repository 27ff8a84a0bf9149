#include "platform/window/X11Properties.h"

#include <SDL_syswm.h>

#if QUORVO_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

#include <optional>
#include <vector>

namespace quorvo::platform {

#if QUORVO_HAVE_X11

namespace {

struct X11Window {
    Display* display = nullptr;
    ::Window window = 0;
};

std::optional<X11Window> x11WindowOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return std::nullopt;
    }
    return X11Window {info.info.x11.display, info.info.x11.window};
}

}  // namespace

bool setX11Title(SDL_Window* window, const std::string& utf8)
{
    const std::optional<X11Window> x11 = x11WindowOf(window);
    if (!x11) {
        return false;
    }
    Display* display = x11->display;
    char* list[] = {const_cast<char*>(utf8.c_str())};
    XTextProperty property {};
    // XStdICCTextStyle: STRING when the title is Latin-1, COMPOUND_TEXT otherwise.
    if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &property) >= Success) {
        XSetWMName(display, x11->window, &property);
        XSetWMIconName(display, x11->window, &property);
        XFree(property.value);
    }
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    for (const char* name : {"_NET_WM_NAME", "_NET_WM_ICON_NAME"}) {
        XChangeProperty(display, x11->window, XInternAtom(display, name, False), utf8String, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    }
    XFlush(display);
    return true;
}

bool setX11Icons(SDL_Window* window, std::span<const PixelView> icons)
{
    const std::optional<X11Window> x11 = x11WindowOf(window);
    if (!x11) {
        return false;
    }
    // Format 32 properties travel as longs: width, height, then straight-alpha ARGB rows.
    std::vector<long> data;
    for (const PixelView& icon : icons) {
        if (!icon.valid()) {
            continue;
        }
        data.push_back(icon.width);
        data.push_back(icon.height);
        for (int y = 0; y < icon.height; ++y) {
            const std::uint32_t* row = icon.row(y);
            for (int x = 0; x < icon.width; ++x) {
                data.push_back(static_cast<long>(unpremultiply(row[x])));
            }
        }
    }
    if (data.empty()) {
        return false;
    }
    Display* display = x11->display;
    XChangeProperty(display, x11->window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    XFlush(display);
    return true;
}

#else

bool setX11Title(SDL_Window*, const std::string&)
{
    return false;
}

bool setX11Icons(SDL_Window*, std::span<const PixelView>)
{
    return false;
}

#endif

}  // namespace quorvo::platform
