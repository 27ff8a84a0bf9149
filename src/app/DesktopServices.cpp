#include "app/DesktopServices.h"

#include "platform/DesktopOpener.h"
#include "platform/Files.h"
#include "platform/Process.h"

#include <cstdlib>
#include <optional>

namespace quorvo::app {

void DesktopOpener::open(const Text& target) const
{
    if (target.empty())
        return;
    platform::openWithDesktop(platform::nativePath(target));
}

std::string musicDirectory()
{
    if (std::optional<std::string> dir = platform::runProgram({"xdg-user-dir", "MUSIC"}, true)) {
        while (!dir->empty() && (dir->back() == '\n' || dir->back() == '/'))
            dir->pop_back();
        // xdg-user-dir answers $HOME when MUSIC is not configured.
        const char* home = std::getenv("HOME");
        if (!dir->empty() && dir->front() == '/' && (!home || *dir != std::string(home)))
            return *dir;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] == '/' ? home : "/tmp") + "/Music";
}

}  // namespace quorvo::app
