#pragma once

// Drawing helpers of the contact sheet (never used for committed output).

#include "Canvas.h"

#include <string_view>

namespace quorvo::art::sheet {

// Sheet text comes from an installed font; the sheet is never committed.
void label(cairo_t* cr, double x, double y, std::string_view text, double size, Colour colour);
// Light squares for art that sits on panels, dark ones for white art.
void checkerboard(cairo_t* cr, double x, double y, double w, double h, bool light);
// The picture under an image where it is used: the background itself, or
// the light panels drawn over it.
void backdrop(cairo_t* cr, const Canvas& background, double x, double y, double w, double h, bool panel, int zoom);
void drawZoomed(cairo_t* cr, const Canvas& image, double x, double y, int zoom);
// Draws part of an image, like the framework's source-rectangle drawing.
void drawPart(cairo_t* cr, const Canvas& image, double sx, double sy, double w, double h, double x, double y);
// Stretches a frame (at sx, sw x sh) as a nine-grid around square corners of `border`.
void drawNineGrid(cairo_t* cr, const Canvas& image, double sx, double sw, double sh, double border, double x, double y,
                  double w, double h);

}  // namespace quorvo::art::sheet
