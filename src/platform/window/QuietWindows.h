#pragma once

// Showing and hiding a window that must never take the keyboard (tooltips),
// on X11. SDL_ShowWindow without a window manager gives every window it maps
// the input focus (XSetInputFocus): the owner loses the keyboard, a popup
// menu reads that as deactivation and closes, and giving the focus back
// raises the owner over the tip. Private to the platform library.

#include <SDL.h>

namespace quorvo::platform {

// Maps the window on top of its siblings without touching the focus, and lets
// the pointer pass through it. False where this is not X11 (use SDL then).
bool showWithoutFocus(SDL_Window* window);
// Unmaps the window (no wait); false where this is not X11.
bool hideWithoutWaiting(SDL_Window* window);
// Whether the X server shows the window now: 1 or 0; -1 where this is not X11.
int isMappedOnX11(SDL_Window* window);

}  // namespace quorvo::platform
