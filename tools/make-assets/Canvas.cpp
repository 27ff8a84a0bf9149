#include "Canvas.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace quorvo::art {

Canvas::Canvas(int width, int height)
    : Canvas(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
{ }

Canvas::Canvas(cairo_surface_t* adopted)
    : m_surface(adopted)
{
    if (cairo_surface_status(m_surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create an image surface");
    m_context.reset(cairo_create(m_surface.get()));
}

int Canvas::width() const
{
    return cairo_image_surface_get_width(m_surface.get());
}

int Canvas::height() const
{
    return cairo_image_surface_get_height(m_surface.get());
}

std::vector<uint8_t> Canvas::straightRgba() const
{
    cairo_surface_flush(m_surface.get());
    const int w = width();
    const int h = height();
    const int stride = cairo_image_surface_get_stride(m_surface.get());
    const unsigned char* data = cairo_image_surface_get_data(m_surface.get());
    const bool hasAlpha = cairo_image_surface_get_format(m_surface.get()) == CAIRO_FORMAT_ARGB32;

    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t pixel = row[x];
            const uint32_t a = hasAlpha ? pixel >> 24 : 255;
            uint32_t r = (pixel >> 16) & 0xFF;
            uint32_t g = (pixel >> 8) & 0xFF;
            uint32_t b = pixel & 0xFF;
            // Cairo keeps colours premultiplied; files want them straight.
            if (a != 0 && a != 255) {
                r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
                g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
                b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
            } else if (a == 0) {
                r = g = b = 0;
            }
            uint8_t* o = &out[(static_cast<size_t>(y) * w + x) * 4];
            o[0] = static_cast<uint8_t>(r);
            o[1] = static_cast<uint8_t>(g);
            o[2] = static_cast<uint8_t>(b);
            o[3] = static_cast<uint8_t>(a);
        }
    }
    return out;
}

FrameScope::FrameScope(cairo_t* cr, double x, double y, double width, double height)
    : m_saved(cr)
{
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
}

void setColour(cairo_t* cr, Colour colour)
{
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
}

void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, pi / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, pi / 2, pi);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void topRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x, y + height);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_arc(cr, x + width - radius, y + radius, radius, -pi / 2, 0);
    cairo_line_to(cr, x + width, y + height);
    cairo_close_path(cr);
}

void fillCircle(cairo_t* cr, double x, double y, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, radius, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
}

void strokeLine(cairo_t* cr, double x1, double y1, double x2, double y2, double width)
{
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

}  // namespace quorvo::art
