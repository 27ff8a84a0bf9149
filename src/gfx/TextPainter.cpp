#include "gfx/TextPainter.h"

#include "gfx/Surface.h"
#include "gfx/TextLayout.h"
#include "runtime/Encoding.h"

#include <cairo.h>

#include <array>
#include <string>
#include <utility>

namespace quorvo::gfx {

namespace {

// A scratch context for measuring when the painter has no surface.
class MeasureContext {
public:
    explicit MeasureContext(const Painter& painter)
    {
        if (painter.native() != nullptr) {
            m_cr = painter.native();
            return;
        }
        m_scratch = Surface::create(1, 1);
        m_owned = cairo_create(m_scratch.native());
        m_cr = m_owned;
    }
    MeasureContext(const MeasureContext&) = delete;
    MeasureContext& operator=(const MeasureContext&) = delete;
    ~MeasureContext()
    {
        if (m_owned != nullptr) {
            cairo_destroy(m_owned);
        }
    }
    [[nodiscard]] cairo_t* get() const { return m_cr; }

private:
    Surface m_scratch;
    cairo_t* m_owned = nullptr;
    cairo_t* m_cr = nullptr;
};

}  // namespace

Argb haloColourFor(Argb textColour)
{
    return isDark(textColour) ? toArgb(0xFFFFFF, 85) : toArgb(0x000000, 75);
}

FloatRect wholePixelRect(const FloatRect& rect)
{
    const auto whole = [](float value) { return static_cast<float>(static_cast<int>(value)); };
    return {whole(rect.x), whole(rect.y), whole(rect.width), whole(rect.height)};
}

std::optional<FloatRect> measureText(const Painter& painter, const Text& text, const Font& font,
                                     const StringFormat& format, int first, int count, const FloatRect& layout)
{
    const MeasureContext context(painter);
    const TextLayout laidOut(context.get(), encoding::toUtf8(text.view()), font, format, layout);
    return laidOut.rangeBox(first, count);
}

FloatRect measureString(const Painter& painter, const Text& text, const Font& font, const StringFormat& format,
                        const FloatRect& layout)
{
    const MeasureContext context(painter);
    const TextLayout laidOut(context.get(), encoding::toUtf8(text.view()), font, format, layout);
    return laidOut.extent();
}

namespace {

// The halo of an already laid-out text whose box is `box` (whole pixels).
void drawHaloOf(Painter& painter, const FloatRect& box, const TextLayout& laidOut, Argb effectColour, double scale)
{
    const int width = static_cast<int>(box.width);
    const int height = static_cast<int>(box.height);
    Surface work = Surface::create(width + 7, height + 7, painter.deviceScale());
    if (work.isNull()) {
        return;
    }
    {
        cairo_t* cr = cairo_create(work.native());
        // The glyphs at (4, 4) and shifted one pixel left, right, up and down.
        static constexpr std::array<std::pair<int, int>, 5> haloOffsets {{{5, 4}, {3, 4}, {4, 3}, {4, 5}, {4, 4}}};
        for (const auto& [dx, dy] : haloOffsets) {
            laidOut.draw(cr, effectColour, dx - box.x, dy - box.y);
        }
        cairo_destroy(cr);
    }
    const int smallWidth = static_cast<int>(work.width() / scale);
    const int smallHeight = static_cast<int>(work.height() / scale);
    Surface reduced = Surface::create(smallWidth, smallHeight, painter.deviceScale());
    if (reduced.isNull()) {
        return;
    }
    {
        cairo_t* cr = cairo_create(reduced.native());
        cairo_scale(cr, static_cast<double>(smallWidth) / work.width(),
                    static_cast<double>(smallHeight) / work.height());
        cairo_set_source_surface(cr, work.native(), 0.0, 0.0);
        // GOOD averages every covered pixel when shrinking: the blur of the glow.
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    painter.drawSurface(reduced,
                        {box.x - 4.0f, box.y - 4.0f, static_cast<float>(width + 7), static_cast<float>(height + 7)},
                        {0.0f, 0.0f, static_cast<float>(smallWidth), static_cast<float>(smallHeight)});
}

}  // namespace

void drawHalo(Painter& painter, const FloatRect& rect, const Text& text, const Font& font, const StringFormat& format,
              Argb effectColour, double scale)
{
    if (!painter.isValid() || !(scale > 0.0)) {
        return;
    }
    const FloatRect box = wholePixelRect(rect);
    const TextLayout laidOut(painter.native(), encoding::toUtf8(text.view()), font, format, box);
    drawHaloOf(painter, box, laidOut, effectColour, scale);
}

void drawText(Painter& painter, const FloatRect& rect, const Text& text, const Font& font, Argb colour,
              const StringFormat& format, TextEffect effect, std::optional<Argb> effectColour)
{
    if (!painter.isValid() || text.empty()) {
        return;
    }
    const Argb halo = effectColour.value_or(haloColourFor(colour));
    const FloatRect box = wholePixelRect(rect);
    // One layout serves the halo and the text.
    const TextLayout laidOut(painter.native(), encoding::toUtf8(text.view()), font, format, box);
    if (effect == TextEffect::Glow) {
        drawHaloOf(painter, box, laidOut, halo, 3.0);
    } else if (effect == TextEffect::Outline) {
        drawHaloOf(painter, box, laidOut, halo, 1.0);
    }
    laidOut.draw(painter.native(), colour);
}

}  // namespace quorvo::gfx
