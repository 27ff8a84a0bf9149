#pragma once

// A private Xvfb server for tests that need a real X display (no window
// manager), started on a display number the server picks itself.

#include "runtime/Geometry.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::platform::test {

class XvfbServer {
public:
    // Null when Xvfb is missing or does not come up; `whyNot` says why.
    static std::unique_ptr<XvfbServer> start(std::string& whyNot);
    // The same, also null when xdotool cannot drive the server; sets DISPLAY.
    static std::unique_ptr<XvfbServer> startWithXdotool(std::string& whyNot);
    // The same, also null when trayer (the tray the tests dock in) is missing.
    static std::unique_ptr<XvfbServer> startWithXdotoolAndTrayer(std::string& whyNot);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    [[nodiscard]] const std::string& display() const { return m_display; }
    // Points this process's SDL at the server (DISPLAY, SDL_VIDEODRIVER=x11).
    void useForSdl() const;

private:
    XvfbServer(int pid, std::string display)
        : m_pid(pid)
        , m_display(std::move(display))
    { }

    int m_pid = 0;
    std::string m_display;
};

// A program running in the background until this object goes away.
class BackgroundProgram {
public:
    // Null when the program cannot be started.
    static std::unique_ptr<BackgroundProgram> start(const std::vector<std::string>& arguments);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

private:
    explicit BackgroundProgram(int pid)
        : m_pid(pid)
    { }
    int m_pid = 0;
};

// Runs a program found on PATH with the current environment and waits for
// it: its exit status, or -1 when it could not be started.
int runProgram(const std::vector<std::string>& arguments);
// The same, returning what the program wrote to its standard output.
std::optional<std::string> programOutput(const std::vector<std::string>& arguments);

// Runs xdotool steps ({"sleep", "MS"} only waits) on a worker thread while
// `turn` keeps the caller's loop going (every 2 ms); true when every step
// succeeded within `limit`.
bool driveWithXdotool(const std::vector<std::vector<std::string>>& steps, const std::function<void()>& turn,
                      std::chrono::milliseconds limit);

// A tray lays an icon out after docking it (trayer moves it once its own panel
// is placed), so a click aimed at the first bounds can miss. The bounds once they
// have read the same, at a usable size, for 300 ms; nullopt when that takes longer
// than `limit`.
std::optional<IntRect> settledIconBounds(const std::function<std::optional<IntRect>()>& bounds,
                                         const std::function<void()>& turn, std::chrono::milliseconds limit);

}  // namespace quorvo::platform::test
