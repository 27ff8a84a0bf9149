#include "gfx/Shapes.h"

#include "gfx/CairoSupport.h"

#include <cairo.h>

#include <array>
#include <cmath>
#include <span>

namespace quorvo::gfx {

namespace {

// Strokes are placed on pixel centres.
constexpr double strokeOffset = 0.5;

constexpr Argb sunkenShadow = toArgb(0x000000, 160);
constexpr Argb sunkenLight = toArgb(0xFFFFFF, 245);
constexpr Argb raisedLight = toArgb(0xFFFFFF, 245);
constexpr Argb raisedShadow = toArgb(0x000000, 168);
constexpr Argb solidFrameDefault = toArgb(0x646464, 255);
constexpr Argb dashedFrameDefault = toArgb(0x000000, 120);

void applyDash(cairo_t* cr, DashStyle dash, double width)
{
    static constexpr std::array<double, 2> dashPattern {3, 1};
    static constexpr std::array<double, 2> dotPattern {1, 1};
    static constexpr std::array<double, 4> dashDotPattern {3, 1, 1, 1};
    static constexpr std::array<double, 6> dashDotDotPattern {3, 1, 1, 1, 1, 1};
    std::span<const double> pattern;
    switch (dash) {
    case DashStyle::Solid:
        cairo_set_dash(cr, nullptr, 0, 0);
        return;
    case DashStyle::Dash:
        pattern = dashPattern;
        break;
    case DashStyle::Dot:
        pattern = dotPattern;
        break;
    case DashStyle::DashDot:
        pattern = dashDotPattern;
        break;
    case DashStyle::DashDotDot:
        pattern = dashDotDotPattern;
        break;
    }
    // Dash lengths are multiples of the pen width.
    std::array<double, 6> scaled {};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        scaled[i] = pattern[i] * width;
    }
    // Half a pixel into the pattern: dashes then start and end on pixel edges
    // of a path that runs through pixel centres.
    cairo_set_dash(cr, scaled.data(), static_cast<int>(pattern.size()), strokeOffset);
}

void strokeLine(cairo_t* cr, Argb colour, double x1, double y1, double x2, double y2, double width)
{
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    setSource(cr, colour);
    cairo_move_to(cr, x1 + strokeOffset, y1 + strokeOffset);
    cairo_line_to(cr, x2 + strokeOffset, y2 + strokeOffset);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void strokeRectangle(cairo_t* cr, const FloatRect& rect, Argb colour, double width, DashStyle dash)
{
    const double w = rect.width - 1.0;
    const double h = rect.height - 1.0;
    if (w < 0.0 || h < 0.0) {
        return;
    }
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    applyDash(cr, dash, width);
    setSource(cr, colour);
    cairo_rectangle(cr, rect.x + strokeOffset, rect.y + strokeOffset, w, h);
    cairo_stroke(cr);
    cairo_restore(cr);
}

}  // namespace

void fillRect(Painter& painter, const FloatRect& rect, Argb colour)
{
    cairo_t* cr = painter.native();
    const double w = rect.width - 1.0;
    const double h = rect.height - 1.0;
    if (cr == nullptr || w <= 0.0 || h <= 0.0) {
        return;
    }
    cairo_save(cr);
    cairo_new_path(cr);
    setSource(cr, colour);
    cairo_rectangle(cr, rect.x, rect.y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
}

void fillGradient(Painter& painter, const FloatRect& rect, Argb start, Argb end, GradientMode mode)
{
    cairo_t* cr = painter.native();
    const double w = rect.width - 1.0;
    const double h = rect.height - 1.0;
    if (cr == nullptr || w <= 0.0 || h <= 0.0) {
        return;
    }
    // The gradient lives in the unit square of the whole rectangle; the
    // diagonal modes run corner to corner, so their colour lines follow the
    // other diagonal whatever the rectangle's proportions.
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    switch (mode) {
    case GradientMode::Horizontal:
        x1 = 1.0;
        break;
    case GradientMode::Vertical:
        y1 = 1.0;
        break;
    case GradientMode::ForwardDiagonal:
        x1 = 1.0;
        y1 = 1.0;
        break;
    case GradientMode::BackwardDiagonal:
        x0 = 1.0;
        y1 = 1.0;
        break;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
    addColorStop(pattern, 0.0, start);
    addColorStop(pattern, 1.0, end);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REFLECT);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, 1.0 / rect.width, 1.0 / rect.height);
    cairo_matrix_translate(&matrix, -rect.x, -rect.y);
    cairo_pattern_set_matrix(pattern, &matrix);

    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, rect.x, rect.y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

void drawLine(Painter& painter, Argb colour, float x1, float y1, float x2, float y2, float width)
{
    if (painter.native() == nullptr || width <= 0.0f) {
        return;
    }
    strokeLine(painter.native(), colour, x1, y1, x2, y2, width);
}

void drawFrame(Painter& painter, const FloatRect& rect, std::uint32_t style, std::optional<Argb> colour, float width)
{
    cairo_t* cr = painter.native();
    if (cr == nullptr || style == frame::None || width <= 0.0f) {
        return;
    }
    const float x = rect.x;
    const float y = rect.y;
    const float right = rect.x + rect.width - 1.0f;
    const float bottom = rect.y + rect.height - 1.0f;
    switch (style) {
    case frame::Sunken:
        strokeLine(cr, sunkenShadow, x, y, right, y, width);
        strokeLine(cr, sunkenShadow, x, y, x, bottom, width);
        strokeLine(cr, sunkenLight, x, bottom, right, bottom, width / 2.0f);
        strokeLine(cr, sunkenLight, right, y, right, bottom, width / 2.0f);
        return;
    case frame::Raised:
        strokeLine(cr, raisedLight, x, y, x + rect.width - 2.0f, y, width / 2.0f);
        strokeLine(cr, raisedLight, x, y, x, y + rect.height - 2.0f, width / 2.0f);
        strokeLine(cr, raisedShadow, x, bottom, right, bottom, width);
        strokeLine(cr, raisedShadow, right, y, right, y + rect.height - 2.0f, width);
        return;
    case frame::Solid:
        strokeRectangle(cr, rect, colour.value_or(solidFrameDefault), width, DashStyle::Solid);
        return;
    case frame::Dashed:
        strokeRectangle(cr, rect, colour.value_or(dashedFrameDefault), width, DashStyle::Dash);
        return;
    default:
        // Any other style value is the colour itself.
        strokeRectangle(cr, rect, style, width, DashStyle::Solid);
        return;
    }
}

void fillRoundRect(Painter& painter, const FloatRect& rect, float diameter, Argb colour)
{
    cairo_t* cr = painter.native();
    if (cr == nullptr) {
        return;
    }
    const Path path = roundRectPath(rect, static_cast<int>(diameter));
    cairo_save(cr);
    cairo_new_path(cr);
    path.appendTo(cr);
    cairo_set_fill_rule(cr, fillRuleOf(path.fillMode()));
    setSource(cr, colour);
    cairo_fill(cr);
    cairo_restore(cr);
}

void drawRoundRect(Painter& painter, const FloatRect& rect, float diameter, Argb colour, DashStyle dash, float width)
{
    cairo_t* cr = painter.native();
    if (cr == nullptr || width <= 0.0f) {
        return;
    }
    const Path path = roundRectPath(rect, static_cast<int>(diameter));
    cairo_save(cr);
    cairo_new_path(cr);
    path.appendTo(cr, static_cast<float>(strokeOffset), static_cast<float>(strokeOffset));
    cairo_set_line_width(cr, width);
    applyDash(cr, dash, width);
    setSource(cr, colour);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void drawSpotGlow(Painter& painter, float x, float y)
{
    cairo_t* cr = painter.native();
    if (cr == nullptr) {
        return;
    }
    constexpr double radius = 18.0;
    cairo_pattern_t* pattern = cairo_pattern_create_radial(x, y, 0.0, x, y, radius);
    addColorStop(pattern, 0.0, toArgb(0xFFFFFF, 255));
    addColorStop(pattern, 1.0, toArgb(0xFFFFFF, 50));
    cairo_save(cr);
    cairo_new_path(cr);
    // The gradient brush paints only inside its ellipse, so the 36 x 36 fill is a disc.
    cairo_arc(cr, x, y, radius, 0.0, 2.0 * 3.14159265358979323846);
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

}  // namespace quorvo::gfx
