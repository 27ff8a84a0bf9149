#pragma once

// A private X desktop for tests that run programs in windows: an Xvfb server,
// optionally the openbox window manager on it, and optionally a session bus
// with the fcitx5 input method (pinyin). Each part is waited for by what it
// announces (the display number, the WM_S0 selection, the bus name), never
// by a pause, and everything is stopped when the object goes away.

#include "TempDir.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::test {

// A program started in the background with extra environment entries
// ("NAME=value", the last of a name winning; an empty value is a value);
// stopped with SIGTERM (SIGKILL after 10 s) and reaped on destruction.
class Program {
public:
    // Null when it cannot be started. Its output goes to /dev/null, its
    // error output to `errorLog` when one is named.
    static std::unique_ptr<Program> start(const std::vector<std::string>& argv,
                                          const std::vector<std::string>& environment = {},
                                          const std::string& errorLog = {});
    // Takes charge of a process started otherwise.
    explicit Program(int pid)
        : m_pid(pid)
    { }
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    [[nodiscard]] bool running();
    // Stops it; its exit status, or -1 when it did not exit normally.
    int stop();
    // Waits at most `limit` for it to end on its own; its exit status, or nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    [[nodiscard]] int pid() const { return m_pid; }

private:
    void reaped(int status);

    int m_pid = -1;
    std::optional<int> m_exit;
};

// Runs a program to its end with extra environment entries: its exit status
// (-1 when it could not start) and, when `output` is given, its standard output.
int runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
               std::string* output = nullptr);

// The screen's pixels in an area, 0xAARRGGBB with the alpha byte 0xFF.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    [[nodiscard]] bool empty() const { return pixels.empty(); }
    [[nodiscard]] std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    bool operator==(const ScreenArea&) const = default;
};

// A window's client area in screen coordinates.
struct WindowPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class XDesktop {
public:
    enum class Manager { None, Openbox };

    // Null, with the reason in `whyNot`, when Xvfb, xdotool or the window
    // manager is missing or does not come up. `screen` is Xvfb's screen
    // (WIDTHxHEIGHTxDEPTH): a HiDPI program needs a larger one.
    static std::unique_ptr<XDesktop> start(Manager manager, std::string& whyNot,
                                           const std::string& screen = "1024x768x24");
    ~XDesktop();
    XDesktop(const XDesktop&) = delete;
    XDesktop& operator=(const XDesktop&) = delete;

    [[nodiscard]] const std::string& display() const { return m_display; }
    [[nodiscard]] Manager manager() const { return m_manager; }
    // "DISPLAY=:N", for programs started on this desktop.
    [[nodiscard]] std::string displayEntry() const { return "DISPLAY=" + m_display; }

    // Runs xdotool on this display: its exit status, its output in `output`.
    int xdotool(const std::vector<std::string>& arguments, std::string* output = nullptr) const;
    // Types UTF-8 text with xdotool. Characters the keyboard map lacks are
    // first given spare keycodes of their own for good: xdotool's own
    // remapping (one keycode, changed back after each key) races with the
    // program's lazy reading of the map and loses characters.
    int type(const std::string& utf8);
    // Viewable windows named by the regular expression `name` (xdotool's
    // search), with their ancestors' frames looked through.
    [[nodiscard]] std::vector<unsigned long> windowsNamed(const std::string& name) const;
    // Where a window's client area is on the screen; nothing when it is gone or unmapped.
    [[nodiscard]] std::optional<WindowPlace> place(unsigned long window) const;
    // The screen as shown, cut to an area inside it.
    [[nodiscard]] ScreenArea capture(int left, int top, int width, int height) const;
    // The owner of a selection ("WM_S0"), 0 when it has none.
    [[nodiscard]] unsigned long selectionOwner(const std::string& selection) const;
    // From now on, counts the client messages sent to the root window (the
    // requests programs make of a window manager, e.g. WM_CHANGE_STATE).
    void watchRoot();
    // How many client messages of that type the root window was sent since watchRoot.
    int rootMessages(const std::string& type);

private:
    XDesktop() = default;

    Manager m_manager = Manager::None;
    std::string m_display;
    std::unique_ptr<Program> m_xvfb;
    std::unique_ptr<Program> m_windowManager;
    void* m_connection = nullptr;                // Display*, this process's own connection
    std::vector<unsigned long> m_rootMessages;   // their types, in order
    std::vector<unsigned long> m_mappedKeysyms;  // given keycodes of their own by type()
};

// The fcitx5 input method with pinyin on a private session bus, for programs
// on `desktop`; its own home, so no learned words change what it offers.
class InputMethod {
public:
    // Null, with the reason in `whyNot`, when dbus-daemon, fcitx5 or its pinyin
    // engine is missing or the bus name does not appear.
    static std::unique_ptr<InputMethod> start(const XDesktop& desktop, std::string& whyNot);
    ~InputMethod();
    InputMethod(const InputMethod&) = delete;
    InputMethod& operator=(const InputMethod&) = delete;

    // The entries a program needs to use it (bus address, SDL's and X's module names).
    [[nodiscard]] std::vector<std::string> environment() const;
    // fcitx5's own account of its input contexts (Controller1.DebugInfo), empty on failure.
    [[nodiscard]] std::string contexts() const;
    // The focused input context's state: 0 none focused, 1 off, 2 composing with pinyin.
    [[nodiscard]] int focusedState() const;

private:
    InputMethod() = default;

    TempDir m_home;
    std::string m_busAddress;
    std::unique_ptr<Program> m_bus;
    std::unique_ptr<Program> m_fcitx;
};

// Waits for `done` (polled every 20 ms) at most `limit`; true when it held.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(30));

}  // namespace quorvo::test
