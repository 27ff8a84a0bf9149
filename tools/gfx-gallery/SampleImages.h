#pragma once

// Small pictures made in code, encoded as the formats the image loader reads:
// the gallery shows them and the tests feed them (and broken variants) to it.

#include "gfx/Color.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvo::samples {

using PixelFunction = std::function<gfx::Argb(int x, int y)>;

std::string encodePng(int width, int height, const PixelFunction& pixel);
// Opaque; alpha is ignored. With cmyk the picture is stored as four inks
// (Adobe-style, inverted), as print-oriented programs write it.
std::string encodeJpeg(int width, int height, const PixelFunction& pixel, int quality = 95, bool cmyk = false);

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indexes;  // width * height palette indexes
    int delay = 0;                      // hundredths of a second
    int transparentIndex = -1;
    int disposal = 0;         // 0 none, 1 keep, 2 background, 3 previous
    bool interlaced = false;  // rows stored in the four-pass order
};
// palette: RGB colours (0xRRGGBB), at most 256.
std::string encodeGif(int width, int height, const std::vector<std::uint32_t>& palette,
                      const std::vector<GifFrame>& frames);

// A 30 x 30 picture of nine 10 x 10 blocks, each its own colour, for nine-grid work.
std::string nineBlockPng();
gfx::Argb nineBlockColour(int column, int row);

}  // namespace quorvo::samples
