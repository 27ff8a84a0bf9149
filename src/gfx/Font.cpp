#include "gfx/Font.h"

#include "gfx/FontSystem.h"
#include "runtime/Encoding.h"

#include <cairo.h>

namespace quorvo::gfx {

namespace {

constexpr float defaultFontSize = 12.0f;

Text song()
{
    return encoding::fromUtf8("宋体");
}

Font makeFont(const std::string& utf8Family, float size, FontStyle style)
{
    auto data = std::make_shared<FontData>();
    data->family = utf8Family;
    data->resolved = FontSystem::instance().resolve(utf8Family);
    data->size = size;
    data->style = style;
    data->description = pango_font_description_new();
    pango_font_description_set_family(data->description, data->resolved.c_str());
    pango_font_description_set_absolute_size(data->description, static_cast<double>(size) * PANGO_SCALE);
    pango_font_description_set_weight(data->description,
                                      hasStyle(style, FontStyle::Bold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(data->description,
                                     hasStyle(style, FontStyle::Italic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return Font(std::move(data));
}

}  // namespace

Text Font::familyName() const
{
    return isNull() ? Text() : encoding::fromUtf8(m_data->family);
}
float Font::size() const
{
    return isNull() ? 0.0f : m_data->size;
}
FontStyle Font::style() const
{
    return isNull() ? FontStyle::Regular : m_data->style;
}
std::string Font::resolvedFamilies() const
{
    return isNull() ? std::string() : m_data->resolved;
}

Text systemFontName(int /*which*/)
{
    // The desktop has one interface face; fontconfig's sans-serif stands for
    // the menu, caption and message fonts alike.
    std::string face = FontSystem::instance().defaultSansFace();
    if (face.empty() || foldFamily(face) == "tahoma" || !FontSystem::instance().familyExists(face)) {
        return song();
    }
    return encoding::fromUtf8(face);
}

bool familyExists(const Text& family)
{
    return FontSystem::instance().familyExists(encoding::toUtf8(family.view()));
}

Font createDefaultFont()
{
    if (familyExists(song())) {
        return makeFont(encoding::toUtf8(song().view()), defaultFontSize, FontStyle::Regular);
    }
    const Text caption = systemFontName();
    if (familyExists(caption)) {
        return makeFont(encoding::toUtf8(caption.view()), defaultFontSize, FontStyle::Regular);
    }
    return {};
}

const Font& defaultFont()
{
    static const Font font = createDefaultFont();
    return font;
}

Font createFont(const Text& family, float size, FontStyle style)
{
    if (!(size > 0.0f)) {
        return {};
    }
    if (familyExists(family)) {
        return makeFont(encoding::toUtf8(family.view()), size, style);
    }
    const Font& fallback = defaultFont();
    if (fallback.isNull()) {
        return {};
    }
    return makeFont(encoding::toUtf8(fallback.familyName().view()), size, style);
}

void releaseTextEngine()
{
    // Only what we own. Tearing down cairo's and fontconfig's process-wide
    // caches as well (cairo_debug_reset_static_data, FcFini) races pango's
    // background fontconfig initialisation and aborts on live fonts.
    FontSystem::release();
}

float fontHeight(const Painter& painter, const Font& font)
{
    if (font.isNull()) {
        return 0.0f;
    }
    PangoContext* context = FontSystem::instance().context();
    if (painter.native() != nullptr) {
        pango_cairo_update_context(painter.native(), context);
    }
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font.data()->description, nullptr);
    const int height = pango_font_metrics_get_height(metrics);
    pango_font_metrics_unref(metrics);
    return static_cast<float>(height) / PANGO_SCALE;
}

}  // namespace quorvo::gfx
