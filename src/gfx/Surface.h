#pragma once

// A premultiplied ARGB32 pixel surface: a control's own surface, a back buffer,
// an image frame. Owns its pixels, or wraps memory someone else owns (a
// window's back buffer). Move-only.
//
// A surface may have a device scale (HiDPI): it then holds width() x scale()
// by height() x scale() pixels, everything drawn into it is given in logical
// units (width() x height()) and lands sharp on the finer grid, and drawing it
// elsewhere places it at its logical size. The pixel accessors, data() and
// the PNG writers address the device pixels.

#include "gfx/CairoFwd.h"
#include "gfx/Color.h"

#include <cstdint>
#include <string>

namespace quorvo::gfx {

class Surface {
public:
    Surface() = default;
    // A cleared (transparent) surface; null when the size is not positive or
    // too large, or the scale is below 1.
    static Surface create(int width, int height, int scale = 1);
    // Wraps memory of `height` rows of `stride` bytes, premultiplied ARGB32 in
    // native byte order. The memory must outlive the surface.
    static Surface wrap(std::uint32_t* pixels, int width, int height, int stride);

    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    [[nodiscard]] bool isNull() const { return m_surface == nullptr; }
    explicit operator bool() const { return !isNull(); }
    // Logical size.
    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }
    [[nodiscard]] int scale() const { return m_scale; }
    // Device pixels: the size times the scale.
    [[nodiscard]] int pixelWidth() const { return m_width * m_scale; }
    [[nodiscard]] int pixelHeight() const { return m_height * m_scale; }
    [[nodiscard]] int stride() const;

    // Premultiplied device pixel as stored; 0 outside the surface.
    [[nodiscard]] std::uint32_t rawPixel(int x, int y) const;
    // The same pixel with alpha divided out (what a colour picker shows).
    [[nodiscard]] Argb pixel(int x, int y) const;
    // Stores a straight-alpha colour at one pixel (premultiplying it).
    void setPixel(int x, int y, Argb colour);
    void clear(Argb colour = 0);
    // A deep copy of the pixels.
    [[nodiscard]] Surface copy() const;

    // Writes the surface as a PNG file (UTF-8 path). False on failure.
    bool writePng(const std::string& path) const;
    // The surface as PNG bytes; empty on failure.
    [[nodiscard]] std::string encodePng() const;

    // The pixel rows (premultiplied ARGB32, `stride` bytes apart), with every
    // pending drawing flushed; for presenting. Null for a null surface.
    [[nodiscard]] const std::uint8_t* data() const;

    // For the graphics layer itself.
    [[nodiscard]] cairo_surface_t* native() const { return m_surface; }
    // Tells cairo that pixels were changed behind its back.
    void markDirty();

private:
    explicit Surface(cairo_surface_t* surface);

    cairo_surface_t* m_surface = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_scale = 1;
};

// Largest edge and area the graphics layer allocates; anything larger is
// refused rather than attempted (a hostile image header, a runaway size).
inline constexpr int maxSurfaceEdge = 16384;
inline constexpr std::int64_t maxSurfacePixels = std::int64_t {8192} * 8192;
inline constexpr int maxSurfaceScale = 4;

}  // namespace quorvo::gfx
