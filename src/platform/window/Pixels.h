#pragma once

// Plain pixel memory shared between the platform layer and the drawing layer.
// Format: 32 bits per pixel, native-endian 0xAARRGGBB, premultiplied alpha —
// the byte layout of cairo's ARGB32 image surfaces, so a cairo surface's data
// can be handed over as is (cairo_image_surface_get_data/_get_stride).

#include "runtime/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvo::platform {

// A read-only view of premultiplied ARGB32 pixels. `stride` is in bytes.
struct PixelView {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    [[nodiscard]] bool valid() const { return data != nullptr && width > 0 && height > 0 && stride >= width * 4; }
    [[nodiscard]] const std::uint32_t* row(int y) const
    {
        return reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    }
    [[nodiscard]] std::uint32_t pixel(int x, int y) const { return row(y)[x]; }
};

// An owned premultiplied ARGB32 image, cleared to transparent.
class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height);

    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }
    [[nodiscard]] int stride() const { return m_width * 4; }
    [[nodiscard]] std::uint8_t* data() { return reinterpret_cast<std::uint8_t*>(m_pixels.data()); }
    [[nodiscard]] std::uint32_t& at(int x, int y) { return m_pixels[index(x, y)]; }
    [[nodiscard]] std::uint32_t at(int x, int y) const { return m_pixels[index(x, y)]; }
    void fill(std::uint32_t argb);
    [[nodiscard]] PixelView view() const;

private:
    [[nodiscard]] std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    std::vector<std::uint32_t> m_pixels;
    int m_width = 0;
    int m_height = 0;
};

// The rows of a rounded rectangle as horizontal bands (equal rows merged),
// like a rounded-rectangle region: `ellipse` is the corner ellipse's width
// and height (0 = square corners).
[[nodiscard]] std::vector<IntRect> roundedRectangleRows(const IntRect& area, int ellipse);

// Premultiplied source over an opaque backdrop colour (its alpha is ignored):
// the result is opaque (alpha 255).
[[nodiscard]] std::uint32_t composeOverOpaque(std::uint32_t premultiplied, std::uint32_t backdrop);

// composeOverOpaque over a run of pixels.
void composeRowOverOpaque(const std::uint32_t* source, std::uint32_t* target, int count, std::uint32_t backdrop);

// A copy of the pixels `source` shows.
[[nodiscard]] PixelBuffer copyOf(const PixelView& source);

// `source` resampled to width × height: each target pixel is the mean of the
// source area it covers, weighted by how much of each pixel it covers, when
// shrinking, and interpolated (bilinear) when growing. The same size copies.
[[nodiscard]] PixelBuffer resampled(const PixelView& source, int width, int height);

// Premultiplied to straight alpha (for system icons and cursors).
[[nodiscard]] std::uint32_t unpremultiply(std::uint32_t premultiplied);

}  // namespace quorvo::platform
