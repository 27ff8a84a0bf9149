#pragma once

// Rectangles handed to the graphics layer's painters. Private to ui/core.

#include "gfx/Geometry.h"
#include "runtime/Geometry.h"

namespace quorvo::ui {

inline gfx::RectF toGfx(const FloatRect& r)
{
    return {r.x, r.y, r.width, r.height};
}

}  // namespace quorvo::ui
