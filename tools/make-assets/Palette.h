#pragma once

// The few colours every picture takes from, so that the set reads as one
// product: the window's warm terracotta (RGB 221, 122, 92), a deeper ink of
// it for glyphs on light panels, and white for everything on the picture.

#include "Canvas.h"

namespace quorvo::art::palette {

inline constexpr Colour window = Colour::rgb(221, 122, 92);
inline constexpr Colour ink = Colour::rgb(166, 68, 44);
inline constexpr Colour inkLight = Colour::rgb(204, 98, 68);
inline constexpr Colour accent = Colour::rgb(209, 105, 75);
inline constexpr Colour accentLight = Colour::rgb(228, 131, 99);
inline constexpr Colour white = Colour::rgb(255, 255, 255);
inline constexpr Colour black = Colour::rgb(0, 0, 0);
inline constexpr Colour disabled = Colour::rgb(120, 108, 104, 0.42);
inline constexpr Colour fieldBorder = Colour::rgb(0, 96, 192);

// Message-box icon colours.
inline constexpr Colour error = Colour::rgb(212, 64, 52);
inline constexpr Colour warning = Colour::rgb(236, 164, 42);
inline constexpr Colour question = Colour::rgb(86, 104, 196);
inline constexpr Colour information = Colour::rgb(48, 134, 198);

}  // namespace quorvo::art::palette
