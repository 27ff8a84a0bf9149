#include "gfx/TextLayout.h"

#include "gfx/CairoSupport.h"
#include "gfx/FontSystem.h"

#include <algorithm>
#include <cmath>

namespace quorvo::gfx {

namespace {

std::size_t utf8Length(std::string_view text, std::size_t offset)
{
    const auto lead = static_cast<unsigned char>(text[offset]);
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return std::min(length, text.size() - offset);
}

int pangoUnits(double pixels)
{
    return static_cast<int>(std::lround(pixels * PANGO_SCALE));
}

PangoTabArray* tabArrayFor(const StringFormat& format)
{
    const std::vector<float>& distances = format.tabStops();
    if (distances.empty()) {
        return nullptr;
    }
    constexpr int stopCount = 32;
    PangoTabArray* tabs = pango_tab_array_new(stopCount, TRUE);
    double position = format.tabOffset();
    for (int i = 0; i < stopCount; ++i) {
        position += distances[std::min<std::size_t>(static_cast<std::size_t>(i), distances.size() - 1)];
        pango_tab_array_set_tab(tabs, i, PANGO_TAB_LEFT, static_cast<int>(std::lround(position)));
    }
    return tabs;
}

}  // namespace

PreparedText prepareText(std::string_view utf8, HotkeyPrefix prefixMode)
{
    PreparedText prepared;
    prepared.display.reserve(utf8.size());
    const bool prefixes = prefixMode == HotkeyPrefix::Show || prefixMode == HotkeyPrefix::Hide;
    bool underlineNext = false;
    for (std::size_t offset = 0; offset < utf8.size();) {
        const std::size_t length = utf8Length(utf8, offset);
        const std::string_view character = utf8.substr(offset, length);
        if (prefixes && character == "&" && !underlineNext) {
            // "&" hides itself and marks the next character; "&&" is one "&".
            prepared.displayOffset.push_back(-1);
            underlineNext = true;
            offset += length;
            continue;
        }
        const int start = static_cast<int>(prepared.display.size());
        prepared.displayOffset.push_back(start);
        prepared.display.append(character);
        if (underlineNext && character != "&" && prefixMode == HotkeyPrefix::Show) {
            prepared.underlined.emplace_back(start, static_cast<int>(prepared.display.size()));
        }
        underlineNext = false;
        offset += length;
    }
    return prepared;
}

TextLayout::TextLayout(cairo_t* cr, std::string_view utf8, const Font& font, const StringFormat& format,
                       const FloatRect& box)
    : m_text(prepareText(utf8, format.hotkeyPrefix()))
    , m_box(box)
    , m_flags(format.flags())
{
    PangoContext* context = FontSystem::instance().context();
    pango_cairo_update_context(cr, context);
    m_layout = pango_layout_new(context);

    const Font& effectiveFont = font.isNull() ? defaultFont() : font;
    if (!effectiveFont.isNull()) {
        pango_layout_set_font_description(m_layout, effectiveFont.data()->description);
    }
    pango_layout_set_text(m_layout, m_text.display.data(), static_cast<int>(m_text.display.size()));

    PangoAttrList* attributes = pango_attr_list_new();
    const FontStyle style = effectiveFont.style();
    if (hasStyle(style, FontStyle::Underline)) {
        pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    }
    if (hasStyle(style, FontStyle::Strikeout)) {
        pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    }
    for (const auto& [start, end] : m_text.underlined) {
        PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        underline->start_index = static_cast<guint>(start);
        underline->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attributes, underline);
    }
    pango_layout_set_attributes(m_layout, attributes);
    pango_attr_list_unref(attributes);

    if (PangoTabArray* tabs = tabArrayFor(format)) {
        pango_layout_set_tabs(m_layout, tabs);
        pango_tab_array_free(tabs);
    }

    const bool bounded = box.width > 0.0f;
    const bool noWrap = format.hasFlag(StringFormatFlags::NoWrap);
    const StringTrimming trimming = format.trimming();
    PangoEllipsizeMode ellipsis = PANGO_ELLIPSIZE_NONE;
    if (trimming == StringTrimming::EllipsisCharacter || trimming == StringTrimming::EllipsisWord) {
        ellipsis = PANGO_ELLIPSIZE_END;
    } else if (trimming == StringTrimming::EllipsisPath) {
        ellipsis = PANGO_ELLIPSIZE_MIDDLE;
    }
    switch (format.align()) {
    case StringAlignment::Center:
        pango_layout_set_alignment(m_layout, PANGO_ALIGN_CENTER);
        break;
    case StringAlignment::Far:
        pango_layout_set_alignment(m_layout, PANGO_ALIGN_RIGHT);
        break;
    default:
        pango_layout_set_alignment(m_layout, PANGO_ALIGN_LEFT);
        break;
    }
    pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
    if (bounded && (!noWrap || ellipsis != PANGO_ELLIPSIZE_NONE)) {
        pango_layout_set_width(m_layout, pangoUnits(box.width));
        pango_layout_set_ellipsize(m_layout, ellipsis);
        if (!noWrap && ellipsis != PANGO_ELLIPSIZE_NONE && box.height > 0.0f) {
            // Only the lines that fit are kept, the last one ends in an ellipsis.
            pango_layout_set_height(m_layout, pangoUnits(box.height));
        }
        m_originX = box.x;
    } else {
        // Unwrapped: align the whole block within the box ourselves.
        PangoRectangle logical {};
        pango_layout_get_extents(m_layout, nullptr, &logical);
        const double width = static_cast<double>(logical.width) / PANGO_SCALE;
        double factor = 0.0;
        if (format.align() == StringAlignment::Center) {
            factor = 0.5;
        } else if (format.align() == StringAlignment::Far) {
            factor = 1.0;
        }
        m_originX
            = box.x + (bounded ? (box.width - width) * factor : 0.0) - static_cast<double>(logical.x) / PANGO_SCALE;
    }
    m_originY = box.y;

    m_clip = !format.hasFlag(StringFormatFlags::NoClip);
    if (box.height > 0.0f) {
        m_clipHeight = box.height;
        if (format.hasFlag(StringFormatFlags::LineLimit)) {
            // Only whole lines: cut at the bottom of the last line that fits.
            double lastFit = 0.0;
            PangoLayoutIter* iter = pango_layout_get_iter(m_layout);
            do {
                int top = 0;
                int bottom = 0;
                pango_layout_iter_get_line_yrange(iter, &top, &bottom);
                if (static_cast<double>(bottom) / PANGO_SCALE <= box.height + 0.001) {
                    lastFit = static_cast<double>(bottom) / PANGO_SCALE;
                }
            } while (pango_layout_iter_next_line(iter));
            pango_layout_iter_free(iter);
            m_clipHeight = lastFit;
            m_clip = true;
        }
    }
}

TextLayout::~TextLayout()
{
    if (m_layout != nullptr) {
        g_object_unref(m_layout);
    }
}

void TextLayout::draw(cairo_t* cr, Argb colour, double dx, double dy) const
{
    cairo_save(cr);
    cairo_new_path(cr);
    if (m_clip) {
        const double width = m_box.width > 0.0f ? m_box.width : 2 * hugeCoordinate;
        const double x = m_box.width > 0.0f ? m_box.x + dx : -hugeCoordinate;
        const double height = m_clipHeight > 0.0 ? m_clipHeight : 2 * hugeCoordinate;
        const double y = m_clipHeight > 0.0 ? m_box.y + dy : -hugeCoordinate;
        cairo_rectangle(cr, x, y, width, height);
        cairo_clip(cr);
    }
    setSource(cr, colour);
    cairo_move_to(cr, m_originX + dx, m_originY + dy);
    pango_cairo_update_layout(cr, m_layout);
    pango_cairo_show_layout(cr, m_layout);
    cairo_restore(cr);
}

std::vector<bool> TextLayout::trailingSpaceBytes() const
{
    std::vector<bool> trailing(m_text.display.size(), false);
    for (GSList* item = pango_layout_get_lines_readonly(m_layout); item != nullptr; item = item->next) {
        const auto* line = static_cast<PangoLayoutLine*>(item->data);
        int end = line->start_index + line->length;
        while (end > line->start_index
               && (m_text.display[static_cast<std::size_t>(end - 1)] == ' '
                   || m_text.display[static_cast<std::size_t>(end - 1)] == '\n'
                   || m_text.display[static_cast<std::size_t>(end - 1)] == '\r')) {
            --end;
            trailing[static_cast<std::size_t>(end)] = true;
        }
    }
    return trailing;
}

std::optional<FloatRect> TextLayout::rangeBox(int first, int count) const
{
    if (first < 0 || count < 0 || first + count > characterCount()) {
        return std::nullopt;
    }
    const std::vector<bool> trailing
        = (static_cast<int>(m_flags) & static_cast<int>(StringFormatFlags::MeasureTrailingSpaces)) != 0
        ? std::vector<bool>()
        : trailingSpaceBytes();
    bool any = false;
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    for (int i = first; i < first + count; ++i) {
        const int offset = m_text.displayOffset[static_cast<std::size_t>(i)];
        if (offset < 0 || (!trailing.empty() && trailing[static_cast<std::size_t>(offset)])) {
            continue;
        }
        PangoRectangle pos {};
        pango_layout_index_to_pos(m_layout, offset, &pos);
        const double x1 = std::min(pos.x, pos.x + pos.width) / static_cast<double>(PANGO_SCALE);
        const double x2 = std::max(pos.x, pos.x + pos.width) / static_cast<double>(PANGO_SCALE);
        const double y1 = pos.y / static_cast<double>(PANGO_SCALE);
        const double y2 = (pos.y + pos.height) / static_cast<double>(PANGO_SCALE);
        if (!any) {
            left = x1;
            right = x2;
            top = y1;
            bottom = y2;
            any = true;
        } else {
            left = std::min(left, x1);
            right = std::max(right, x2);
            top = std::min(top, y1);
            bottom = std::max(bottom, y2);
        }
    }
    if (!any) {
        return FloatRect {};
    }
    return FloatRect {static_cast<float>(m_originX + left), static_cast<float>(m_originY + top),
                      static_cast<float>(right - left), static_cast<float>(bottom - top)};
}

FloatRect TextLayout::extent() const
{
    PangoRectangle logical {};
    pango_layout_get_extents(m_layout, nullptr, &logical);
    return {static_cast<float>(m_originX + static_cast<double>(logical.x) / PANGO_SCALE),
            static_cast<float>(m_originY + static_cast<double>(logical.y) / PANGO_SCALE),
            static_cast<float>(static_cast<double>(logical.width) / PANGO_SCALE),
            static_cast<float>(static_cast<double>(logical.height) / PANGO_SCALE)};
}

}  // namespace quorvo::gfx
