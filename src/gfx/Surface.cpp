#include "gfx/Surface.h"

#include <cairo.h>

#include <cstring>
#include <utility>

namespace quorvo::gfx {

namespace {

bool sizeAllowed(int width, int height)
{
    return width > 0 && height > 0 && width <= maxSurfaceEdge && height <= maxSurfaceEdge
        && std::int64_t {width} * height <= maxSurfacePixels;
}

}  // namespace

Surface::Surface(cairo_surface_t* surface)
    : m_surface(surface)
{
    if (m_surface != nullptr && cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }
    if (m_surface != nullptr) {
        m_width = cairo_image_surface_get_width(m_surface);
        m_height = cairo_image_surface_get_height(m_surface);
    }
}

Surface Surface::create(int width, int height, int scale)
{
    if (scale < 1 || scale > maxSurfaceScale || !sizeAllowed(width, height)
        || !sizeAllowed(width * scale, height * scale)) {
        return {};
    }
    // cairo hands out zero-filled memory, i.e. transparent pixels.
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale));
    if (!surface.isNull() && scale != 1) {
        cairo_surface_set_device_scale(surface.m_surface, scale, scale);
        surface.m_width = width;
        surface.m_height = height;
        surface.m_scale = scale;
    }
    return surface;
}

Surface Surface::wrap(std::uint32_t* pixels, int width, int height, int stride)
{
    if (pixels == nullptr || !sizeAllowed(width, height) || stride < width * 4 || stride % 4 != 0) {
        return {};
    }
    return Surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32,
                                                       width, height, stride));
}

Surface::Surface(Surface&& other) noexcept
    : m_surface(std::exchange(other.m_surface, nullptr))
    , m_width(std::exchange(other.m_width, 0))
    , m_height(std::exchange(other.m_height, 0))
    , m_scale(std::exchange(other.m_scale, 1))
{ }

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        if (m_surface != nullptr) {
            cairo_surface_destroy(m_surface);
        }
        m_surface = std::exchange(other.m_surface, nullptr);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_scale = std::exchange(other.m_scale, 1);
    }
    return *this;
}

Surface::~Surface()
{
    if (m_surface != nullptr) {
        cairo_surface_destroy(m_surface);
    }
}

int Surface::stride() const
{
    return m_surface != nullptr ? cairo_image_surface_get_stride(m_surface) : 0;
}

const std::uint8_t* Surface::data() const
{
    if (m_surface == nullptr) {
        return nullptr;
    }
    cairo_surface_flush(m_surface);
    return cairo_image_surface_get_data(m_surface);
}

std::uint32_t Surface::rawPixel(int x, int y) const
{
    if (m_surface == nullptr || x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) {
        return 0;
    }
    cairo_surface_flush(m_surface);
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + static_cast<std::ptrdiff_t>(y) * stride();
    std::uint32_t value = 0;
    std::memcpy(&value, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof value);
    return value;
}

Argb Surface::pixel(int x, int y) const
{
    const std::uint32_t raw = rawPixel(x, y);
    const std::uint32_t alpha = raw >> 24;
    if (alpha == 0) {
        return 0;
    }
    const auto unpremultiply = [alpha](std::uint32_t channel) { return (channel * 255u + alpha / 2u) / alpha; };
    return (alpha << 24) | (unpremultiply((raw >> 16) & 0xFFu) << 16) | (unpremultiply((raw >> 8) & 0xFFu) << 8)
        | unpremultiply(raw & 0xFFu);
}

void Surface::setPixel(int x, int y, Argb colour)
{
    if (m_surface == nullptr || x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) {
        return;
    }
    cairo_surface_flush(m_surface);
    const std::uint32_t alpha = colour >> 24;
    const auto premultiply = [alpha](std::uint32_t channel) { return (channel * alpha + 127u) / 255u; };
    const std::uint32_t value = (alpha << 24) | (premultiply((colour >> 16) & 0xFFu) << 16)
        | (premultiply((colour >> 8) & 0xFFu) << 8) | premultiply(colour & 0xFFu);
    unsigned char* row = cairo_image_surface_get_data(m_surface) + static_cast<std::ptrdiff_t>(y) * stride();
    std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &value, sizeof value);
    cairo_surface_mark_dirty(m_surface);
}

void Surface::clear(Argb colour)
{
    if (m_surface == nullptr) {
        return;
    }
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, redOf(colour) / 255.0, greenOf(colour) / 255.0, blueOf(colour) / 255.0,
                          alphaOf(colour) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
}

Surface Surface::copy() const
{
    if (m_surface == nullptr) {
        return {};
    }
    Surface result = create(m_width, m_height, m_scale);
    if (result.isNull()) {
        return result;
    }
    cairo_t* cr = cairo_create(result.m_surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, m_surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return result;
}

bool Surface::writePng(const std::string& path) const
{
    return m_surface != nullptr && cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::string Surface::encodePng() const
{
    std::string bytes;
    if (m_surface == nullptr) {
        return bytes;
    }
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(m_surface, append, &bytes) != CAIRO_STATUS_SUCCESS) {
        bytes.clear();
    }
    return bytes;
}

void Surface::markDirty()
{
    if (m_surface != nullptr) {
        cairo_surface_mark_dirty(m_surface);
    }
}

}  // namespace quorvo::gfx
