#pragma once

// Hands a link (a web address, "mailto:..." ) to the desktop's opener,
// "xdg-open", as its single argument: no shell ever sees the text. The opener
// runs detached, so a browser that stays open never holds up the caller and
// leaves no child process to reap.

#include <functional>
#include <string>
#include <string_view>

namespace quorvo::ui {

// Opens a UTF-8 target; true once the opener has started. Refuses an empty
// target, one with a NUL byte and one starting with '-' (the opener would
// read it as an option). On failure `error` (if given) says why.
bool openWithDesktop(std::string_view utf8Target, std::string* error = nullptr);

// How a link opens its target; tests put a recorder here.
using LinkOpener = std::function<bool(std::string_view utf8Target)>;

// The opener links use unless given another: openWithDesktop.
LinkOpener desktopOpener();

}  // namespace quorvo::ui
