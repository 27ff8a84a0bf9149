#pragma once

// UiButtonBase: the behaviour every button shares (push buttons, check boxes,
// radio buttons, tabs, image buttons, links): a caption with a keyboard
// mnemonic ("是(&Y)" registers Alt+Y), a font and string format, a text
// colour (or one chosen from the background's brightness), an optional image
// beside the caption, and four visual states with short animated changes:
// entering, leaving and losing the focus cross-fade over 4 frames of 60 ms;
// pressing, releasing and gaining the focus repaint at once.
//
// A click arrives as clickEvent() (mouse release over the button, Enter or
// Space with the focus, or the mnemonic) and reaches the program through the
// button's onClick, after the button's own handling (a check box has toggled).
//
// Leaves only paint: override paintButton() and draw the state; return false
// to get the default painter (its pieces are protected, to reuse).

#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Image.h"
#include "gfx/StringFormat.h"
#include "runtime/Text.h"

#include <functional>
#include <optional>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::ui {

enum class ButtonState { Normal = 0, Hover = 1, Pressed = 2, Focused = 3 };

// Where the image sits relative to the caption.
enum class ImagePosition {
    LeftOfCaption = 0,    // both centred
    RightOfCaption = 1,   // both centred
    AboveCaption = 2,     // both centred
    Overlapping = 3,      // both centred on each other
    LeftEdge = 4,         // image at the left edge, caption fills the rest
    CaptionLeftEdge = 5,  // caption at the left edge, image after it
    TopEdge = 6,          // image at the top edge, caption below
};

// The image and caption rectangles inside a W x H box (integer coordinates).
struct ImageCaptionLayout {
    IntRect image;
    IntRect caption;
};
// Null for a position outside 0..6.
[[nodiscard]] std::optional<ImageCaptionLayout> layoutImageAndCaption(int position, float boxWidth, float boxHeight,
                                                                      float imageWidth, float imageHeight,
                                                                      float textWidth, float textHeight, float dx,
                                                                      float dy, float spacing);

// The first character after "&" in a caption (ASCII), or 0.
[[nodiscard]] int mnemonicOf(const Text& caption);

struct ButtonOptions {
    gfx::Argb textColour = gfx::argb(210, 0, 0, 0);
    // A font built from these when any is given; the framework's default font otherwise.
    std::optional<Text> fontName;
    std::optional<float> fontSize;
    std::optional<int> fontStyle;
    int appearance = 0;
    int textEffect = 0;
    // None: the host's frame style (non-zero: rounded).
    std::optional<int> rounded;
    bool visible = true;
};

class UiButtonBase : public UiControl {
public:
    UiButtonBase(FloatRect rect, Text caption, ButtonOptions options = {});

    [[nodiscard]] ButtonState state() const { return m_state; }
    [[nodiscard]] const Text& caption() const { return m_caption; }
    // Registers the new mnemonic (or removes it) and repaints; the same caption does nothing.
    void setCaption(const Text& caption);
    [[nodiscard]] gfx::Argb textColour() const { return m_textColour; }
    void setTextColour(gfx::Argb colour);
    // Read by derived classes (a tab's option value, a check box's style, ...).
    [[nodiscard]] int appearance() const { return m_appearance; }
    void setAppearance(int value);
    [[nodiscard]] const gfx::Font& font() const { return m_font; }
    void setFont(gfx::Font font);
    void setFontName(const Text& name);
    void setFontSize(float size);
    void setFontStyle(int style);
    [[nodiscard]] const gfx::StringFormat& textFormat() const { return m_format; }
    void setTextFormat(const gfx::StringFormat& format);
    [[nodiscard]] int textEffect() const { return m_textEffect; }
    void setTextEffect(int effect);
    [[nodiscard]] bool isRounded() const { return m_rounded.value_or(7) != 0; }
    void setRounded(int rounded);
    [[nodiscard]] bool autoTextColour() const { return m_autoTextColour; }
    void setAutoTextColour(bool on);
    [[nodiscard]] const Bytes& imageBytes() const { return m_imageBytes; }
    void setImage(Bytes image);
    [[nodiscard]] int imagePosition() const { return m_imagePosition; }
    void setImagePosition(int position);
    void setImageOffset(float dx, float dy);
    void setImageSpacing(float spacing);

    // The colour the caption is drawn in: the text colour, or with automatic
    // text colour white over a dark background and black over a light one
    // (the text colour's alpha kept).
    [[nodiscard]] gfx::Argb effectiveTextColour() const;

    // A button acts on presses, also when it never takes the focus.
    [[nodiscard]] bool wantsPress() const override { return true; }

    // Clicked: by the mouse, Enter or Space with the focus, or the mnemonic.
    std::function<void()> onClick;

protected:
    // Draw the button in `state`; true skips the default painter.
    virtual bool paintButton(gfx::Painter&, ButtonState) { return false; }
    // The default painter's pieces.
    void paintDefaultFrame(gfx::Painter& painter, ButtonState state) const;
    void paintImageAndCaption(gfx::Painter& painter, ButtonState state) const;
    void paintFocusRect(gfx::Painter& painter) const;
    // Changes the state and repaints (through the transition when frames are set).
    void setState(ButtonState state);

    void createEvent(Event&) override;
    void paintEvent(PaintEvent& event) override;
    // Calls onClick; a derived button's own handling comes first, then this.
    void clickEvent(ClickEvent& event) override;
    void mouseDownEvent(MouseEvent&) override;
    void mouseUpEvent(MouseEvent&) override;
    void focusInEvent(FocusEvent&) override;
    void focusOutEvent(FocusEvent&) override;
    void mouseEnterEvent(HoverEvent&) override;
    void mouseLeaveEvent(HoverEvent&) override;
    void transitionEndedEvent(Event&) override;

private:
    void registerMnemonic();
    void rebuildFont(std::optional<Text> name, std::optional<float> size, std::optional<int> style);

    ButtonState m_state = ButtonState::Normal;
    Text m_caption;
    gfx::Font m_font;
    gfx::StringFormat m_format;
    gfx::Argb m_textColour;
    int m_appearance = 0;
    int m_textEffect = 0;
    std::optional<int> m_rounded;
    bool m_autoTextColour = false;
    Bytes m_imageBytes;
    gfx::Image m_image;
    int m_imagePosition = 0;
    float m_imageOffsetX = 0;
    float m_imageOffsetY = 0;
    float m_imageSpacing = 0;
};

}  // namespace quorvo::ui
