#pragma once

// What the program asks of the desktop: open a folder or a page in the
// user's own program (xdg-open, started directly, never through a shell),
// find the user's music folder (xdg-user-dir). Helpers that are missing
// simply do nothing.

#include "runtime/Text.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace quorvo::app {

// Runs `argv` (looked up on PATH) with its output discarded and returns its
// standard output when `captureOutput`; nullopt when it could not run or
// exited with a status other than 0. Blocks until it ends. `started` is told
// the child's process id once it runs, and -1 once it has ended (before its
// id can be reused), so that another thread may stop it in between.
std::optional<std::string> runProgram(const std::vector<std::string>& argv, bool captureOutput,
                                      const std::function<void(pid_t)>& started = {});
// Whether `program` is an executable on PATH.
bool programExists(const std::string& program);

// Opens `target` (a folder path in program text, or a URL) with xdg-open on
// a thread of its own; the program's result is not examined.
class DesktopOpener {
public:
    DesktopOpener() = default;
    // Waits for the openers still starting (xdg-open hands over and ends).
    ~DesktopOpener();
    DesktopOpener(const DesktopOpener&) = delete;
    DesktopOpener& operator=(const DesktopOpener&) = delete;

    void open(const Text& target);

private:
    std::vector<std::thread> m_threads;
};

// `xdg-user-dir MUSIC`, else ~/Music (a native path, no trailing "/").
std::string musicDirectory();

}  // namespace quorvo::app
