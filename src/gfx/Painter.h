#pragma once

// A drawing context on a Surface: the "graphics" every painter draws into.
// Anti-aliased by default, pixel units, state saved and restored in pairs.

#include "gfx/CairoFwd.h"
#include "gfx/Color.h"
#include "runtime/Geometry.h"

namespace quorvo::gfx {

class Path;
class Surface;

enum class CombineMode { Replace = 0, Intersect = 1, Union = 2, Xor = 3, Exclude = 4, Complement = 5 };

class Painter {
public:
    explicit Painter(Surface& target);
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    ~Painter();

    [[nodiscard]] bool isValid() const { return m_cr != nullptr; }
    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }
    // The target's device scale: what scratch surfaces drawn back into it use.
    [[nodiscard]] int deviceScale() const { return m_deviceScale; }

    void setAntialias(bool on);
    [[nodiscard]] bool antialias() const { return m_antialias; }

    void save();
    void restore();
    [[nodiscard]] int saveDepth() const { return m_saveDepth; }

    void translate(float dx, float dy);
    // Intersects the clip with a rectangle (pixel edges, no adjustment).
    void clipRect(const FloatRect& rect);
    // Combines the clip with a filled path. Replace, Intersect and Exclude are
    // supported; the others leave the clip unchanged and return false.
    bool clipPath(const Path& path, CombineMode mode);
    void resetClip();

    // Sets every pixel (inside the clip) to `colour`, not blended.
    void clear(Argb colour);

    // Draws `source` (a part of it, in pixels) scaled into `dest`, its alpha
    // multiplied by alphaScale (0..1). Slices are sampled without bleeding
    // pixels from outside the source rectangle.
    void drawSurface(const Surface& source, const FloatRect& dest, const FloatRect& sourceRect,
                     double alphaScale = 1.0);
    // Draws all of `source` at its own size.
    void drawSurface(const Surface& source, float x, float y, double alphaScale = 1.0);
    // Replaces the pixels inside the clip by `source` at (x, y), alpha and all
    // (transparent beyond it): a clear and a draw in one pass.
    void copySurface(const Surface& source, float x, float y);

    // For the graphics layer itself.
    [[nodiscard]] cairo_t* native() const { return m_cr; }

private:
    cairo_t* m_cr = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_deviceScale = 1;
    int m_saveDepth = 0;
    bool m_antialias = true;
};

// Restores the painter's state (clip, translation, antialias) at scope end.
class PainterStateSaver {
public:
    explicit PainterStateSaver(Painter& painter)
        : m_painter(painter)
        , m_antialias(painter.antialias())
    {
        m_painter.save();
    }
    PainterStateSaver(const PainterStateSaver&) = delete;
    PainterStateSaver& operator=(const PainterStateSaver&) = delete;
    ~PainterStateSaver()
    {
        m_painter.restore();
        m_painter.setAntialias(m_antialias);
    }

private:
    Painter& m_painter;
    bool m_antialias;
};

}  // namespace quorvo::gfx
