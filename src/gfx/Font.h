#pragma once

// Fonts in pixel units. Family names are program text; "宋体" and "SimSun"
// resolve onto the installed CJK font so that Latin and CJK glyphs of a caption
// come from one face.

#include "gfx/Painter.h"
#include "runtime/Text.h"

#include <memory>

namespace quorvo::gfx {

// Style bits, combined with |.
enum class FontStyle { Regular = 0, Bold = 1, Italic = 2, Underline = 4, Strikeout = 8 };

constexpr FontStyle operator|(FontStyle a, FontStyle b)
{
    return static_cast<FontStyle>(static_cast<int>(a) | static_cast<int>(b));
}
constexpr bool hasStyle(FontStyle styles, FontStyle style)
{
    return (static_cast<int>(styles) & static_cast<int>(style)) != 0;
}

struct FontData;

class Font {
public:
    Font() = default;
    explicit Font(std::shared_ptr<const FontData> data)
        : m_data(std::move(data))
    { }

    [[nodiscard]] bool isNull() const { return m_data == nullptr; }
    explicit operator bool() const { return !isNull(); }

    // The family as asked for ("宋体"), not the face it resolved to.
    [[nodiscard]] Text familyName() const;
    [[nodiscard]] float size() const;
    [[nodiscard]] FontStyle style() const;
    // The face list handed to the text engine (UTF-8), for diagnostics.
    [[nodiscard]] std::string resolvedFamilies() const;

    [[nodiscard]] const FontData* data() const { return m_data.get(); }

private:
    std::shared_ptr<const FontData> m_data;
};

// "宋体" at 12 pixels, regular; falls back to the system caption face.
Font createDefaultFont();
// The framework's default font, created on first use and kept for the process.
const Font& defaultFont();
// The desktop's caption face (which: 1 menu, 2 caption, 3 message; all the same
// here); "Tahoma", and any face that cannot be made, become "宋体".
Text systemFontName(int which = 2);
// True when the family is installed or is one of the mapped CJK names.
bool familyExists(const Text& family);
// A family the system lacks falls back to the default font's family.
Font createFont(const Text& family, float size, FontStyle style);

// Line spacing in pixels.
float fontHeight(const Painter& painter, const Font& font);

// At program end: frees the text engine's font map and context. Text drawn
// afterwards starts the engine again. Fontconfig keeps its parsed
// configuration for the process; programs checked with LeakSanitizer suppress
// "leak:libfontconfig.so" (see gfx-gallery's main).
void releaseTextEngine();

}  // namespace quorvo::gfx
