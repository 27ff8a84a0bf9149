#include "platform/DesktopOpener.h"

#include "platform/Process.h"

namespace quorvo::platform {

bool openWithDesktop(std::string_view target, std::string* error)
{
    if (target.empty() || target.front() == '-' || target.find('\0') != std::string_view::npos) {
        if (error)
            *error = "refused to open an empty target or one the opener would take for an option";
        return false;
    }
    return launchDetached("xdg-open", {std::string(target)}, error);
}

}  // namespace quorvo::platform
