#pragma once

#include "gfx/Surface.h"

#include <chrono>
#include <optional>
#include <string>

namespace quorvo::gallery {

// Shows the picture in a 410 x 650 window until the window is closed (or Esc is
// pressed, or `closeAfter` has passed). Returns the process exit code; `error`
// says why when the window system could not start.
int showInWindow(const gfx::Surface& picture, std::optional<std::chrono::milliseconds> closeAfter, std::string& error);

}  // namespace quorvo::gallery
