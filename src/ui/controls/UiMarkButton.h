#pragma once

// What check boxes and radio buttons share: a checked state and their look,
// a 17 x 17 mark from a four-frame strip (unchecked, unchecked highlighted,
// checked, checked highlighted) in a box at (4, 4), the caption to its right
// and, with the keyboard focus, a frame around the caption.

#include "ui/core/UiButtonBase.h"

#include "gfx/Image.h"

#include <functional>

namespace quorvo::ui {

class UiMarkButton : public UiButtonBase {
public:
    [[nodiscard]] bool isChecked() const { return m_checked; }

    // The checked state changed, by a click or by the program (not for the same value again).
    std::function<void(bool checked)> onCheckedChanged;

    // Left edge of the strip frame shown for a checked state and a button state.
    [[nodiscard]] static int markFrameX(bool checked, ButtonState state);

protected:
    UiMarkButton(FloatRect rect, Text caption, ButtonOptions options, const gfx::Image& strip, ControlKind kind);

    // Compare, assign, repaint, then onCheckedChanged; false when nothing changed.
    bool storeChecked(bool checked);

    bool paintButton(gfx::Painter& painter, ButtonState state) override;

private:
    const gfx::Image& m_strip;
    bool m_checked = false;
};

}  // namespace quorvo::ui
