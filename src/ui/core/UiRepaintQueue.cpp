#include "ui/core/UiRepaintQueue.h"

#include <algorithm>

namespace quorvo::ui {

void UiRepaintQueue::add(const FloatRect& rect, bool first)
{
    if (rect.empty()) {
        return;
    }
    const bool covered
        = std::any_of(m_items.begin(), m_items.end(), [&](const FloatRect& item) { return item.contains(rect); });
    if (covered) {
        return;
    }
    // Whatever the new rectangle covers is painted with it.
    std::erase_if(m_items, [&](const FloatRect& item) { return rect.contains(item); });
    if (first) {
        m_items.push_front(rect);
    } else {
        m_items.push_back(rect);
    }
}

std::optional<FloatRect> UiRepaintQueue::takeFront()
{
    if (m_items.empty()) {
        return std::nullopt;
    }
    const FloatRect rect = m_items.front();
    m_items.pop_front();
    return rect;
}

}  // namespace quorvo::ui
