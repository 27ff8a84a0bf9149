#include "gfx/StringFormat.h"

namespace quorvo::gfx {

namespace {

// Out-of-range values are refused, as the underlying setter refuses them.
template <typename Enum> Enum update(Enum& member, std::optional<Enum> value, Enum lowest, Enum highest)
{
    if (value && static_cast<int>(*value) >= static_cast<int>(lowest)
        && static_cast<int>(*value) <= static_cast<int>(highest)) {
        member = *value;
    }
    return member;
}

}  // namespace

StringAlignment StringFormat::align(std::optional<StringAlignment> value)
{
    return update(m_align, value, StringAlignment::Near, StringAlignment::Far);
}

StringTrimming StringFormat::trimming(std::optional<StringTrimming> value)
{
    return update(m_trimming, value, StringTrimming::None, StringTrimming::EllipsisPath);
}

HotkeyPrefix StringFormat::hotkeyPrefix(std::optional<HotkeyPrefix> value)
{
    return update(m_hotkeyPrefix, value, HotkeyPrefix::None, HotkeyPrefix::Hide);
}

StringFormatFlags StringFormat::flags(std::optional<StringFormatFlags> value)
{
    if (value) {
        m_flags = *value;
    }
    return m_flags;
}

void StringFormat::setTabStops(float firstOffset, std::vector<float> distances)
{
    m_tabOffset = firstOffset;
    m_tabStops = std::move(distances);
}

}  // namespace quorvo::gfx
