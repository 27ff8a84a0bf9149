#pragma once

// One text laid out in its box with a font and a string format: the shared
// engine of measureText and drawText. Private to src/gfx.

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/StringFormat.h"
#include "runtime/Geometry.h"

#include <pango/pangocairo.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvo::gfx {

// The text as shown once hot-key prefixes are handled: "&x" becomes "x"
// (underlined when shown), "&&" becomes "&".
struct PreparedText {
    std::string display;             // UTF-8
    std::vector<int> displayOffset;  // per source character: its byte offset in `display`, or -1 when removed
    std::vector<std::pair<int, int>> underlined;  // byte ranges [start, end) in `display`
};
PreparedText prepareText(std::string_view utf8, HotkeyPrefix prefixMode);

class TextLayout {
public:
    TextLayout(cairo_t* cr, std::string_view utf8, const Font& font, const StringFormat& format, const FloatRect& box);
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;
    ~TextLayout();

    // Draws in `colour`, shifted by (dx, dy), clipped to the box unless the format says otherwise.
    void draw(cairo_t* cr, Argb colour, double dx = 0.0, double dy = 0.0) const;
    // Box of source characters [first, first + count); nullopt when the range is outside the text.
    [[nodiscard]] std::optional<FloatRect> rangeBox(int first, int count) const;
    // Box of everything laid out.
    [[nodiscard]] FloatRect extent() const;
    [[nodiscard]] int characterCount() const { return static_cast<int>(m_text.displayOffset.size()); }

private:
    [[nodiscard]] std::vector<bool> trailingSpaceBytes() const;

    PangoLayout* m_layout = nullptr;
    PreparedText m_text;
    FloatRect m_box;
    double m_originX = 0.0;
    double m_originY = 0.0;
    double m_clipHeight = 0.0;  // 0: unbounded
    bool m_clip = true;
    StringFormatFlags m_flags = StringFormatFlags::None;
};

}  // namespace quorvo::gfx
