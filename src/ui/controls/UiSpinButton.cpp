#include "ui/controls/UiSpinButton.h"

#include "gfx/Color.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <algorithm>

namespace quorvo::ui {

UiSpinButton::UiSpinButton(FloatRect rect, SpinDirection direction)
    : UiButtonBase(rect, Text())
    , m_direction(direction)
{
    setFocusable(false);
}

bool UiSpinButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    const float w = width();
    const float h = height();
    const int alpha = state == ButtonState::Pressed ? 90 : state == ButtonState::Hover ? 60 : 30;
    gfx::fillRect(painter, {0, 0, w, h}, gfx::argb(alpha, 0, 96, 192));
    // The triangle, one line of pixels at a time from its tip.
    const bool up = m_direction == SpinDirection::Up;
    const float cx = w / 2;
    const float cy = h / 2;
    const float half = std::min(4.0f, h / 2 - 1);
    for (int line = 0; line < static_cast<int>(half); ++line) {
        const float y = up ? cy - half / 2 + static_cast<float>(line) : cy + half / 2 - static_cast<float>(line);
        gfx::drawLine(painter, gfx::argb(190, 0, 0, 0), cx - static_cast<float>(line), y,
                      cx + static_cast<float>(line) + 1, y);
    }
    return true;
}

}  // namespace quorvo::ui
