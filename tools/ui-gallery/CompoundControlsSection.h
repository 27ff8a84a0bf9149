#pragma once

// The gallery's section for the compound controls: a scrolled result list,
// edit boxes, and pictures of an open combo drop-down and an open menu with
// its sub-menu.

#include "gfx/Surface.h"
#include "runtime/Geometry.h"

#include <string>
#include <vector>

namespace quorvo::ui {
class UiHost;
}

namespace quorvo::ui::gallery {

struct SectionPicture {
    std::string name;  // a file-name stem, e.g. "combo-open"
    gfx::Surface picture;
    IntPoint at;  // where the window lay, relative to the host window
};

// Adds the list and the edit boxes to `host` inside `area` (window
// coordinates, about 400 x 520), then opens the combo drop-down and the menu
// one after the other, captures each window and closes it. Returns those
// captures in opening order; the host's own picture shows the rest.
std::vector<SectionPicture> addCompoundControls(UiHost& host, FloatRect area);

}  // namespace quorvo::ui::gallery
