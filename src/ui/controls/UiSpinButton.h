#pragma once

// One arrow of a spin box: a small translucent blue button with a black
// triangle pointing up or down, darker under the mouse and while pressed.
// It never takes the focus (the edit beside it keeps it); a click reaches
// the program as any button's does. Two of them stacked at an edit's right
// edge make the spin variant of a number box:
//
//     auto& up = edit.add<UiSpinButton>(FloatRect {57, 0, 23, 10}, SpinDirection::Up);
//     up.bind(EventType::Click, [&] { step(+1); });

#include "ui/core/UiButtonBase.h"

namespace quorvo::ui {

enum class SpinDirection { Up, Down };

class UiSpinButton final : public UiButtonBase {
public:
    UiSpinButton(FloatRect rect, SpinDirection direction);

    [[nodiscard]] SpinDirection direction() const { return m_direction; }

protected:
    bool paintButton(gfx::Painter& painter, ButtonState state) override;

private:
    SpinDirection m_direction = SpinDirection::Up;
};

}  // namespace quorvo::ui
