#pragma once

// A piece of text, optionally over a two-colour gradient and inside a border:
// the settings captions (several lines joined by "\r\n"), the status line, the
// speed display and, with a green gradient and no text, the search progress bar.
//
//     auto& speed = page.add<UiLabel>(FloatRect {15, 610, 120, 25}, "", LabelOptions {
//         .textColour = gfx::argb(254, 255, 255, 255), .textEffect = gfx::TextEffect::Glow,
//         .effectColour = gfx::argb(153, 0, 0, 0)});
//     speed.setCaption(progressText);          // the same bytes again repaint nothing

#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Shapes.h"
#include "gfx/StringFormat.h"
#include "gfx/TextPainter.h"
#include "runtime/Text.h"

#include <chrono>
#include <optional>

namespace quorvo::ui {

struct LabelOptions {
    gfx::Argb textColour = gfx::argb(210, 0, 0, 0);
    // None: no background.
    std::optional<gfx::GradientMode> gradient;
    gfx::Argb gradientStart = 0;
    gfx::Argb gradientEnd = 0;
    // Off: each "\r\n" line is drawn unwrapped; on: the text wraps in the box.
    bool multiLine = false;
    // White text over a dark window background, black over a light one.
    bool automaticContrast = false;
    // A font built from these when any is given; the framework's default font otherwise.
    std::optional<Text> fontName;
    std::optional<float> fontSize;
    std::optional<gfx::FontStyle> fontStyle;
    gfx::StringAlignment alignment = gfx::StringAlignment::Near;
    gfx::StringAlignment lineAlignment = gfx::StringAlignment::Near;
    gfx::TextEffect textEffect = gfx::TextEffect::None;
    std::optional<gfx::Argb> effectColour;
    // 0: no border.
    gfx::Argb borderColour = 0;
    bool visible = true;
};

// A one-off change animation for setCaption.
struct LabelTransition {
    TransitionStyle style = TransitionStyle::CrossFade;
    int frames = 5;
    std::chrono::milliseconds interval {60};
};

class UiLabel : public UiControl {
public:
    UiLabel(FloatRect rect, Text caption = {}, LabelOptions options = {});

    [[nodiscard]] const Text& caption() const { return m_caption; }
    // Byte-equal text does nothing; otherwise measures, repaints (through the
    // transition when given) and keeps the measured size.
    void setCaption(const Text& caption, std::optional<LabelTransition> transition = std::nullopt);

    // Size of the text as last measured, rounded: what the program sizes a label by.
    [[nodiscard]] int measuredWidth() const { return m_measuredWidth; }
    [[nodiscard]] int measuredHeight() const { return m_measuredHeight; }
    // Text to read, not to work: Tab passes over it.
    [[nodiscard]] bool isTabStop() const override { return false; }

    [[nodiscard]] gfx::Argb textColour() const { return m_options.textColour; }
    void setTextColour(gfx::Argb colour);
    void setGradient(std::optional<gfx::GradientMode> mode, gfx::Argb start, gfx::Argb end);
    void setBorderColour(gfx::Argb colour);
    void setAutomaticContrast(bool on);
    [[nodiscard]] bool automaticContrast() const { return m_options.automaticContrast; }
    void setTextEffect(gfx::TextEffect effect, std::optional<gfx::Argb> colour = std::nullopt);
    void setAlignment(gfx::StringAlignment alignment);
    void setLineAlignment(gfx::StringAlignment alignment);
    void setMultiLine(bool on);
    [[nodiscard]] const gfx::Font& font() const { return m_font; }
    void setFontName(const Text& name);
    void setFontSize(float size);
    void setFontStyle(gfx::FontStyle style);
    [[nodiscard]] gfx::FontStyle fontStyle() const;
    [[nodiscard]] const gfx::StringFormat& textFormat() const { return m_format; }
    void setTextFormat(const gfx::StringFormat& format);

    // The colour the text is drawn in now (after the automatic contrast).
    [[nodiscard]] gfx::Argb effectiveTextColour() const;

protected:
    void paintEvent(PaintEvent& event) override;
    void resizeEvent(ResizeEvent& event) override;
    void focusInEvent(FocusEvent& event) override;
    void focusOutEvent(FocusEvent& event) override;
    void transitionEndedEvent(Event& event) override;

    // For the link: a font style change that keeps name and size.
    void applyFontStyle(gfx::FontStyle style);

private:
    void rebuildFont(std::optional<Text> name, std::optional<float> size, std::optional<gfx::FontStyle> style);
    void measure();
    [[nodiscard]] gfx::StringFormat drawingFormat() const;

    Text m_caption;
    LabelOptions m_options;
    gfx::Font m_font;
    gfx::StringFormat m_format;
    int m_measuredWidth = 0;
    int m_measuredHeight = 0;
};

}  // namespace quorvo::ui
