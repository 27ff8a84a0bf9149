#include "gfx/FontSystem.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <memory>

namespace quorvo::gfx {

namespace {

// The names the program asks for that mean "the system's Song face".
constexpr std::array<std::string_view, 4> songAliases {"宋体", "simsun", "新宋体", "nsimsun"};

// Installed faces that carry both Latin and CJK glyphs, most Song-like first.
constexpr std::array<std::string_view, 6> cjkFaces {
    "SimSun", "AR PL UMing CN", "AR PL UMing TW", "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"};

bool isSongAlias(const std::string& folded)
{
    for (std::string_view alias : songAliases) {
        if (folded == alias) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string foldFamily(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

FontData::~FontData()
{
    if (description != nullptr) {
        pango_font_description_free(description);
    }
}

namespace {

std::unique_ptr<FontSystem>& holder()
{
    static std::unique_ptr<FontSystem> system;
    return system;
}

}  // namespace

FontSystem& FontSystem::instance()
{
    std::unique_ptr<FontSystem>& system = holder();
    if (!system) {
        system = std::make_unique<FontSystem>();
    }
    return *system;
}

void FontSystem::release()
{
    holder().reset();
}

FontSystem::FontSystem()
{
    m_fontMap = pango_cairo_font_map_new();
    m_context = pango_font_map_create_context(m_fontMap);
    // Anti-aliased, grid-fitted text, the look of the framework's text hint.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(m_context, options);
    cairo_font_options_destroy(options);

    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(m_fontMap, &families, &count);
    for (int i = 0; i < count; ++i) {
        m_families.insert(foldFamily(pango_font_family_get_name(families[i])));
    }
    g_free(families);
    for (std::string_view face : cjkFaces) {
        if (m_families.contains(foldFamily(face))) {
            m_cjkFace = face;
            break;
        }
    }
}

FontSystem::~FontSystem()
{
    g_object_unref(m_context);
    g_object_unref(m_fontMap);
}

bool FontSystem::familyExists(const std::string& utf8Family) const
{
    const std::string folded = foldFamily(utf8Family);
    if (folded.empty()) {
        return false;
    }
    if (isSongAlias(folded)) {
        return !m_cjkFace.empty() || m_families.contains(folded);
    }
    return m_families.contains(folded);
}

std::string FontSystem::resolve(const std::string& utf8Family) const
{
    const std::string folded = foldFamily(utf8Family);
    if (m_cjkFace.empty()) {
        return utf8Family;
    }
    if (isSongAlias(folded) && !m_families.contains(folded)) {
        return m_cjkFace;
    }
    // Latin faces borrow their CJK glyphs from the same face as "宋体", not
    // from whatever fontconfig would pick per glyph.
    return utf8Family + "," + m_cjkFace;
}

std::string FontSystem::defaultSansFace() const
{
    std::string face;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern == nullptr) {
        return face;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr) {
            face = reinterpret_cast<const char*>(family);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return face;
}

}  // namespace quorvo::gfx
