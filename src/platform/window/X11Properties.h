#pragma once

// Window properties that desktop tools read straight from the X server, set
// where SDL leaves them wrong or short. Private to the platform library.

#include "platform/window/Pixels.h"

#include <SDL.h>

#include <span>
#include <string>

namespace quorvo::platform {

// WM_NAME as compound text (the encoding ICCCM readers decode whatever their
// locale) and _NET_WM_NAME as UTF-8. SDL writes WM_NAME as STRING in the
// locale's encoding, which readers take for Latin-1. False off X11.
bool setX11Title(SDL_Window* window, const std::string& utf8);

// _NET_WM_ICON with every given size, so taskbars and switchers pick the one
// they draw without scaling. Premultiplied pixels in. False off X11.
bool setX11Icons(SDL_Window* window, std::span<const PixelView> icons);

}  // namespace quorvo::platform
