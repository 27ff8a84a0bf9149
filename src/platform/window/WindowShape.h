#pragma once

// Window shapes on X11 (the shape extension), for rounded windows where no
// compositor shows per-pixel alpha. Private to the platform library.

#include "platform/window/Pixels.h"

#include <SDL.h>

#include <vector>

namespace quorvo::platform {

// Applies (or with no rectangles, removes) the bounding shape; false where
// the window system has no shapes.
bool applyWindowShape(SDL_Window* window, const std::vector<IntRect>& rectangles, bool clear);

}  // namespace quorvo::platform
