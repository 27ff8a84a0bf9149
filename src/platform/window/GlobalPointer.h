#pragma once

// Where the pointer is on the screen and whether the left button is down,
// asked of the window system directly. Private to the platform library.

#include "platform/window/Pixels.h"

#include <SDL.h>

namespace quorvo::platform {

struct GlobalPointer {
    IntPoint position;
    bool leftDown = false;
};

// SDL's own global mouse state is cached on X11 and only refreshed by raw
// input events, which do not arrive for every pointer source (Xvfb with
// synthetic input): there the X server is asked itself.
GlobalPointer queryGlobalPointer(SDL_Window* window);

}  // namespace quorvo::platform
