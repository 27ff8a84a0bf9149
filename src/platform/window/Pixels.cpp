#include "platform/window/Pixels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quorvo::platform {

namespace {

// One source pixel's share in a target pixel, along one axis.
struct Tap {
    int index = 0;
    double weight = 0;
};

// For each of `target` positions, the source positions it draws from.
std::vector<std::vector<Tap>> axisTaps(int source, int target)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(target));
    const double step = static_cast<double>(source) / target;
    for (int t = 0; t < target; ++t) {
        std::vector<Tap>& into = taps[static_cast<std::size_t>(t)];
        if (source >= target) {
            // The area [begin, end) of the source, each pixel by its overlap.
            const double begin = t * step;
            const double end = (t + 1) * step;
            for (auto i = static_cast<int>(begin); i < source && i < end; ++i) {
                const double overlap = std::min(end, i + 1.0) - std::max(begin, static_cast<double>(i));
                if (overlap > 0)
                    into.push_back({i, overlap / step});
            }
        } else {
            const double centre = (t + 0.5) * step - 0.5;
            const double below = std::floor(centre);
            const double fraction = centre - below;
            const int first = std::clamp(static_cast<int>(below), 0, source - 1);
            const int second = std::clamp(static_cast<int>(below) + 1, 0, source - 1);
            into.push_back({first, 1 - fraction});
            into.push_back({second, fraction});
        }
    }
    return taps;
}

}  // namespace

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

PixelBuffer copyOf(const PixelView& source)
{
    if (!source.valid())
        return {};
    PixelBuffer copy(source.width, source.height);
    for (int y = 0; y < source.height; ++y)
        std::copy_n(source.row(y), source.width, &copy.at(0, y));
    return copy;
}

PixelBuffer resampled(const PixelView& source, int width, int height)
{
    if (!source.valid() || width <= 0 || height <= 0)
        return {};
    const std::vector<std::vector<Tap>> columns = axisTaps(source.width, width);
    const std::vector<std::vector<Tap>> rows = axisTaps(source.height, height);
    // Across first (every source row to the target's width), then down.
    std::vector<std::array<double, 4>> across(static_cast<std::size_t>(source.height)
                                              * static_cast<std::size_t>(width));
    for (int y = 0; y < source.height; ++y) {
        const std::uint32_t* row = source.row(y);
        for (int x = 0; x < width; ++x) {
            std::array<double, 4>& sum
                = across[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
            for (const Tap& tap : columns[static_cast<std::size_t>(x)]) {
                for (std::size_t channel = 0; channel < 4; ++channel)
                    sum[channel] += tap.weight * static_cast<double>((row[tap.index] >> (8 * channel)) & 0xFFu);
            }
        }
    }
    PixelBuffer target(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::array<double, 4> sum {};
            for (const Tap& tap : rows[static_cast<std::size_t>(y)]) {
                const std::array<double, 4>& part
                    = across[static_cast<std::size_t>(tap.index) * static_cast<std::size_t>(width)
                             + static_cast<std::size_t>(x)];
                for (std::size_t channel = 0; channel < 4; ++channel)
                    sum[channel] += tap.weight * part[channel];
            }
            std::array<std::uint32_t, 4> channels {};
            for (std::size_t channel = 0; channel < 4; ++channel)
                channels[channel] = static_cast<std::uint32_t>(std::clamp(std::lround(sum[channel]), 0L, 255L));
            // Rounding must not leave a colour above its alpha (premultiplied).
            for (std::size_t channel = 0; channel < 3; ++channel)
                channels[channel] = std::min(channels[channel], channels[3]);
            target.at(x, y) = channels[0] | channels[1] << 8 | channels[2] << 16 | channels[3] << 24;
        }
    }
    return target;
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
