#pragma once

// What the program asks of the desktop: open a folder or a page in the
// user's own program (xdg-open), find the user's music folder
// (xdg-user-dir). Both through the platform's process launcher; helpers
// that are missing simply do nothing.

#include "runtime/Text.h"

#include <string>

namespace quorvo::app {

// Opens `target` (a folder path in program text, or a URL) with the
// desktop's opener; returns at once, the opener runs detached. A target
// that cannot be opened is left alone.
class DesktopOpener {
public:
    void open(const Text& target) const;
};

// `xdg-user-dir MUSIC`, else ~/Music (a native path, no trailing "/").
std::string musicDirectory();

}  // namespace quorvo::app
