#pragma once

// Measuring and drawing program text (GBK bytes; invalid bytes draw as "?")
// with a font and a string format, optionally over a glow or an outline that
// keeps it readable on any background.

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/StringFormat.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <optional>

namespace quorvo::gfx {

enum class TextEffect {
    None = 0,
    Glow = 3,     // a blurred halo, 3x down- and up-scaled
    Outline = 4,  // a crisp one-pixel halo
};

// White with alpha 85 behind dark text, black with alpha 75 behind light text.
Argb haloColourFor(Argb textColour);

// Text rectangles are cut to whole pixels toward zero.
FloatRect wholePixelRect(const FloatRect& rect);

// Box of the characters [first, first + count) of `text` (0-based, counted in
// characters, hot-key "&" included) as laid out in `layout`; nullopt when the
// range lies outside the text.
std::optional<FloatRect> measureText(const Painter& painter, const Text& text, const Font& font,
                                     const StringFormat& format, int first, int count, const FloatRect& layout);

// Box of the whole text as laid out in `layout`.
FloatRect measureString(const Painter& painter, const Text& text, const Font& font, const StringFormat& format,
                        const FloatRect& layout);

// A null font means the default font.
void drawText(Painter& painter, const FloatRect& rect, const Text& text, const Font& font, Argb colour,
              const StringFormat& format, TextEffect effect = TextEffect::None,
              std::optional<Argb> effectColour = std::nullopt);

// The halo alone: the text five times (centred and shifted one pixel each way)
// in a work surface 7 pixels larger, shrunk by `scale` and stretched back over
// the rectangle moved by (-4, -4). Exposed for the benchmark and tests.
void drawHalo(Painter& painter, const FloatRect& rect, const Text& text, const Font& font, const StringFormat& format,
              Argb effectColour, double scale);

}  // namespace quorvo::gfx
