#include "XDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gio/gio.h>

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace quorvo::test {

namespace {

using namespace std::chrono_literals;

// The current environment with `extra` entries replacing those of the same name.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& other : extra)
            replaced = replaced || other.substr(0, other.find('=')) == name;
        if (!replaced)
            merged.emplace_back(text);
    }
    // Within `extra` the last entry of a name wins.
    for (std::size_t i = 0; i < extra.size(); ++i) {
        const std::string_view name = std::string_view(extra[i]).substr(0, extra[i].find('='));
        bool later = false;
        for (std::size_t j = i + 1; j < extra.size(); ++j)
            later = later || std::string_view(extra[j]).substr(0, extra[j].find('=')) == name;
        if (!later)
            merged.push_back(extra[i]);
    }
    return merged;
}

// Starts `argv` with `environment` added; stdout to `outputFd` (or /dev/null),
// stderr to /dev/null, `extraFd` passed on as descriptor 3. -1 on failure.
int spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int outputFd = -1,
          int extraFd = -1, const std::string& errorLog = {})
{
    std::vector<std::string> entries = mergedEnvironment(environment);
    std::vector<char*> envp;
    for (std::string& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& argument : argv)
        args.push_back(const_cast<char*>(argument.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorLog.empty() ? "/dev/null" : errorLog.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (extraFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, extraFd, 3);
    // Its own process group, so that a test's stop reaches what it started too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Reads one line from `fd` within `limit` (the line an announcing program writes).
std::optional<std::string> readLine(int fd, std::chrono::milliseconds limit)
{
    std::string text;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd waiting {fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text.substr(0, text.find('\n'));
}

// Types a pinyin letter into an input context of its own, waiting as long as
// it takes: the engine and its dictionary load at the first key, which would
// otherwise outlast the 300 ms SDL waits for a key's answer and let the first
// letters through untranslated. True when pinyin took the key.
bool warmUpPinyin(const std::string& address)
{
    GError* error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                          | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    const auto call = [&](const char* path, const char* interface, const char* method, GVariant* arguments,
                          const char* replyType) {
        GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.portal.Fcitx", path, interface, method,
                                                      arguments, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                      G_DBUS_CALL_FLAGS_NONE, 30000, nullptr, &error);
        g_clear_error(&error);
        return reply;
    };
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a(ss)"));
    g_variant_builder_add(&properties, "(ss)", "program", "warm-up");
    bool handled = false;
    if (GVariant* created = call("/org/freedesktop/portal/inputmethod", "org.fcitx.Fcitx.InputMethod1",
                                 "CreateInputContext", g_variant_new("(a(ss))", &properties), "(oay)")) {
        const char* icPath = nullptr;
        g_variant_get(created, "(&o@ay)", &icPath, nullptr);
        const std::string context = icPath;
        const char* interface = "org.fcitx.Fcitx.InputContext1";
        if (GVariant* focused = call(context.c_str(), interface, "FocusIn", nullptr, nullptr))
            g_variant_unref(focused);
        if (GVariant* reply = call(context.c_str(), interface, "ProcessKeyEvent",
                                   g_variant_new("(uuubu)", 0x6Eu, 49u, 0u, FALSE, 0u), "(b)")) {
            gboolean taken = FALSE;
            g_variant_get(reply, "(b)", &taken);
            handled = taken != FALSE;
            g_variant_unref(reply);
        }
        for (const char* method : {"Reset", "DestroyIC"}) {
            if (GVariant* reply = call(context.c_str(), interface, method, nullptr, nullptr))
                g_variant_unref(reply);
        }
        g_variant_unref(created);
    }
    g_object_unref(bus);
    return handled;
}

::Display* connection(void* handle)
{
    return static_cast<::Display*>(handle);
}

}  // namespace

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// ---- Program ----

std::unique_ptr<Program> Program::start(const std::vector<std::string>& argv,
                                        const std::vector<std::string>& environment, const std::string& errorLog)
{
    const int pid = spawn(argv, environment, -1, -1, errorLog);
    if (pid < 0)
        return nullptr;
    return std::unique_ptr<Program>(new Program(pid));
}

Program::~Program()
{
    stop();
}

void Program::reaped(int status)
{
    m_exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
}

bool Program::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        reaped(status);
        return false;
    }
    return true;
}

int Program::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        const bool ended = waitFor([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, 10s);
        if (!ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        reaped(status);
    }
    return m_exit.value_or(-1);
}

std::optional<int> Program::waitForExit(std::chrono::milliseconds limit)
{
    if (!waitFor([&] { return !running(); }, limit))
        return std::nullopt;
    return m_exit;
}

int runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment, std::string* output)
{
    int fds[2] = {-1, -1};
    if (output && ::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const int pid = spawn(argv, environment, fds[1]);
    if (output) {
        ::close(fds[1]);
        output->clear();
        char buffer[4096];
        ssize_t got = 0;
        while (pid >= 0 && (got = ::read(fds[0], buffer, sizeof buffer)) > 0)
            output->append(buffer, static_cast<std::size_t>(got));
        ::close(fds[0]);
    }
    if (pid < 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// ---- XDesktop ----

std::unique_ptr<XDesktop> XDesktop::start(Manager manager, std::string& whyNot, const std::string& screen)
{
    if (runProgram({"sh", "-c", "command -v Xvfb && command -v xdotool"}) != 0) {
        whyNot = "Xvfb and xdotool are needed";
        return nullptr;
    }
    if (manager == Manager::Openbox && runProgram({"sh", "-c", "command -v openbox"}) != 0) {
        whyNot = "openbox is not installed";
        return nullptr;
    }
    std::unique_ptr<XDesktop> desktop(new XDesktop());
    desktop->m_manager = manager;
    // Xvfb writes the display number it chose to descriptor 3 once it takes clients.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        whyNot = "no pipe";
        return nullptr;
    }
    const int pid
        = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, {}, -1, fds[1]);
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        whyNot = "Xvfb could not be started";
        return nullptr;
    }
    desktop->m_xvfb = std::unique_ptr<Program>(new Program(pid));
    const auto number = readLine(fds[0], 30s);
    ::close(fds[0]);
    if (!number || number->empty()) {
        whyNot = "Xvfb did not start";
        return nullptr;
    }
    desktop->m_display = ":" + *number;
    desktop->m_connection = XOpenDisplay(desktop->m_display.c_str());
    if (!desktop->m_connection) {
        whyNot = "the X server takes no connection";
        return nullptr;
    }
    if (manager == Manager::Openbox) {
        desktop->m_windowManager = Program::start({"openbox", "--sm-disable"}, {desktop->displayEntry()});
        // A window manager has taken the screen once it owns WM_S0 (ICCCM).
        if (!desktop->m_windowManager
            || !waitFor([&] { return desktop->selectionOwner("WM_S0") != 0 || !desktop->m_windowManager->running(); })
            || desktop->selectionOwner("WM_S0") == 0) {
            whyNot = "openbox did not take the screen";
            return nullptr;
        }
    }
    return desktop;
}

XDesktop::~XDesktop()
{
    m_windowManager.reset();
    if (m_connection)
        XCloseDisplay(connection(m_connection));
    m_xvfb.reset();
}

int XDesktop::xdotool(const std::vector<std::string>& arguments, std::string* output) const
{
    std::vector<std::string> argv {"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, {displayEntry()}, output);
}

int XDesktop::type(const std::string& utf8)
{
    // Code points of the text.
    std::vector<unsigned long> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned long point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
            point = point << 6 | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        points.push_back(point);
        i += static_cast<std::size_t>(length);
    }
    ::Display* display = connection(m_connection);
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    std::vector<std::string> keys;
    for (const unsigned long point : points) {
        if (point < 0x80) {
            std::string ascii(1, static_cast<char>(point));
            if (xdotool({"type", ascii}) != 0)
                return -1;
            continue;
        }
        const KeySym keysym = 0x01000000ul | point;
        if (std::ranges::find(m_mappedKeysyms, keysym) == m_mappedKeysyms.end()) {
            // The highest keycode that has no symbol yet.
            int per = 0;
            KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per);
            int spare = 0;
            for (int code = last; code >= first && spare == 0; --code) {
                bool empty = true;
                for (int k = 0; k < per; ++k)
                    empty = empty && map[(code - first) * per + k] == NoSymbol;
                if (empty)
                    spare = code;
            }
            XFree(map);
            if (spare == 0)
                return -1;
            KeySym symbols[2] = {keysym, keysym};
            XChangeKeyboardMapping(display, spare, 2, symbols, 1);
            XSync(display, False);
            m_mappedKeysyms.push_back(keysym);
        }
        char name[24];
        std::snprintf(name, sizeof name, "U%04lX", point);
        if (xdotool({"key", name}) != 0)
            return -1;
    }
    return 0;
}

std::vector<unsigned long> XDesktop::windowsNamed(const std::string& name) const
{
    std::string output;
    xdotool({"search", "--onlyvisible", "--name", name}, &output);
    std::vector<unsigned long> windows;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            windows.push_back(std::stoul(line));
    }
    return windows;
}

std::optional<WindowPlace> XDesktop::place(unsigned long window) const
{
    ::Display* display = connection(m_connection);
    // A window that went away makes an error, not an exit.
    const auto previous = XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes {};
    int x = 0;
    int y = 0;
    ::Window child = 0;
    const bool known = XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable
        && XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child) != 0;
    XSync(display, False);
    XSetErrorHandler(previous);
    if (!known)
        return std::nullopt;
    return WindowPlace {x, y, attributes.width, attributes.height};
}

ScreenArea XDesktop::capture(int left, int top, int width, int height) const
{
    ::Display* display = connection(m_connection);
    ScreenArea area {left, top, width, height, {}};
    XImage* image = XGetImage(display, DefaultRootWindow(display), left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return area;
    area.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            area.pixels[static_cast<std::size_t>(y * width + x)]
                = 0xFF000000u | static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return area;
}

unsigned long XDesktop::selectionOwner(const std::string& selection) const
{
    ::Display* display = connection(m_connection);
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
}

void XDesktop::watchRoot()
{
    ::Display* display = connection(m_connection);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    m_rootMessages.clear();
}

int XDesktop::rootMessages(const std::string& type)
{
    ::Display* display = connection(m_connection);
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event {};
        XNextEvent(display, &event);
        if (event.type == ClientMessage)
            m_rootMessages.push_back(event.xclient.message_type);
    }
    const Atom wanted = XInternAtom(display, type.c_str(), False);
    return static_cast<int>(std::ranges::count(m_rootMessages, wanted));
}

// ---- InputMethod ----

std::unique_ptr<InputMethod> InputMethod::start(const XDesktop& desktop, std::string& whyNot)
{
    if (runProgram({"sh", "-c", "command -v dbus-daemon && command -v fcitx5 && command -v gdbus"}) != 0) {
        whyNot = "dbus-daemon, gdbus and fcitx5 are needed for the input-method test";
        return nullptr;
    }
    if (runProgram({"sh", "-c", "ls /usr/lib/*/fcitx5/libpinyin.so"}) != 0) {
        whyNot = "fcitx5's pinyin engine (fcitx5-chinese-addons) is not installed";
        return nullptr;
    }
    std::unique_ptr<InputMethod> method(new InputMethod());
    const auto config = method->m_home.path() / ".config" / "fcitx5";
    std::filesystem::create_directories(config);
    // Pinyin as the one group's active method, on in every new input context.
    std::ofstream(config / "profile") << "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n\n"
                                         "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                                         "[Groups/0/Items/1]\nName=pinyin\nLayout=\n\n"
                                         "[GroupOrder]\n0=Default\n";
    std::ofstream(config / "config") << "[Behavior]\nActiveByDefault=True\nShareInputState=No\n";

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        whyNot = "no pipe";
        return nullptr;
    }
    const int busPid = spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"}, {}, fds[1]);
    ::close(fds[1]);
    if (busPid < 0) {
        ::close(fds[0]);
        whyNot = "dbus-daemon could not be started";
        return nullptr;
    }
    method->m_bus = std::unique_ptr<Program>(new Program(busPid));
    const auto address = readLine(fds[0], 30s);
    ::close(fds[0]);
    if (!address || address->empty()) {
        whyNot = "the session bus did not start";
        return nullptr;
    }
    method->m_busAddress = *address;
    const std::string home = method->m_home.path().string();
    method->m_fcitx
        = Program::start({"fcitx5", "--disable=all",
                          "--enable=dbus,dbusfrontend,xcb,classicui,keyboard,pinyin,punctuation,pinyinhelper"},
                         {desktop.displayEntry(), "DBUS_SESSION_BUS_ADDRESS=" + *address, "HOME=" + home,
                          "XDG_CONFIG_HOME=" + home + "/.config", "XDG_DATA_HOME=" + home + "/.local/share",
                          "XDG_CACHE_HOME=" + home + "/.cache"});
    // SDL talks to fcitx5 through this name; gdbus returns once it is owned.
    if (!method->m_fcitx
        || runProgram({"gdbus", "wait", "--session", "--timeout", "30", "org.freedesktop.portal.Fcitx"},
                      {"DBUS_SESSION_BUS_ADDRESS=" + *address})
            != 0) {
        whyNot = "fcitx5 did not take its bus name";
        return nullptr;
    }
    if (!warmUpPinyin(*address)) {
        whyNot = "fcitx5's pinyin did not take a key";
        return nullptr;
    }
    return method;
}

InputMethod::~InputMethod()
{
    m_fcitx.reset();
    m_bus.reset();
}

std::vector<std::string> InputMethod::environment() const
{
    return {"DBUS_SESSION_BUS_ADDRESS=" + m_busAddress, "SDL_IM_MODULE=fcitx", "XMODIFIERS=@im=fcitx",
            "HOME=" + m_home.path().string()};
}

std::string InputMethod::contexts() const
{
    std::string output;
    runProgram({"gdbus", "call", "--session", "--dest", "org.fcitx.Fcitx5", "--object-path", "/controller", "--method",
                "org.fcitx.Fcitx.Controller1.DebugInfo"},
               {"DBUS_SESSION_BUS_ADDRESS=" + m_busAddress}, &output);
    return output;
}

int InputMethod::focusedState() const
{
    std::string output;
    if (runProgram({"fcitx5-remote"}, {"DBUS_SESSION_BUS_ADDRESS=" + m_busAddress}, &output) != 0)
        return 0;
    return std::atoi(output.c_str());
}

}  // namespace quorvo::test
