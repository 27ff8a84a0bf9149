#pragma once

// Decoders of the image loader. Each refuses sizes beyond the surface limits
// before allocating pixels, and reports any decoding error as nullopt.

#include "gfx/Image.h"

#include <optional>
#include <string_view>

namespace quorvo::gfx::detail {

std::optional<Image::Frames> decodePng(std::string_view data);
std::optional<Image::Frames> decodeJpeg(std::string_view data);
std::optional<Image::Frames> decodeGif(std::string_view data, bool allFrames);

bool dimensionsAllowed(long long width, long long height);

// Turns straight-alpha BGRA bytes in a surface into cairo's premultiplied form.
void premultiplyInPlace(Surface& surface);

}  // namespace quorvo::gfx::detail
