#include "Artwork.h"
#include "Glyphs.h"
#include "Palette.h"

namespace quorvo::art {

Canvas programIcon(int size)
{
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr();
    const double s = size;
    // Small sizes use the whole square; larger ones leave a margin as desktop
    // icons do.
    const double inset = size >= 32 ? s / 16 : 0;
    const double side = s - 2 * inset;
    roundedRectangle(cr, inset, inset, side, side, side * 0.22);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, inset, 0, inset + side);
    cairo_pattern_add_color_stop_rgb(fill, 0, 236 / 255.0, 148 / 255.0, 112 / 255.0);
    cairo_pattern_add_color_stop_rgb(fill, 1, 186 / 255.0, 82 / 255.0, 58 / 255.0);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    if (size >= 24) {
        setColour(cr, palette::ink.withAlpha(0.5));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }

    // The notes, a little to the left of centre like a written pair.
    SavedState saved(cr);
    cairo_translate(cr, inset + side * 0.06, inset + side * 0.04);
    cairo_scale(cr, side * 0.9, side * 0.9);
    {
        SavedState shadow(cr);
        cairo_translate(cr, 0, 0.025);
        setColour(cr, palette::black.withAlpha(0.18));
        glyphs::beamedNotes(cr);
    }
    setColour(cr, palette::white);
    glyphs::beamedNotes(cr);
    return canvas;
}

}  // namespace quorvo::art
