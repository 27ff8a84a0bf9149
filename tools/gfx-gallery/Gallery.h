#pragma once

#include "gfx/Surface.h"

namespace quorvo::gallery {

inline constexpr int sheetWidth = 410;
inline constexpr int sheetHeight = 650;

// Draws every painter, frame style, gradient mode, nine-grid, image, font and
// text effect of the graphics layer, labelled, into a 410 x 650 surface.
gfx::Surface drawGallery();

}  // namespace quorvo::gallery
