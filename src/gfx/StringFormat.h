#pragma once

// How a text is laid out in its box: alignment, trimming, hot-key prefix,
// format flags (the framework's flag bits) and tab stops. A small value type;
// each accessor sets when given a value and returns the current value.

#include <optional>
#include <vector>

namespace quorvo::gfx {

enum class StringAlignment { Near = 0, Center = 1, Far = 2 };

enum class StringTrimming {
    None = 0,
    Character = 1,
    Word = 2,
    EllipsisCharacter = 3,
    EllipsisWord = 4,
    EllipsisPath = 5,
};

// Hot-key prefix: "&x" draws x underlined (Show), or just x (Hide).
enum class HotkeyPrefix { None = 0, Show = 1, Hide = 2 };

// Format flags, combined with |.
enum class StringFormatFlags {
    None = 0,
    MeasureTrailingSpaces = 0x0800,
    NoWrap = 0x1000,
    LineLimit = 0x2000,
    NoClip = 0x4000,
};

constexpr StringFormatFlags operator|(StringFormatFlags a, StringFormatFlags b)
{
    return static_cast<StringFormatFlags>(static_cast<int>(a) | static_cast<int>(b));
}

class StringFormat {
public:
    explicit StringFormat(StringFormatFlags flags = StringFormatFlags::None)
        : m_flags(flags)
    { }

    StringAlignment align(std::optional<StringAlignment> value = std::nullopt);
    StringTrimming trimming(std::optional<StringTrimming> value = std::nullopt);
    HotkeyPrefix hotkeyPrefix(std::optional<HotkeyPrefix> value = std::nullopt);
    StringFormatFlags flags(std::optional<StringFormatFlags> value = std::nullopt);

    [[nodiscard]] StringAlignment align() const { return m_align; }
    [[nodiscard]] StringTrimming trimming() const { return m_trimming; }
    [[nodiscard]] HotkeyPrefix hotkeyPrefix() const { return m_hotkeyPrefix; }
    [[nodiscard]] StringFormatFlags flags() const { return m_flags; }
    [[nodiscard]] bool hasFlag(StringFormatFlags flag) const
    {
        return (static_cast<int>(m_flags) & static_cast<int>(flag)) != 0;
    }

    // The first stop lies at firstOffset + distances[0]; each further stop
    // one distance on, the last distance repeating.
    void setTabStops(float firstOffset, std::vector<float> distances);
    [[nodiscard]] float tabOffset() const { return m_tabOffset; }
    [[nodiscard]] const std::vector<float>& tabStops() const { return m_tabStops; }

    friend bool operator==(const StringFormat&, const StringFormat&) = default;

private:
    StringAlignment m_align = StringAlignment::Near;
    StringTrimming m_trimming = StringTrimming::Character;
    HotkeyPrefix m_hotkeyPrefix = HotkeyPrefix::None;
    StringFormatFlags m_flags = StringFormatFlags::None;
    float m_tabOffset = 0.0f;
    std::vector<float> m_tabStops;
};

}  // namespace quorvo::gfx
