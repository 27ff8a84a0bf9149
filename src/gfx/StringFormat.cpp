#include "gfx/StringFormat.h"

namespace quorvo::gfx {

namespace {

// Out-of-range values are refused, as the underlying setter refuses them.
int update(int& member, std::optional<int> value, int lowest, int highest)
{
    if (value && *value >= lowest && *value <= highest) {
        member = *value;
    }
    return member;
}

}  // namespace

int StringFormat::align(std::optional<int> value)
{
    return update(m_align, value, stringformat::Near, stringformat::Far);
}

int StringFormat::trimming(std::optional<int> value)
{
    return update(m_trimming, value, stringformat::TrimNone, stringformat::TrimEllipsisPath);
}

int StringFormat::hotkeyPrefix(std::optional<int> value)
{
    return update(m_hotkeyPrefix, value, stringformat::PrefixNone, stringformat::PrefixHide);
}

int StringFormat::flags(std::optional<int> value)
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
