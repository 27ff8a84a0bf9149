#pragma once

// The controls' own notifications, raised as ValueEvents to a handler bound
// to the type (`box.bind(changedEvent, ...)`).

#include "ui/core/Event.h"

namespace quorvo::ui {

// A scroll bar's position changed; value = the position.
inline constexpr EventType scrolledEvent = EventType {0x2901};
// A check box's or radio button's checked state, or a tab's selection,
// changed; value = 1 when it is now set, 0 when cleared.
inline constexpr EventType changedEvent = EventType {0x2902};

}  // namespace quorvo::ui
