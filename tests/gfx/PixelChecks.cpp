#include "PixelChecks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quorvo::gfx::test {

std::optional<PixelBox> drawnBox(const Surface& surface)
{
    std::optional<PixelBox> box;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if ((surface.rawPixel(x, y) >> 24) == 0) {
                continue;
            }
            if (!box) {
                box = PixelBox {x, y, x, y};
            } else {
                box->left = std::min(box->left, x);
                box->top = std::min(box->top, y);
                box->right = std::max(box->right, x);
                box->bottom = std::max(box->bottom, y);
            }
        }
    }
    return box;
}

int countPixels(const Surface& surface, const std::function<bool(Argb)>& predicate)
{
    int count = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (predicate(surface.pixel(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

int countDrawn(const Surface& surface)
{
    return countPixels(surface, [](Argb colour) { return alphaOf(colour) != 0; });
}

bool samePixels(const Surface& a, const Surface& b)
{
    if (a.width() != b.width() || a.height() != b.height()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.rawPixel(x, y) != b.rawPixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

std::string hex(Argb colour)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", colour);
    return buffer;
}

int colourDistance(Argb a, Argb b)
{
    return std::max({std::abs(alphaOf(a) - alphaOf(b)), std::abs(redOf(a) - redOf(b)),
                     std::abs(greenOf(a) - greenOf(b)), std::abs(blueOf(a) - blueOf(b))});
}

}  // namespace quorvo::gfx::test
