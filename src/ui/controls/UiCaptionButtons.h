#pragma once

// The buttons in a host window's caption: close (39 wide), maximise/restore,
// minimise and the further 28-wide buttons such as the menu button, drawn
// from the caption-button strip. The host creates and places them through the
// factory that installCaptionButtons() gives the framework; their clicks
// reach the host's onClick with ControlKind::CaptionButton.

#include "ui/core/UiControl.h"
#include "ui/core/UiFramework.h"

namespace quorvo::ui {

class UiCaptionButtons : public UiControl {
public:
    UiCaptionButtons(FloatRect rect, CaptionButtonKind kind);

    [[nodiscard]] CaptionButtonKind buttonKind() const { return m_buttonKind; }

    // Presses are taken (and drawn pressed) although the button never takes the focus.
    [[nodiscard]] bool wantsPress() const override { return true; }
    [[nodiscard]] bool acceptsFocus() const override { return false; }
    // A disabled caption button shows its own disabled frame.
    [[nodiscard]] bool drawsDimmedWhenDisabled() const override { return false; }

protected:
    void paintEvent(PaintEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void mouseUpEvent(MouseEvent& event) override;
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void clickEvent(ClickEvent& event) override;

private:
    enum class Look { Normal = 0, Hover = 1, Pressed = 2 };
    void setLook(Look look);

    CaptionButtonKind m_buttonKind;
    Look m_look = Look::Normal;
};

// Makes every host of `framework` create its caption buttons as UiCaptionButtons.
void installCaptionButtons(UiFramework& framework);

// The caption's menu button (kind 32).
bool isMenuCaptionButton(const UiControl& control);

}  // namespace quorvo::ui
