#pragma once

// A figure to fill, stroke or clip to: arcs, ellipses and rectangles in the
// order they were added. Kept as data so that it can be inspected and replayed
// onto any painter.

#include "gfx/CairoFwd.h"
#include "runtime/Geometry.h"

#include <variant>
#include <vector>

namespace quorvo::gfx {

enum class FillMode { Alternate = 0, Winding = 1 };

class Path {
public:
    // An elliptical arc inside `box`; angles in degrees, clockwise from +x.
    struct Arc {
        FloatRect box;
        float startAngle = 0.0f;
        float sweepAngle = 0.0f;
    };
    struct Ellipse {
        FloatRect box;
    };
    struct Rectangle {
        FloatRect box;
    };
    struct Close { };
    using Element = std::variant<Arc, Ellipse, Rectangle, Close>;

    explicit Path(FillMode mode = FillMode::Alternate)
        : m_fillMode(mode)
    { }

    void addArc(FloatRect box, float startAngle, float sweepAngle);
    void addEllipse(FloatRect box);
    void addRectangle(FloatRect box);
    void closeFigure();

    [[nodiscard]] FillMode fillMode() const { return m_fillMode; }
    [[nodiscard]] const std::vector<Element>& elements() const { return m_elements; }
    [[nodiscard]] std::vector<Arc> arcs() const;
    [[nodiscard]] bool empty() const { return m_elements.empty(); }

    // Replays the figure onto a cairo context, shifted by (dx, dy).
    void appendTo(cairo_t* cr, float dx = 0.0f, float dy = 0.0f) const;

private:
    FillMode m_fillMode = FillMode::Alternate;
    std::vector<Element> m_elements;
};

// The rounded rectangle of every rounded control: four d x d arcs whose right
// and bottom ones sit at x + width - d - 1 and y + height - d - 1, so the
// outline stays within width - 1 and height - 1 like the other painters.
Path roundRectPath(const FloatRect& rect, int diameter, FillMode mode = FillMode::Alternate);

}  // namespace quorvo::gfx
