#pragma once

// The exclusive selection shared by tab buttons and radio buttons: setting
// one member clears every other member of the same group among its siblings
// (same parent, same control kind). Written once here; the members only say
// which group they are in and how they clear themselves.

#include "ui/core/UiControl.h"

namespace quorvo::ui {

class UiExclusiveMember {
public:
    virtual ~UiExclusiveMember() = default;
    [[nodiscard]] virtual int exclusiveGroup() const { return 0; }
    // Clears the selection because another member took it; raises the
    // member's change event when it was set.
    virtual void clearByGroup() = 0;
};

// Clears the other members of `self`'s group among its siblings of its kind.
void clearGroupSiblings(UiControl& self, const UiExclusiveMember& member);

}  // namespace quorvo::ui
