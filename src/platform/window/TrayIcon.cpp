#include "platform/window/TrayIcon.h"

#include "runtime/Encoding.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if QUORVO_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvo::platform {

namespace {

constexpr std::size_t tooltipBytes = 127;  // the tray record's 128 bytes less the terminating zero
constexpr int iconSize = 22;
// Transparent icon pixels show this colour: a window cannot read the panel behind it.
constexpr std::uint32_t iconBackdrop = 0x404040;

}  // namespace

#if QUORVO_HAVE_X11

namespace {

// Xlib's default handler ends the process on any error. A tray that quits between
// our lookup of its window and our request to it must only make docking fail.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display)
        : m_display(display)
    {
        XSync(m_display, False);
        s_failed = false;
        m_previous = XSetErrorHandler(&record);
    }
    ~XErrorTrap() { XSetErrorHandler(m_previous); }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    [[nodiscard]] bool failed()
    {
        XSync(m_display, False);
        return s_failed;
    }

private:
    static int record(Display*, XErrorEvent*)
    {
        s_failed = true;
        return 0;
    }

    // Xlib's error handler takes no user data; only the user-interface thread docks.
    static inline bool s_failed = false;
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

}  // namespace

struct TrayIcon::X11 {
    Display* display = nullptr;
    ::Window window = 0;
    // The tray owner the docking request went to.
    ::Window trayOwner = 0;
    int width = iconSize;
    int height = iconSize;
    // Device pixels per logical pixel.
    int scale = 1;

    ~X11()
    {
        if (display != nullptr && window != 0) {
            XDestroyWindow(display, window);
            XFlush(display);
        }
    }
};

std::unique_ptr<TrayIcon> TrayIcon::dock(SDL_Window* owner, std::span<const PixelView> pictures, const Text& tooltip,
                                         int scale, std::string& whyNot)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (owner == nullptr || SDL_GetWindowWMInfo(owner, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        whyNot = "the window is not on an X11 display";
        return nullptr;
    }
    Display* display = info.info.x11.display;
    const int screen = DefaultScreen(display);
    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    const Atom selection = XInternAtom(display, selectionName.c_str(), False);
    const ::Window trayOwner = XGetSelectionOwner(display, selection);
    if (trayOwner == None) {
        whyNot = "no system tray is running";
        return nullptr;
    }

    auto x11 = std::make_unique<X11>();
    x11->display = display;
    x11->trayOwner = trayOwner;
    x11->scale = std::max(scale, 1);
    x11->width = x11->height = iconSize * x11->scale;
    x11->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned int>(x11->width),
                                      static_cast<unsigned int>(x11->height), 0, 0, iconBackdrop);
    if (x11->window == 0) {
        whyNot = "the icon window cannot be created";
        return nullptr;
    }
    XSelectInput(display, x11->window, ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    // The tray sizes its socket from these hints; without them it grants one pixel.
    XSizeHints hints {};
    hints.flags = PMinSize | PBaseSize;
    hints.min_width = hints.base_width = iconSize * x11->scale;
    hints.min_height = hints.base_height = iconSize * x11->scale;
    XSetWMNormalHints(display, x11->window, &hints);
    // _XEMBED_INFO: protocol version 0, mapped.
    const Atom embedInfo = XInternAtom(display, "_XEMBED_INFO", False);
    const long embedValues[2] = {0, 1};
    XChangeProperty(display, x11->window, embedInfo, embedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(embedValues), 2);

    auto tray = std::make_unique<TrayIcon>(std::move(x11));
    tray->setPictures(pictures);
    tray->setTooltip(tooltip);
    const ::Window window = tray->m_x11->window;

    // The docking request (SYSTEM_TRAY_REQUEST_DOCK = 0) to the tray owner.
    XEvent request {};
    request.xclient.type = ClientMessage;
    request.xclient.window = trayOwner;
    request.xclient.message_type = XInternAtom(display, "_NET_SYSTEM_TRAY_OPCODE", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = CurrentTime;
    request.xclient.data.l[1] = 0;
    request.xclient.data.l[2] = static_cast<long>(window);
    {
        XErrorTrap trap(display);
        XSendEvent(display, trayOwner, False, NoEventMask, &request);
        if (trap.failed()) {
            whyNot = "the system tray went away while the icon was docking";
            return nullptr;
        }
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return tray;
}

bool TrayIcon::watchForTrays(SDL_Window* any)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (any == nullptr || SDL_GetWindowWMInfo(any, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    const ::Window root = DefaultRootWindow(display);
    // Added to what SDL itself selects on the root, not instead of it.
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, root, &attributes);
    if ((attributes.your_event_mask & StructureNotifyMask) == 0) {
        XSelectInput(display, root, attributes.your_event_mask | StructureNotifyMask);
        XFlush(display);
    }
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

std::optional<unsigned long> TrayIcon::announcedTray(const SDL_SysWMmsg& message)
{
    if (message.subsystem != SDL_SYSWM_X11) {
        return std::nullopt;
    }
    const XEvent& event = message.msg.x11.event;
    if (event.type != ClientMessage || event.xclient.format != 32) {
        return std::nullopt;
    }
    Display* display = event.xclient.display;
    if (event.xclient.window != DefaultRootWindow(display)
        || event.xclient.message_type != XInternAtom(display, "MANAGER", False)) {
        return std::nullopt;
    }
    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    if (static_cast<Atom>(event.xclient.data.l[1]) != XInternAtom(display, selectionName.c_str(), False)) {
        return std::nullopt;
    }
    return static_cast<unsigned long>(event.xclient.data.l[2]);
}

bool TrayIcon::askedTray(unsigned long trayWindow) const
{
    return m_x11->trayOwner == trayWindow;
}

void TrayIcon::setTooltip(const Text& tooltip)
{
    m_tooltip = encoding::toUtf8(cutTooltip(tooltip).view());
    if (m_x11->window == 0) {
        return;
    }
    Display* display = m_x11->display;
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    XChangeProperty(display, m_x11->window, netWmName, utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(m_tooltip.data()), static_cast<int>(m_tooltip.size()));
    XStoreName(display, m_x11->window, m_tooltip.c_str());
    XFlush(display);
}

void TrayIcon::setPictures(std::span<const PixelView> pictures)
{
    std::vector<PixelBuffer> kept;
    for (const PixelView& picture : pictures) {
        if (picture.valid()) {
            kept.push_back(copyOf(picture));
        }
    }
    if (kept.empty()) {
        return;
    }
    m_pictures = std::move(kept);
    draw();
}

TrayIcon::Notice TrayIcon::handle(const SDL_SysWMmsg& message)
{
    if (message.subsystem != SDL_SYSWM_X11) {
        return Notice::Nothing;
    }
    const XEvent& event = message.msg.x11.event;
    if (event.xany.window != m_x11->window) {
        return Notice::Nothing;
    }
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) {
            draw();
        }
        break;
    case ConfigureNotify:
        m_x11->width = std::max(event.xconfigure.width, 1);
        m_x11->height = std::max(event.xconfigure.height, 1);
        draw();
        break;
    case ReparentNotify:
        if (event.xreparent.parent != DefaultRootWindow(m_x11->display)) {
            m_wasDocked = true;
        } else if (m_wasDocked) {
            // The tray has quit. Trays that keep icons in their save-set
            // leave the icon mapped on the root: no stray square there.
            m_wasDocked = false;
            // A later tray may reuse the gone one's window id: the request to it is void.
            m_x11->trayOwner = 0;
            XUnmapWindow(m_x11->display, m_x11->window);
            XFlush(m_x11->display);
            return Notice::TrayGone;
        }
        break;
    case DestroyNotify:
        // A tray that quits without keeping its icons in its save-set takes
        // the icon window with it: nothing is left to unmap or destroy.
        m_x11->window = 0;
        m_x11->trayOwner = 0;
        m_wasDocked = false;
        return Notice::TrayGone;
    case ButtonRelease:
        if (event.xbutton.button == Button1) {
            return Notice::LeftRelease;
        }
        if (event.xbutton.button == Button3) {
            return Notice::RightRelease;
        }
        break;
    default:
        break;
    }
    return Notice::Nothing;
}

bool TrayIcon::docked() const
{
    if (m_x11->window == 0) {
        return false;
    }
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(m_x11->display, m_x11->window, &root, &parent, &children, &count) == 0) {
        return false;
    }
    if (children != nullptr) {
        XFree(children);
    }
    return parent != root;
}

std::optional<IntRect> TrayIcon::screenBounds() const
{
    XWindowAttributes attributes;
    // An icon the tray has not shown yet has no place on the screen.
    if (m_x11->window == 0 || XGetWindowAttributes(m_x11->display, m_x11->window, &attributes) == 0
        || attributes.map_state != IsViewable) {
        return std::nullopt;
    }
    int x = 0;
    int y = 0;
    ::Window child = 0;
    XTranslateCoordinates(m_x11->display, m_x11->window, attributes.root, 0, 0, &x, &y, &child);
    return IntRect {x, y, attributes.width, attributes.height};
}

void TrayIcon::draw()
{
    Display* display = m_x11->display;
    const int screen = DefaultScreen(display);
    const int depth = DefaultDepth(display, screen);
    if (m_x11->window == 0 || m_pictures.empty() || (depth != 24 && depth != 32)) {
        return;
    }
    // Trays give sockets of their own shape (trayer: our width, its panel's
    // height): the picture is the largest square that fits, in the middle.
    const int width = m_x11->width;
    const int height = m_x11->height;
    const int side = std::min(width, height);
    // The smallest picture that covers the square, or else the largest.
    const auto length = [](const PixelBuffer& picture) { return std::min(picture.width(), picture.height()); };
    const PixelBuffer* best = &m_pictures.front();
    for (const PixelBuffer& picture : m_pictures) {
        const bool covers = length(picture) >= side;
        const bool bestCovers = length(*best) >= side;
        if (covers ? !bestCovers || length(picture) < length(*best) : !bestCovers && length(picture) > length(*best)) {
            best = &picture;
        }
    }
    const int pictureWidth = std::max(1, best->width() * side / std::max(best->width(), best->height()));
    const int pictureHeight = std::max(1, best->height() * side / std::max(best->width(), best->height()));
    const PixelBuffer shown = resampled(best->view(), pictureWidth, pictureHeight);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), iconBackdrop);
    const int left = (width - pictureWidth) / 2;
    const int top = (height - pictureHeight) / 2;
    for (int y = 0; y < pictureHeight; ++y) {
        std::uint32_t* row = &pixels[static_cast<std::size_t>(top + y) * static_cast<std::size_t>(width)
                                     + static_cast<std::size_t>(left)];
        composeRowOverOpaque(shown.view().row(y), row, pictureWidth, iconBackdrop);
        for (int x = 0; x < pictureWidth; ++x) {
            row[x] &= 0x00FFFFFFu;
        }
    }
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), static_cast<unsigned int>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(pixels.data()), static_cast<unsigned int>(width),
                                 static_cast<unsigned int>(height), 32, 0);
    if (image == nullptr) {
        return;
    }
    XPutImage(display, m_x11->window, DefaultGC(display, screen), image, 0, 0, 0, 0, static_cast<unsigned int>(width),
              static_cast<unsigned int>(height));
    image->data = nullptr;  // the pixels belong to the vector
    XDestroyImage(image);
    XFlush(display);
}

#else

struct TrayIcon::X11 { };

std::unique_ptr<TrayIcon> TrayIcon::dock(SDL_Window*, std::span<const PixelView>, const Text&, int, std::string& whyNot)
{
    whyNot = "built without X11";
    return nullptr;
}

TrayIcon::Notice TrayIcon::handle(const SDL_SysWMmsg&)
{
    return Notice::Nothing;
}

bool TrayIcon::watchForTrays(SDL_Window*)
{
    return false;
}

std::optional<unsigned long> TrayIcon::announcedTray(const SDL_SysWMmsg&)
{
    return std::nullopt;
}

bool TrayIcon::askedTray(unsigned long) const
{
    return false;
}

void TrayIcon::setTooltip(const Text& tooltip)
{
    m_tooltip = encoding::toUtf8(cutTooltip(tooltip).view());
}

void TrayIcon::setPictures(std::span<const PixelView>) { }

bool TrayIcon::docked() const
{
    return false;
}

std::optional<IntRect> TrayIcon::screenBounds() const
{
    return std::nullopt;
}

void TrayIcon::draw() { }

#endif

TrayIcon::TrayIcon(std::unique_ptr<X11> x11)
    : m_x11(std::move(x11))
{ }

TrayIcon::~TrayIcon() = default;

Text TrayIcon::cutTooltip(const Text& tooltip)
{
    const std::string_view bytes = tooltip.view();
    std::size_t length = std::min(bytes.size(), tooltipBytes);
    while (length > 0 && !text::isCharacterBoundary(bytes, length)) {
        --length;
    }
    return Text(bytes.substr(0, length));
}

}  // namespace quorvo::platform
