#include "ui/controls/UiExclusiveGroup.h"

#include "ui/core/UiHost.h"

#include <vector>

namespace quorvo::ui {

void clearGroupSiblings(UiControl& self, const UiExclusiveMember& member)
{
    std::span<const std::unique_ptr<UiControl>> siblings;
    if (self.parent() != nullptr)
        siblings = self.parent()->children();
    else if (self.host() != nullptr)
        siblings = self.host()->controls();

    // Collected first: a change handler may add or remove controls.
    std::vector<UiExclusiveMember*> others;
    for (const auto& sibling : siblings) {
        if (sibling.get() == &self || sibling->kind() != self.kind() || sibling->isDestroyed())
            continue;
        auto* other = dynamic_cast<UiExclusiveMember*>(sibling.get());
        if (other != nullptr && other->exclusiveGroup() == member.exclusiveGroup())
            others.push_back(other);
    }
    for (UiExclusiveMember* other : others)
        other->clearByGroup();
}

}  // namespace quorvo::ui
