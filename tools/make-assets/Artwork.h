#pragma once

// Every picture of the program, drawn from nothing but code.

#include "Canvas.h"

#include <cairo.h>

namespace quorvo::art {

using GlyphFunction = void (*)(cairo_t*);

// Image-button strips: four frames side by side (normal, hover, pressed,
// disabled), each frameWidth x 20.
Canvas buttonStrip(GlyphFunction glyph, int frameWidth = 20);

// 26 x 26 white tab icon.
Canvas tabIcon(GlyphFunction glyph);
// Three 60 x 45 frames: nothing at x 0, hover at x 60, selected at x 120.
Canvas tabStrip();

// Four 17 x 17 frames: unchecked, unchecked highlighted, checked, checked highlighted.
Canvas checkBoxStrip();
Canvas radioStrip();

// Rows close (39 wide), maximise, restore, minimise, menu (28 wide), each 19
// high; columns normal, hover, pressed, disabled at x = column * row width.
Canvas captionButtons();

// Five 40 x 40 cells: error, warning, question, information, user.
Canvas messageBoxIcons();
// Two 24 x 24 nine-grid pieces (centre 8, 8, 8, 8): the text panel at x 0 and
// the button bar at x 24.
Canvas messageBoxDecoration();

// Two 20 x 26 frames (normal, hovered or dropped); nine-grid centre 5, 5, 10, 16.
Canvas comboFrame();
// Two 15 x 12 frames (closed, dropped).
Canvas comboArrow();

// 18 x 18 icon of the menu item for the author's microblog.
Canvas menuIcon();

// The program icon at one of its sizes.
Canvas programIcon(int size);

// The 410 x 650 window background.
Canvas background();

}  // namespace quorvo::art
