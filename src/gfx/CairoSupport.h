#pragma once

// Helpers shared by the cairo-backed parts of the graphics layer. Private to
// src/gfx: includes cairo.

#include "gfx/Color.h"
#include "gfx/Path.h"

#include <cairo.h>

namespace quorvo::gfx {

// Larger than any surface the layer allocates, small enough for cairo's fixed point.
inline constexpr double hugeCoordinate = 1 << 20;

inline void setSource(cairo_t* cr, Argb colour)
{
    cairo_set_source_rgba(cr, redOf(colour) / 255.0, greenOf(colour) / 255.0, blueOf(colour) / 255.0,
                          alphaOf(colour) / 255.0);
}

inline void addColorStop(cairo_pattern_t* pattern, double offset, Argb colour)
{
    cairo_pattern_add_color_stop_rgba(pattern, offset, redOf(colour) / 255.0, greenOf(colour) / 255.0,
                                      blueOf(colour) / 255.0, alphaOf(colour) / 255.0);
}

inline cairo_fill_rule_t fillRuleOf(FillMode mode)
{
    return mode == FillMode::Winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
}

}  // namespace quorvo::gfx
