#include "ui/controls/UiLabel.h"

#include "ui/core/ContrastingText.h"
#include "ui/core/UiHost.h"

#include "gfx/Painter.h"
#include "gfx/Surface.h"
#include "gfx/TextPainter.h"

#include <cmath>

namespace quorvo::ui {

namespace {

constexpr float defaultFontSize = 12.0f;
constexpr float textInset = 2.0f;
// Wide enough for any single line: unwrapped text is measured without a width limit.
constexpr float unlimited = 100000.0f;

using gfx::StringFormatFlags;

constexpr int wrapFlagBits = int(StringFormatFlags::MeasureTrailingSpaces) | int(StringFormatFlags::NoClip)
    | int(StringFormatFlags::LineLimit) | int(StringFormatFlags::NoWrap);

StringFormatFlags formatFlags(bool multiLine)
{
    return multiLine
        ? (StringFormatFlags::MeasureTrailingSpaces | StringFormatFlags::NoClip | StringFormatFlags::LineLimit)
        : StringFormatFlags::NoWrap;
}

}  // namespace

UiLabel::UiLabel(FloatRect rect, Text caption, LabelOptions options)
    : UiControl(rect, ControlKind::Label, false, options.visible)
    , m_caption(std::move(caption))
    , m_options(std::move(options))
    , m_format(formatFlags(m_options.multiLine))
{
    m_format.align(m_options.alignment);
    if (m_options.fontName || m_options.fontSize || m_options.fontStyle)
        rebuildFont(m_options.fontName, m_options.fontSize, m_options.fontStyle);
    else
        m_font = gfx::defaultFont();
    measure();
}

void UiLabel::setCaption(const Text& caption, std::optional<LabelTransition> transition)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    measure();
    if (transition) {
        setTransitionStyle(transition->style);
        setTransition(transition->frames, transition->interval);
    }
    update();
}

void UiLabel::setTextColour(gfx::Argb colour)
{
    if (colour == m_options.textColour)
        return;
    m_options.textColour = colour;
    update();
}

void UiLabel::setGradient(std::optional<gfx::GradientMode> mode, gfx::Argb start, gfx::Argb end)
{
    if (mode == m_options.gradient && start == m_options.gradientStart && end == m_options.gradientEnd)
        return;
    m_options.gradient = mode;
    m_options.gradientStart = start;
    m_options.gradientEnd = end;
    update();
}

void UiLabel::setBorderColour(gfx::Argb colour)
{
    if (colour == m_options.borderColour)
        return;
    m_options.borderColour = colour;
    update();
}

void UiLabel::setAutomaticContrast(bool on)
{
    if (on == m_options.automaticContrast)
        return;
    m_options.automaticContrast = on;
    update();
}

void UiLabel::setTextEffect(gfx::TextEffect effect, std::optional<gfx::Argb> colour)
{
    if (effect == m_options.textEffect && colour == m_options.effectColour)
        return;
    m_options.textEffect = effect;
    m_options.effectColour = colour;
    update();
}

void UiLabel::setAlignment(gfx::StringAlignment alignment)
{
    if (alignment == m_format.align())
        return;
    m_format.align(alignment);
    m_options.alignment = alignment;
    update();
}

void UiLabel::setLineAlignment(gfx::StringAlignment alignment)
{
    if (alignment == m_options.lineAlignment)
        return;
    m_options.lineAlignment = alignment;
    update();
}

void UiLabel::setMultiLine(bool on)
{
    if (on == m_options.multiLine)
        return;
    m_options.multiLine = on;
    const int kept = int(m_format.flags()) & ~wrapFlagBits;
    m_format.flags(StringFormatFlags(kept) | formatFlags(on));
    measure();
    update();
}

void UiLabel::setTextFormat(const gfx::StringFormat& format)
{
    if (format == m_format)
        return;
    m_format = format;
    measure();
    update();
}

gfx::FontStyle UiLabel::fontStyle() const
{
    return m_font.isNull() ? gfx::FontStyle::Regular : m_font.style();
}

void UiLabel::setFontName(const Text& name)
{
    rebuildFont(name, std::nullopt, std::nullopt);
    measure();
    update();
}

void UiLabel::setFontSize(float size)
{
    rebuildFont(std::nullopt, size, std::nullopt);
    measure();
    update();
}

void UiLabel::setFontStyle(gfx::FontStyle style)
{
    applyFontStyle(style);
}

void UiLabel::applyFontStyle(gfx::FontStyle style)
{
    if (style == fontStyle())
        return;
    rebuildFont(std::nullopt, std::nullopt, style);
    measure();
    update();
}

void UiLabel::rebuildFont(std::optional<Text> name, std::optional<float> size, std::optional<gfx::FontStyle> style)
{
    const gfx::Font& current = m_font.isNull() ? gfx::defaultFont() : m_font;
    const Text family = name ? *name : current.familyName();
    const float points = size ? *size : (m_font.isNull() ? defaultFontSize : current.size());
    const gfx::FontStyle bits = style ? *style : (m_font.isNull() ? gfx::FontStyle::Regular : current.style());
    gfx::Font font = gfx::createFont(family, points, bits);
    // A font that cannot be made keeps the previous one.
    if (!font.isNull())
        m_font = std::move(font);
}

void UiLabel::measure()
{
    if (m_caption.empty()) {
        m_measuredWidth = 0;
        m_measuredHeight = 0;
        return;
    }
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    gfx::Painter painter(scratch);
    const float layoutWidth = m_options.multiLine ? std::max(1.0f, width() - 2 * textInset) : unlimited;
    const FloatRect box = gfx::measureString(painter, m_caption, m_font, m_format, {0, 0, layoutWidth, unlimited});
    m_measuredWidth = int(std::lround(box.width));
    m_measuredHeight = int(std::lround(box.height));
}

gfx::Argb UiLabel::effectiveTextColour() const
{
    const gfx::Argb colour = m_options.textColour;
    if (!m_options.automaticContrast)
        return colour;
    return contrastingTextColour(*this, colour);
}

void UiLabel::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const FloatRect whole {0, 0, width(), height()};
    if (m_options.borderColour != 0)
        gfx::drawRoundRect(painter, whole, 0, m_options.borderColour);
    if (m_options.gradient)
        gfx::fillGradient(painter, whole, m_options.gradientStart, m_options.gradientEnd, *m_options.gradient);

    if (!m_caption.empty()) {
        FloatRect box = whole.inflated(-textInset, -textInset);
        gfx::PainterStateSaver saver(painter);
        painter.clipRect(box);
        if (m_options.lineAlignment != gfx::StringAlignment::Near && m_measuredHeight < box.height) {
            const float spare = box.height - float(m_measuredHeight);
            const float shift = m_options.lineAlignment == gfx::StringAlignment::Center ? std::floor(spare / 2) : spare;
            box.y += shift;
            box.height -= shift;
        }
        gfx::drawText(painter, box, m_caption, m_font, effectiveTextColour(), m_format, m_options.textEffect,
                      m_options.effectColour);
    }

    if (host() != nullptr && host()->keyboardFocusMarker() == this)
        gfx::drawRoundRect(painter, {1, 1, width() - 2, height() - 2}, 0, gfx::argb(120, 0, 0, 0),
                           gfx::DashStyle::Dash);
}

void UiLabel::resizeEvent(ResizeEvent&)
{
    measure();
}

void UiLabel::focusInEvent(FocusEvent&)
{
    if (isFocusable())
        update();
}

void UiLabel::focusOutEvent(FocusEvent&)
{
    if (isFocusable())
        update();
}

void UiLabel::transitionEndedEvent(Event&)
{
    setTransition(0);
}

}  // namespace quorvo::ui
