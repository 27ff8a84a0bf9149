#pragma once

// The host's queue of rectangles waiting to be recomposed. Queued requests
// append, QueuedFirst ones go to the front; a request already covered by a
// waiting rectangle adds nothing.

#include "runtime/Geometry.h"

#include <deque>
#include <optional>

namespace quorvo::ui {

class UiRepaintQueue {
public:
    void add(const FloatRect& rect, bool first = false);
    [[nodiscard]] std::optional<FloatRect> takeFront();
    void clear() { m_items.clear(); }
    [[nodiscard]] bool empty() const { return m_items.empty(); }
    [[nodiscard]] std::size_t size() const { return m_items.size(); }

private:
    std::deque<FloatRect> m_items;
};

}  // namespace quorvo::ui
