#pragma once

// The simple controls' part of the gallery: every button, mark, tab, caption
// button, label, link and scroll bar in each of its states, and message
// boxes of every button set, each drawn by a real host over the program's
// background picture.

#include "ui/core/UiFramework.h"

#include "gfx/Surface.h"

#include <string>
#include <vector>

namespace quorvo::ui::gallery {

struct GalleryPicture {
    // File name without folder ("check-box.png").
    std::string name;
    gfx::Surface picture;
};

// Draws the sheet of controls ("controls.png"), the single pictures the
// golden-image tests compare ("check-box.png", "radio-button.png",
// "tab-button.png", "message-box.png") and one picture per message box.
std::vector<GalleryPicture> renderControlsGallery(UiFramework& framework);

}  // namespace quorvo::ui::gallery
