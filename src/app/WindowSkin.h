#pragma once

// The program's dress for the framework's windows: its caption icon and the
// caption buttons, from the program's own pictures.

#include "ui/core/UiFramework.h"

namespace quorvo::app {

[[nodiscard]] ui::UiSkin windowSkin();

}  // namespace quorvo::app
