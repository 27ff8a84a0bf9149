#pragma once

// Hands a target (a web address, "mailto:...", a folder or file path) to
// the desktop's opener, "xdg-open", as its single argument, through the
// process launcher: no shell ever sees the text, and the opener runs
// detached, so a browser that stays open never holds up the caller.

#include <string>
#include <string_view>

namespace quorvo::platform {

// Opens a target (UTF-8 for addresses, native bytes for paths); true once
// the opener has started. Refuses an empty target, one with a NUL byte and
// one starting with '-' (the opener would read it as an option). On failure
// `error` (if given) says why.
bool openWithDesktop(std::string_view target, std::string* error = nullptr);

}  // namespace quorvo::platform
