#pragma once

// How a text is laid out in its box: alignment, trimming, hot-key prefix,
// format flags (the framework's flag bits) and tab stops. A small value type;
// each accessor sets when given a value and returns the current value.

#include <optional>
#include <vector>

namespace quorvo::gfx {

namespace stringformat {
// Alignment
inline constexpr int Near = 0;
inline constexpr int Center = 1;
inline constexpr int Far = 2;
// Trimming
inline constexpr int TrimNone = 0;
inline constexpr int TrimCharacter = 1;
inline constexpr int TrimWord = 2;
inline constexpr int TrimEllipsisCharacter = 3;
inline constexpr int TrimEllipsisWord = 4;
inline constexpr int TrimEllipsisPath = 5;
// Hot-key prefix: "&x" draws x underlined (Show), or just x (Hide).
inline constexpr int PrefixNone = 0;
inline constexpr int PrefixShow = 1;
inline constexpr int PrefixHide = 2;
// Format flags
inline constexpr int MeasureTrailingSpaces = 0x0800;
inline constexpr int NoWrap = 0x1000;
inline constexpr int LineLimit = 0x2000;
inline constexpr int NoClip = 0x4000;
}  // namespace stringformat

class StringFormat {
public:
    explicit StringFormat(int flags = 0)
        : m_flags(flags)
    { }

    int align(std::optional<int> value = std::nullopt);
    int trimming(std::optional<int> value = std::nullopt);
    int hotkeyPrefix(std::optional<int> value = std::nullopt);
    int flags(std::optional<int> value = std::nullopt);

    [[nodiscard]] int align() const { return m_align; }
    [[nodiscard]] int trimming() const { return m_trimming; }
    [[nodiscard]] int hotkeyPrefix() const { return m_hotkeyPrefix; }
    [[nodiscard]] int flags() const { return m_flags; }
    [[nodiscard]] bool hasFlag(int flag) const { return (m_flags & flag) != 0; }

    // The first stop lies at firstOffset + distances[0]; each further stop
    // one distance on, the last distance repeating.
    void setTabStops(float firstOffset, std::vector<float> distances);
    [[nodiscard]] float tabOffset() const { return m_tabOffset; }
    [[nodiscard]] const std::vector<float>& tabStops() const { return m_tabStops; }

    friend bool operator==(const StringFormat&, const StringFormat&) = default;

private:
    int m_align = stringformat::Near;
    int m_trimming = stringformat::TrimCharacter;
    int m_hotkeyPrefix = stringformat::PrefixNone;
    int m_flags = 0;
    float m_tabOffset = 0.0f;
    std::vector<float> m_tabStops;
};

}  // namespace quorvo::gfx
