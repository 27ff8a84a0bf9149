#include "SheetDrawing.h"

#include <string>

namespace quorvo::art::sheet {

namespace {

constexpr const char* labelFont = "WenQuanYi Micro Hei";

}  // namespace

void label(cairo_t* cr, double x, double y, std::string_view text, double size, Colour colour)
{
    cairo_select_font_face(cr, labelFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    setColour(cr, colour);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, std::string(text).c_str());
}

void checkerboard(cairo_t* cr, double x, double y, double w, double h, bool light)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int row = 0; row * 6 < h; ++row)
        for (int column = 0; column * 6 < w; ++column) {
            const bool odd = (row + column) % 2 != 0;
            const double grey = light ? (odd ? 0.78 : 0.93) : (odd ? 0.30 : 0.40);
            cairo_set_source_rgb(cr, grey, grey, grey);
            cairo_rectangle(cr, x + column * 6, y + row * 6, 6, 6);
            cairo_fill(cr);
        }
}

void backdrop(cairo_t* cr, const Canvas& background, double x, double y, double w, double h, bool panel, int zoom)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, zoom, zoom);
    // Top of the picture for white art, the bottom band for panel art.
    cairo_set_source_surface(cr, background.surface(), -110, panel ? -600 : -40);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    if (panel) {
        cairo_set_source_rgba(cr, 1, 1, 1, 153 / 255.0);
        cairo_paint(cr);
    }
}

void drawZoomed(cairo_t* cr, const Canvas& image, double x, double y, int zoom)
{
    SavedState saved(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
}

void drawPart(cairo_t* cr, const Canvas& image, double sx, double sy, double w, double h, double x, double y)
{
    SavedState saved(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image.surface(), x - sx, y - sy);
    cairo_paint(cr);
}

void drawNineGrid(cairo_t* cr, const Canvas& image, double sx, double sw, double sh, double border, double x, double y,
                  double w, double h)
{
    const double srcX[] = {0, border, sw - border, sw};
    const double srcY[] = {0, border, sh - border, sh};
    const double dstX[] = {x, x + border, x + w - border, x + w};
    const double dstY[] = {y, y + border, y + h - border, y + h};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            SavedState saved(cr);
            const double dw = dstX[column + 1] - dstX[column];
            const double dh = dstY[row + 1] - dstY[row];
            const double cw = srcX[column + 1] - srcX[column];
            const double ch = srcY[row + 1] - srcY[row];
            cairo_rectangle(cr, dstX[column], dstY[row], dw, dh);
            cairo_clip(cr);
            cairo_translate(cr, dstX[column], dstY[row]);
            cairo_scale(cr, dw / cw, dh / ch);
            cairo_set_source_surface(cr, image.surface(), -(sx + srcX[column]), -srcY[row]);
            cairo_paint(cr);
        }
}

}  // namespace quorvo::art::sheet
