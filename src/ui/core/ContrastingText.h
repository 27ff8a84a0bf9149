#pragma once

// The automatic text colour of labels and buttons: readable over whatever
// lies under the control.

#include "gfx/Color.h"

namespace quorvo::ui {

class UiControl;

// White over a dark background, black over a light one, with `colour`'s
// alpha. The background is the host's picture (or, without one, its colour)
// sampled at nine points under the control; dark when five or more are.
// Without a host: black.
[[nodiscard]] gfx::Argb contrastingTextColour(const UiControl& control, gfx::Argb colour);

}  // namespace quorvo::ui
