#pragma once

// A cairo image surface with its drawing context, and the few shape helpers
// every piece of artwork shares.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace quorvo::art {

// A colour with straight (not premultiplied) components from 0 to 1.
struct Colour {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static constexpr Colour rgb(int r, int g, int b, double a = 1.0) { return {r / 255.0, g / 255.0, b / 255.0, a}; }
    [[nodiscard]] constexpr Colour withAlpha(double a) const { return {red, green, blue, a}; }
};

class Canvas {
public:
    Canvas(int width, int height);
    // Adopts a surface someone else created (a decoded image).
    explicit Canvas(cairo_surface_t* adopted);

    [[nodiscard]] cairo_t* cr() const { return m_context.get(); }
    [[nodiscard]] cairo_surface_t* surface() const { return m_surface.get(); }
    [[nodiscard]] int width() const;
    [[nodiscard]] int height() const;

    // Rows of straight-alpha RGBA, 4 bytes a pixel, no padding.
    [[nodiscard]] std::vector<uint8_t> straightRgba() const;

private:
    struct SurfaceDeleter {
        void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
    };
    struct ContextDeleter {
        void operator()(cairo_t* context) const { cairo_destroy(context); }
    };
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> m_surface;
    std::unique_ptr<cairo_t, ContextDeleter> m_context;
};

// cairo_save/cairo_restore as a scope.
class SavedState {
public:
    explicit SavedState(cairo_t* cr)
        : m_cr(cr)
    {
        cairo_save(m_cr);
    }
    ~SavedState() { cairo_restore(m_cr); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    cairo_t* m_cr;
};

// Translates to a frame of a strip and clips to it for the scope.
class FrameScope {
public:
    FrameScope(cairo_t* cr, double x, double y, double width, double height);

private:
    SavedState m_saved;
};

void setColour(cairo_t* cr, Colour colour);
void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);
// Rounded at the top only: the shape of a tab standing on what is below it.
void topRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);
void fillCircle(cairo_t* cr, double x, double y, double radius);
void strokeLine(cairo_t* cr, double x1, double y1, double x2, double y2, double width);

}  // namespace quorvo::art
