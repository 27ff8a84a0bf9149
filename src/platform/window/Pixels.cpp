#include "platform/window/Pixels.h"

#include <algorithm>
#include <cmath>

namespace quorvo::platform {

PixelBuffer::PixelBuffer(int width, int height)
    : m_pixels(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)), 0u)
    , m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
{ }

void PixelBuffer::fill(std::uint32_t argb)
{
    std::fill(m_pixels.begin(), m_pixels.end(), argb);
}

PixelView PixelBuffer::view() const
{
    return {reinterpret_cast<const std::uint8_t*>(m_pixels.data()), m_width, m_height, stride()};
}

std::vector<IntRect> roundedRectangleRows(const IntRect& area, int ellipse)
{
    std::vector<IntRect> rows;
    if (area.empty()) {
        return rows;
    }
    const double radius = std::clamp(ellipse, 0, std::min(area.width, area.height)) / 2.0;
    if (radius <= 0.0) {
        rows.push_back(area);
        return rows;
    }
    for (int y = 0; y < area.height; ++y) {
        // Distance of the row's centre from the nearer corner circle's centre line.
        const double fromEdge = std::min(y, area.height - 1 - y) + 0.5;
        int inset = 0;
        if (fromEdge < radius) {
            const double dy = radius - fromEdge;
            inset = static_cast<int>(std::ceil(radius - std::sqrt(radius * radius - dy * dy) - 0.5));
        }
        const IntRect row {area.x + inset, area.y + y, area.width - 2 * inset, 1};
        if (row.empty()) {
            continue;
        }
        // Merge equal rows into bands.
        if (!rows.empty() && rows.back().x == row.x && rows.back().width == row.width
            && rows.back().bottom() == row.y) {
            ++rows.back().height;
        } else {
            rows.push_back(row);
        }
    }
    return rows;
}

namespace {

// x * a / 255, rounded, for 0 <= x, a <= 255.
constexpr std::uint32_t scale(std::uint32_t x, std::uint32_t a)
{
    const std::uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

}  // namespace

std::uint32_t composeOverOpaque(std::uint32_t src, std::uint32_t backdrop)
{
    const std::uint32_t alpha = src >> 24;
    if (alpha == 255) {
        return src;
    }
    const std::uint32_t inverse = 255 - alpha;
    std::uint32_t result = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t s = (src >> shift) & 0xFF;
        const std::uint32_t d = (backdrop >> shift) & 0xFF;
        // A malformed (non-premultiplied) source could exceed 255: saturate.
        result |= std::min<std::uint32_t>(s + scale(d, inverse), 255) << shift;
    }
    return result;
}

void composeRowOverOpaque(const std::uint32_t* source, std::uint32_t* target, int count, std::uint32_t backdrop)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t pixel = source[i];
        target[i] = (pixel >> 24) == 255 ? pixel : composeOverOpaque(pixel, backdrop);
    }
}

std::uint32_t unpremultiply(std::uint32_t src)
{
    const std::uint32_t alpha = src >> 24;
    if (alpha == 0) {
        return 0;
    }
    if (alpha == 255) {
        return src;
    }
    std::uint32_t result = alpha << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t c = (src >> shift) & 0xFF;
        result |= std::min<std::uint32_t>((c * 255 + alpha / 2) / alpha, 255) << shift;
    }
    return result;
}

}  // namespace quorvo::platform
