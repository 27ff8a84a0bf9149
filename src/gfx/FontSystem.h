#pragma once

// The text engine's shared state: one pango font map and context, the list of
// installed families and the CJK face that "宋体" maps onto. Private to
// src/gfx; used on the UI thread only.

#include "gfx/Font.h"

#include <pango/pangocairo.h>

#include <string>
#include <unordered_set>

namespace quorvo::gfx {

struct FontData {
    std::string family;    // as asked for, UTF-8
    std::string resolved;  // pango family list
    float size = 12.0f;
    FontStyle style = FontStyle::Regular;
    PangoFontDescription* description = nullptr;

    FontData() = default;
    FontData(const FontData&) = delete;
    FontData& operator=(const FontData&) = delete;
    ~FontData();
};

class FontSystem {
public:
    static FontSystem& instance();
    // Drops the instance; the next instance() builds a new one.
    static void release();

    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;
    ~FontSystem();

    [[nodiscard]] PangoContext* context() const { return m_context; }
    [[nodiscard]] bool familyExists(const std::string& utf8Family) const;
    // The pango family list for a requested family.
    [[nodiscard]] std::string resolve(const std::string& utf8Family) const;
    [[nodiscard]] const std::string& cjkFace() const { return m_cjkFace; }
    [[nodiscard]] std::string defaultSansFace() const;

    FontSystem();

private:
    PangoFontMap* m_fontMap = nullptr;
    PangoContext* m_context = nullptr;
    std::unordered_set<std::string> m_families;  // folded to lower case
    std::string m_cjkFace;
};

// Lower-cases ASCII letters only (family names compare case-insensitively).
std::string foldFamily(std::string_view name);

}  // namespace quorvo::gfx
