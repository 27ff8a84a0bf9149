#pragma once

// The controls' embedded strips, each decoded on first use and kept for the
// life of the process (they never change, so sharing them is safe).

#include "gfx/Image.h"
#include "runtime/Geometry.h"

#include <string_view>

namespace quorvo::ui {

// Decodes an embedded picture by name (a strip stored without its PNG
// signature gets it back); a null image when the name is unknown.
gfx::Image loadEmbeddedImage(std::string_view name);

// A part of a picture as a picture of its own (a strip frame, a sheet cell);
// null when the part is empty.
gfx::Image cutOutImage(const gfx::Image& image, const FloatRect& source);

const gfx::Image& checkMarkStrip();
const gfx::Image& radioMarkStrip();
const gfx::Image& tabStrip();
const gfx::Image& messageIconSheet();
const gfx::Image& messageDecoration();

}  // namespace quorvo::ui
