#pragma once

// Encoders for the committed images and decoders for the contact sheet.
// Output depends only on the pixels: no time stamps, no gamma or text chunks.

#include "Canvas.h"

#include <string>
#include <string_view>

namespace quorvo::art {

inline constexpr std::string_view pngSignature {"\x89PNG\r\n\x1a\n", 8};

// An 8-bit RGBA PNG; without the signature when asked (the framework's own
// strips are stored that way and loaded with it restored).
std::string encodePng(const Canvas& canvas, bool withSignature = true);
// A baseline JPEG of an opaque canvas.
std::string encodeJpeg(const Canvas& canvas, int quality);

// Decoders; a PNG without its signature is accepted too.
Canvas decodePng(std::string_view bytes);
Canvas decodeJpeg(std::string_view bytes);

}  // namespace quorvo::art
