#pragma once

// Shared checks for pixel tests: where something was drawn and in what colour.

#include "gfx/Surface.h"

#include <functional>
#include <optional>
#include <string>

namespace quorvo::gfx::test {

struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;   // inclusive
    int bottom = 0;  // inclusive
    [[nodiscard]] int width() const { return right - left + 1; }
    [[nodiscard]] int height() const { return bottom - top + 1; }
    friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// Bounding box of the pixels with any alpha; nullopt when nothing was drawn.
std::optional<PixelBox> drawnBox(const Surface& surface);
int countPixels(const Surface& surface, const std::function<bool(Argb)>& predicate);
int countDrawn(const Surface& surface);
// True when both surfaces hold the same bytes.
bool samePixels(const Surface& a, const Surface& b);
// "0xAARRGGBB" for failure messages.
std::string hex(Argb colour);
// Channel-wise distance (largest difference of any channel).
int colourDistance(Argb a, Argb b);

}  // namespace quorvo::gfx::test
