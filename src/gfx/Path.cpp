#include "gfx/Path.h"

#include <cairo.h>

#include <numbers>

namespace quorvo::gfx {

namespace {

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

void appendArc(cairo_t* cr, const FloatRect& box, double startDegrees, double sweepDegrees, bool newSubPath)
{
    if (box.width <= 0.0f || box.height <= 0.0f) {
        // A degenerate corner is a point: keep the figure connected through it.
        if (newSubPath) {
            cairo_move_to(cr, box.x, box.y);
        } else {
            cairo_line_to(cr, box.x, box.y);
        }
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, box.x + box.width / 2.0, box.y + box.height / 2.0);
    cairo_scale(cr, box.width / 2.0, box.height / 2.0);
    if (newSubPath) {
        cairo_new_sub_path(cr);
    }
    const double from = radians(startDegrees);
    const double to = radians(startDegrees + sweepDegrees);
    if (sweepDegrees >= 0) {
        cairo_arc(cr, 0.0, 0.0, 1.0, from, to);
    } else {
        cairo_arc_negative(cr, 0.0, 0.0, 1.0, from, to);
    }
    cairo_restore(cr);
}

FloatRect shifted(FloatRect box, float dx, float dy)
{
    return {box.x + dx, box.y + dy, box.width, box.height};
}

}  // namespace

void Path::addArc(FloatRect box, float startAngle, float sweepAngle)
{
    m_elements.emplace_back(Arc {box, startAngle, sweepAngle});
}
void Path::addEllipse(FloatRect box)
{
    m_elements.emplace_back(Ellipse {box});
}
void Path::addRectangle(FloatRect box)
{
    m_elements.emplace_back(Rectangle {box});
}
void Path::closeFigure()
{
    m_elements.emplace_back(Close {});
}

std::vector<Path::Arc> Path::arcs() const
{
    std::vector<Arc> result;
    for (const Element& element : m_elements) {
        if (const auto* arc = std::get_if<Arc>(&element)) {
            result.push_back(*arc);
        }
    }
    return result;
}

void Path::appendTo(cairo_t* cr, float dx, float dy) const
{
    bool figureOpen = false;
    for (const Element& element : m_elements) {
        if (const auto* arc = std::get_if<Arc>(&element)) {
            appendArc(cr, shifted(arc->box, dx, dy), arc->startAngle, arc->sweepAngle, !figureOpen);
            figureOpen = true;
        } else if (const auto* ellipse = std::get_if<Ellipse>(&element)) {
            appendArc(cr, shifted(ellipse->box, dx, dy), 0.0, 360.0, true);
            cairo_close_path(cr);
            figureOpen = false;
        } else if (const auto* rectangle = std::get_if<Rectangle>(&element)) {
            cairo_rectangle(cr, rectangle->box.x + dx, rectangle->box.y + dy, rectangle->box.width,
                            rectangle->box.height);
            figureOpen = false;
        } else {
            if (figureOpen) {
                cairo_close_path(cr);
            }
            figureOpen = false;
        }
    }
}

Path roundRectPath(const FloatRect& rect, int diameter, FillMode mode)
{
    const auto d = static_cast<float>(diameter);
    const float right = rect.x + rect.width - d - 1.0f;
    const float bottom = rect.y + rect.height - d - 1.0f;
    Path path(mode);
    path.addArc({rect.x, rect.y, d, d}, 180.0f, 90.0f);
    path.addArc({right, rect.y, d, d}, 270.0f, 90.0f);
    path.addArc({right, bottom, d, d}, 0.0f, 90.0f);
    path.addArc({rect.x, bottom, d, d}, 90.0f, 90.0f);
    path.closeFigure();
    return path;
}

}  // namespace quorvo::gfx
