#include "gfx/ImageDecoding.h"

#include <cairo.h>
#include <png.h>

#include <bit>

namespace quorvo::gfx::detail {

static_assert(std::endian::native == std::endian::little,
              "BGRA bytes are cairo's ARGB32 only on little-endian machines");

std::optional<Image::Frames> decodePng(std::string_view data)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0) {
        return std::nullopt;
    }
    // The header alone decides: an absurd size is refused before any pixel memory exists.
    if (!dimensionsAllowed(image.width, image.height)) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_BGRA;
    Surface surface = Surface::create(static_cast<int>(image.width), static_cast<int>(image.height));
    if (surface.isNull()) {
        png_image_free(&image);
        return std::nullopt;
    }
    cairo_surface_flush(surface.native());
    unsigned char* pixels = cairo_image_surface_get_data(surface.native());
    // finish_read releases the decoder's state on success and on failure.
    if (png_image_finish_read(&image, nullptr, pixels, surface.stride(), nullptr) == 0) {
        return std::nullopt;
    }
    cairo_surface_mark_dirty(surface.native());
    premultiplyInPlace(surface);
    Image::Frames frames;
    frames.frames.push_back(std::move(surface));
    return frames;
}

}  // namespace quorvo::gfx::detail
