#include "Artwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace quorvo::art {

namespace {

constexpr int width = 410;
constexpr int height = 650;

// A small deterministic hash for film grain; no library random engine, so
// the picture cannot change with the standard library.
uint32_t hash(uint32_t x, uint32_t y)
{
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

void addStop(cairo_pattern_t* pattern, double offset, int r, int g, int b)
{
    cairo_pattern_add_color_stop_rgb(pattern, offset, r / 255.0, g / 255.0, b / 255.0);
}

// A flowing line across the picture, like a slow sound wave.
void wave(cairo_t* cr, double baseline, double amplitude, double wavelength, double phase, double alpha,
          double lineWidth)
{
    constexpr double pi = std::numbers::pi;
    cairo_move_to(cr, -10, baseline + amplitude * std::sin(phase - 10 * 2 * pi / wavelength));
    for (int x = -10; x <= width + 10; x += 2) {
        const double envelope = 0.55 + 0.45 * std::sin(pi * (x + 10) / (width + 20));
        cairo_line_to(cr, x, baseline + envelope * amplitude * std::sin(phase + x * 2 * pi / wavelength));
    }
    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

}  // namespace

Canvas background()
{
    Canvas canvas(width, height);
    cairo_t* cr = canvas.cr();

    // Deep at the top, where white captions and tabs sit on the picture; the
    // window colour in the middle, under the panels; deep again at the bottom.
    cairo_pattern_t* base = cairo_pattern_create_linear(0, 0, 0, height);
    addStop(base, 0.0, 158, 64, 48);
    addStop(base, 0.14, 186, 86, 62);
    addStop(base, 0.45, 221, 122, 92);
    addStop(base, 0.80, 204, 104, 82);
    addStop(base, 1.0, 150, 62, 58);
    cairo_set_source(cr, base);
    cairo_paint(cr);
    cairo_pattern_destroy(base);

    // Warm light falling in from the upper right.
    cairo_pattern_t* glow = cairo_pattern_create_radial(350, 20, 0, 350, 20, 300);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.86, 0.70, 0.30);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.86, 0.70, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);

    // A shade of plum rising from the lower left.
    cairo_pattern_t* shade = cairo_pattern_create_radial(30, 660, 0, 30, 660, 320);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0.40, 0.12, 0.22, 0.35);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0.40, 0.12, 0.22, 0);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);

    // Quiet waves behind the caption and the bottom band.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    wave(cr, 52, 14, 330, 0.4, 0.10, 1.2);
    wave(cr, 58, 10, 250, 2.1, 0.08, 1.0);
    wave(cr, 46, 18, 410, 4.0, 0.06, 2.0);
    wave(cr, 618, 9, 300, 1.3, 0.10, 1.2);
    wave(cr, 626, 13, 380, 3.3, 0.07, 1.6);

    // Fine grain keeps the gradients free of bands after compression.
    cairo_surface_flush(canvas.surface());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 5) - 2;
            uint32_t pixel = row[x];
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int channel = static_cast<int>((pixel >> shift) & 0xFF) + grain;
                out |= static_cast<uint32_t>(std::clamp(channel, 0, 255)) << shift;
            }
            row[x] = out;
        }
    }
    cairo_surface_mark_dirty(canvas.surface());
    return canvas;
}

}  // namespace quorvo::art
