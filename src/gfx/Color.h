#pragma once

// Colours: 32-bit ARGB, alpha in the top byte, then red, green, blue.

#include <cstdint>

namespace quorvo::gfx {

using Argb = std::uint32_t;

// A Windows-style RGB value (0x00BBGGRR) plus an alpha becomes ARGB. An alpha of
// 255 (also the default) becomes 254, as every colour of the framework does.
constexpr Argb toArgb(std::uint32_t rgb, int alpha = 255)
{
    const std::uint32_t red = rgb & 0xFFu;
    const std::uint32_t green = (rgb >> 8) & 0xFFu;
    const std::uint32_t blue = (rgb >> 16) & 0xFFu;
    std::uint32_t a = static_cast<std::uint32_t>(alpha) & 0xFFu;
    if (a == 255u) {
        a = 254u;
    }
    return (a << 24) | (red << 16) | (green << 8) | blue;
}

constexpr int alphaOf(Argb colour)
{
    return static_cast<int>(colour >> 24);
}
constexpr int redOf(Argb colour)
{
    return static_cast<int>((colour >> 16) & 0xFFu);
}
constexpr int greenOf(Argb colour)
{
    return static_cast<int>((colour >> 8) & 0xFFu);
}
constexpr int blueOf(Argb colour)
{
    return static_cast<int>(colour & 0xFFu);
}

constexpr Argb argb(int alpha, int red, int green, int blue)
{
    return (static_cast<Argb>(alpha & 0xFF) << 24) | (static_cast<Argb>(red & 0xFF) << 16)
        | (static_cast<Argb>(green & 0xFF) << 8) | static_cast<Argb>(blue & 0xFF);
}

// Luminance 0.299 R + 0.587 G + 0.114 B below 192 (exactly 192 is light).
constexpr bool isDark(Argb colour)
{
    const double luminance = 0.299 * redOf(colour) + 0.587 * greenOf(colour) + 0.114 * blueOf(colour);
    return luminance < 192.0;
}

}  // namespace quorvo::gfx
