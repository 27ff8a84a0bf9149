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

// The mean of the pixels in [left, right) × [top, bottom), channel by channel.
[[maybe_unused]] std::uint32_t meanOf(const PixelBuffer& pixels, int left, int top, int right, int bottom)
{
    std::uint32_t sums[4] = {};
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const std::uint32_t pixel = pixels.at(x, y);
            for (int channel = 0; channel < 4; ++channel) {
                sums[channel] += (pixel >> (8 * channel)) & 0xFFu;
            }
        }
    }
    const auto count = static_cast<std::uint32_t>((right - left) * (bottom - top));
    std::uint32_t mean = 0;
    for (int channel = 0; channel < 4; ++channel) {
        mean |= ((sums[channel] + count / 2) / count) << (8 * channel);
    }
    return mean;
}

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
    int width = iconSize;
    int height = iconSize;

    ~X11()
    {
        if (display != nullptr && window != 0) {
            XDestroyWindow(display, window);
            XFlush(display);
        }
    }
};

std::unique_ptr<TrayIcon> TrayIcon::dock(SDL_Window* owner, const PixelView& icon, const Text& tooltip,
                                         std::string& whyNot)
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
    x11->window
        = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, iconSize, iconSize, 0, 0, iconBackdrop);
    if (x11->window == 0) {
        whyNot = "the icon window cannot be created";
        return nullptr;
    }
    XSelectInput(display, x11->window, ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    // The tray sizes its socket from these hints; without them it grants one pixel.
    XSizeHints hints {};
    hints.flags = PMinSize | PBaseSize;
    hints.min_width = hints.base_width = iconSize;
    hints.min_height = hints.base_height = iconSize;
    XSetWMNormalHints(display, x11->window, &hints);
    // _XEMBED_INFO: protocol version 0, mapped.
    const Atom embedInfo = XInternAtom(display, "_XEMBED_INFO", False);
    const long embedValues[2] = {0, 1};
    XChangeProperty(display, x11->window, embedInfo, embedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(embedValues), 2);

    auto tray = std::make_unique<TrayIcon>(std::move(x11));
    tray->setIcon(icon);
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

bool TrayIcon::announcesTray(const SDL_SysWMmsg& message)
{
    if (message.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    const XEvent& event = message.msg.x11.event;
    if (event.type != ClientMessage || event.xclient.format != 32) {
        return false;
    }
    Display* display = event.xclient.display;
    if (event.xclient.window != DefaultRootWindow(display)
        || event.xclient.message_type != XInternAtom(display, "MANAGER", False)) {
        return false;
    }
    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    return static_cast<Atom>(event.xclient.data.l[1]) == XInternAtom(display, selectionName.c_str(), False);
}

void TrayIcon::setTooltip(const Text& tooltip)
{
    m_tooltip = encoding::toUtf8(cutTooltip(tooltip).view());
    Display* display = m_x11->display;
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    XChangeProperty(display, m_x11->window, netWmName, utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(m_tooltip.data()), static_cast<int>(m_tooltip.size()));
    XStoreName(display, m_x11->window, m_tooltip.c_str());
    XFlush(display);
}

void TrayIcon::setIcon(const PixelView& icon)
{
    if (!icon.valid()) {
        return;
    }
    m_icon = PixelBuffer(icon.width, icon.height);
    for (int y = 0; y < icon.height; ++y) {
        std::copy_n(icon.row(y), icon.width, &m_icon.at(0, y));
    }
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
            XUnmapWindow(m_x11->display, m_x11->window);
            XFlush(m_x11->display);
            return Notice::TrayGone;
        }
        break;
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
    if (XGetWindowAttributes(m_x11->display, m_x11->window, &attributes) == 0 || attributes.map_state != IsViewable) {
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
    if (m_icon.width() == 0 || (depth != 24 && depth != 32)) {
        return;
    }
    // The icon scaled to the window the tray gave us: each target pixel is the
    // mean of the source pixels it covers (premultiplied, so a plain mean).
    const int width = m_x11->width;
    const int height = m_x11->height;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const int top = y * m_icon.height() / height;
        const int bottom = std::max(top + 1, (y + 1) * m_icon.height() / height);
        for (int x = 0; x < width; ++x) {
            const int left = x * m_icon.width() / width;
            const int right = std::max(left + 1, (x + 1) * m_icon.width() / width);
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]
                = composeOverOpaque(meanOf(m_icon, left, top, right, bottom), iconBackdrop) & 0x00FFFFFFu;
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

std::unique_ptr<TrayIcon> TrayIcon::dock(SDL_Window*, const PixelView&, const Text&, std::string& whyNot)
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

bool TrayIcon::announcesTray(const SDL_SysWMmsg&)
{
    return false;
}

void TrayIcon::setTooltip(const Text& tooltip)
{
    m_tooltip = encoding::toUtf8(cutTooltip(tooltip).view());
}

void TrayIcon::setIcon(const PixelView&) { }

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
