#include "ui/core/UiButtonBase.h"

#include "ui/core/ContrastingText.h"

#include "ui/core/UiHost.h"
#include "ui/core/UiRenderer.h"

#include "gfx/Painter.h"
#include "gfx/Path.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"

#include <array>
#include <cmath>

namespace quorvo::ui {

namespace {

constexpr auto stateTransition = std::chrono::milliseconds(60);
constexpr int animatedFrames = 4;

// Six (colour, alpha) pairs per look: base fill, gradient top, gradient
// bottom, outer outline, inner outline, shadow line.
using ColourSet = std::array<gfx::Argb, 6>;

constexpr gfx::Argb pair(std::uint32_t rgb, int alpha)
{
    return (static_cast<gfx::Argb>(alpha) << 24) | (rgb & 0xFFFFFFu);
}

constexpr std::array<ColourSet, 5> colourSets {{
    // normal
    {pair(0xECECEC, 0xCC), pair(0x000000, 0x00), pair(0x000000, 0x66), pair(0x000000, 0x50), pair(0xFFFFFF, 0x33),
     pair(0x000000, 0x19)},
    // hover
    {pair(0xECECEC, 0xCC), pair(0x000000, 0x15), pair(0x000000, 0x99), pair(0x000000, 0x46), pair(0xFFFFFF, 0x33),
     pair(0x000000, 0x1E)},
    // pressed
    {pair(0xECECEC, 0xCC), pair(0x000000, 0x99), pair(0xECECEC, 0x15), pair(0x000000, 0x46), pair(0xFFFFFF, 0x33),
     pair(0x000000, 0x0A)},
    // focused
    {pair(0xECECEC, 0xCC), pair(0x000000, 0x33), pair(0x000000, 0x99), pair(0x000000, 0x50), pair(0xFFFFFF, 0x3D),
     pair(0x000000, 0x19)},
    // disabled
    {pair(0xFFFFFF, 0x33), pair(0x000000, 0x33), pair(0x000000, 0x33), pair(0x000000, 0x23), pair(0xFFFFFF, 0x1E),
     pair(0x000000, 0x00)},
}};

gfx::StringFormat defaultFormat()
{
    gfx::StringFormat format(gfx::StringFormatFlags::NoWrap);
    format.align(gfx::StringAlignment::Near);
    format.hotkeyPrefix(gfx::HotkeyPrefix::Show);
    return format;
}

gfx::Image decode(const Bytes& bytes)
{
    gfx::Image image = gfx::loadImage(bytes);
    if (image.isNull() && !bytes.empty()) {
        image = gfx::loadImage(bytes, true);
    }
    return image;
}

int truncated(float value)
{
    return static_cast<int>(value);
}

}  // namespace

std::optional<ImageCaptionLayout> layoutImageAndCaption(int position, float W, float H, float Iw, float Ih, float Tw,
                                                        float Th, float dx, float dy, float m)
{
    ImageCaptionLayout layout;
    IntRect& image = layout.image;
    IntRect& caption = layout.caption;
    image.width = truncated(Iw);
    image.height = truncated(Ih);
    caption.width = truncated(Tw + 2);
    caption.height = truncated(Th + 2);
    switch (position) {
    case 0:
        image.x = truncated(dx + (W - (Iw + m + Tw)) / 2);
        image.y = truncated(dy + (H - Ih) / 2);
        caption.x = truncated(static_cast<float>(image.right()) + m);
        caption.y = truncated(dy + (H - Th) / 2);
        break;
    case 1:
        caption.x = truncated(dx + (W - (Iw + m + Tw)) / 2);
        caption.y = truncated(dy + (H - Th) / 2);
        image.x = truncated(static_cast<float>(caption.x) + Tw + m);
        image.y = truncated(dy + (H - Ih) / 2);
        break;
    case 2:
        image.x = truncated(dx + (W - Iw) / 2);
        image.y = truncated(dy + (H - Ih - m - Th) / 2);
        caption.x = truncated(dx + (W - Tw) / 2);
        caption.y = truncated(static_cast<float>(image.bottom()) + m);
        break;
    case 3:
        image.x = truncated(dx + (W - Iw) / 2);
        image.y = truncated(dy + (H - Ih) / 2);
        caption.x = truncated(dx + (W - Tw) / 2);
        caption.y = truncated(dy + (H - Th) / 2);
        break;
    case 4:
        image.x = truncated(dx);
        image.y = truncated(dy + (H - Ih) / 2);
        caption.x = truncated(static_cast<float>(image.right()) + m);
        caption.y = truncated(dy + (H - Th) / 2);
        caption.width = truncated(W - Iw - m - dx);
        break;
    case 5:
        caption.x = truncated(dx);
        caption.y = truncated(dy + (H - Th) / 2);
        caption.width = truncated(W - Iw - m - dx);
        image.x = truncated(static_cast<float>(caption.right()) + m);
        image.y = truncated(dy + (H - Ih) / 2);
        break;
    case 6:
        image.x = truncated(dx + (W - Iw) / 2);
        image.y = truncated(dy);
        caption.x = truncated(dx + (W - Tw) / 2);
        caption.y = truncated(static_cast<float>(image.bottom()) + m);
        caption.width = truncated(Tw + 5);
        break;
    default:
        return std::nullopt;
    }
    return layout;
}

int mnemonicOf(const Text& caption)
{
    const std::string_view bytes = caption.view();
    for (std::size_t i = 0; i < bytes.size(); i += text::characterLength(bytes, i)) {
        if (bytes[i] == '&' && i + 1 < bytes.size()) {
            const auto next = static_cast<unsigned char>(bytes[i + 1]);
            return next < 0x80 ? next : 0;
        }
    }
    return 0;
}

UiButtonBase::UiButtonBase(FloatRect rect, Text caption, ButtonOptions options)
    : UiControl(rect, ControlKind::Button, true, options.visible)
    , m_caption(std::move(caption))
    , m_format(defaultFormat())
    , m_textColour(options.textColour)
    , m_appearance(options.appearance)
    , m_textEffect(options.textEffect)
    , m_rounded(options.rounded)
{
    setTransitionInterval(stateTransition);
    setTransitionStyle(TransitionStyle::CrossFade);
    if (options.fontName || options.fontSize || options.fontStyle) {
        rebuildFont(options.fontName, options.fontSize, options.fontStyle);
    } else {
        m_font = gfx::defaultFont();
    }
}

void UiButtonBase::rebuildFont(std::optional<Text> name, std::optional<float> size, std::optional<int> style)
{
    const gfx::Font& base = m_font.isNull() ? gfx::defaultFont() : m_font;
    gfx::Font font = gfx::createFont(
        name.value_or(base.familyName()), size.value_or(m_font.isNull() ? 12.0f : base.size()),
        style ? static_cast<gfx::FontStyle>(*style) : (m_font.isNull() ? gfx::FontStyle::Regular : base.style()));
    // A font that cannot be made keeps the previous one.
    if (!font.isNull()) {
        m_font = std::move(font);
    }
}

void UiButtonBase::registerMnemonic()
{
    if (host() != nullptr) {
        host()->setMnemonic(*this, mnemonicOf(m_caption));
    }
}

void UiButtonBase::setCaption(const Text& caption)
{
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    registerMnemonic();
    update();
}

void UiButtonBase::setTextColour(gfx::Argb colour)
{
    if (colour == m_textColour) {
        return;
    }
    m_textColour = colour;
    update();
}

void UiButtonBase::setAppearance(int value)
{
    if (value == m_appearance) {
        return;
    }
    m_appearance = value;
    update();
}

void UiButtonBase::setFont(gfx::Font font)
{
    if (font.isNull()) {
        return;
    }
    m_font = std::move(font);
    update();
}

void UiButtonBase::setFontName(const Text& name)
{
    rebuildFont(name, std::nullopt, std::nullopt);
    update();
}

void UiButtonBase::setFontSize(float size)
{
    rebuildFont(std::nullopt, size, std::nullopt);
    update();
}

void UiButtonBase::setFontStyle(int style)
{
    rebuildFont(std::nullopt, std::nullopt, style);
    update();
}

void UiButtonBase::setTextFormat(const gfx::StringFormat& format)
{
    if (format == m_format) {
        return;
    }
    m_format = format;
    update();
}

void UiButtonBase::setTextEffect(int effect)
{
    if (effect == m_textEffect) {
        return;
    }
    m_textEffect = effect;
    update();
}

void UiButtonBase::setRounded(int rounded)
{
    if (m_rounded == rounded) {
        return;
    }
    m_rounded = rounded;
    update();
}

void UiButtonBase::setAutoTextColour(bool on)
{
    if (on == m_autoTextColour) {
        return;
    }
    m_autoTextColour = on;
    update();
}

void UiButtonBase::setImage(Bytes image)
{
    if (image == m_imageBytes) {
        return;
    }
    m_imageBytes = std::move(image);
    m_image = decode(m_imageBytes);
    update();
}

void UiButtonBase::setImagePosition(int position)
{
    if (position == m_imagePosition) {
        return;
    }
    m_imagePosition = position;
    update();
}

void UiButtonBase::setImageOffset(float dx, float dy)
{
    if (dx == m_imageOffsetX && dy == m_imageOffsetY) {
        return;
    }
    m_imageOffsetX = dx;
    m_imageOffsetY = dy;
    update();
}

void UiButtonBase::setImageSpacing(float spacing)
{
    if (spacing == m_imageSpacing) {
        return;
    }
    m_imageSpacing = spacing;
    update();
}

void UiButtonBase::setState(ButtonState state)
{
    m_state = state;
    update();
}

gfx::Argb UiButtonBase::effectiveTextColour() const
{
    if (!m_autoTextColour) {
        return m_textColour;
    }
    return contrastingTextColour(*this, m_textColour);
}

// ---- painting ----

void UiButtonBase::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    if (paintButton(painter, m_state)) {
        return;
    }
    paintDefaultFrame(painter, m_state);
    paintImageAndCaption(painter, m_state);
    paintFocusRect(painter);
}

void UiButtonBase::paintDefaultFrame(gfx::Painter& painter, ButtonState state) const
{
    const ColourSet& colours = colourSets[isEnabled() ? static_cast<std::size_t>(state) : 4];
    const bool rounded = isRounded();
    FloatRect r {0, 0, width() - 1, height() - 1};
    gfx::PainterStateSaver saver(painter);
    if (rounded) {
        painter.clipPath(gfx::roundRectPath(r, 4), gfx::CombineMode::Intersect);
        gfx::fillRoundRect(painter, r, 3, colours[0]);
    } else {
        gfx::fillRect(painter, r, colours[0]);
    }
    gfx::fillGradient(painter, r, colours[1], colours[2], gfx::GradientMode::Vertical);
    if (rounded) {
        gfx::drawRoundRect(painter, r, 3, colours[3]);
    } else {
        gfx::drawFrame(painter, r, colours[3]);
    }
    r = r.inflated(-1, -1);
    if (rounded) {
        gfx::drawRoundRect(painter, r, 3, colours[4]);
    } else {
        gfx::drawFrame(painter, r, colours[4]);
    }
    const float y = r.height + 2;
    gfx::drawLine(painter, colours[5], 0, y, r.width, y);
}

void UiButtonBase::paintImageAndCaption(gfx::Painter& painter, ButtonState state) const
{
    const FloatRect r {0, 0, width() - 1, height() - 1};
    gfx::PainterStateSaver saver(painter);
    painter.clipRect({0, 0, width(), height()});
    const float iw = m_image.isNull() ? 0.0f : static_cast<float>(m_image.width());
    const float ih = m_image.isNull() ? 0.0f : static_cast<float>(m_image.height());
    const FloatRect measured = gfx::measureString(painter, m_caption, m_font, m_format, {0, 0, 4096, r.height});
    const auto layout = layoutImageAndCaption(m_imagePosition, r.width, r.height, iw, ih, measured.width,
                                              measured.height, m_imageOffsetX, m_imageOffsetY, m_imageSpacing);
    if (!layout) {
        return;
    }
    const float shift = state == ButtonState::Pressed ? 1.0f : 0.0f;
    if (!m_image.isNull()) {
        const FloatRect image = layout->image.to<float>().translated(shift, shift);
        gfx::drawImage(painter, m_image, image);
    }
    if (!m_caption.empty()) {
        const FloatRect caption = layout->caption.to<float>().translated(shift, shift);
        gfx::drawText(painter, caption, m_caption, m_font, effectiveTextColour(), m_format,
                      static_cast<gfx::TextEffect>(m_textEffect));
    }
}

void UiButtonBase::paintFocusRect(gfx::Painter& painter) const
{
    if (host() == nullptr || host()->keyboardFocusMarker() != this) {
        return;
    }
    gfx::drawRoundRect(painter, {2, 2, width() - 4, height() - 5}, 0, gfx::argb(120, 0, 0, 0), gfx::DashStyle::Dash);
}

// ---- behaviour ----

void UiButtonBase::createEvent(Event&)
{
    if (!m_rounded && host() != nullptr) {
        m_rounded = host()->frameStyle();
    }
    registerMnemonic();
}

void UiButtonBase::clickEvent(ClickEvent&)
{
    if (onClick)
        onClick();
}

void UiButtonBase::mouseDownEvent(MouseEvent&)
{
    if (isFocusable()) {
        setState(ButtonState::Pressed);
    }
}

void UiButtonBase::mouseUpEvent(MouseEvent&)
{
    if (isFocusable()) {
        setState(ButtonState::Hover);
    }
}

void UiButtonBase::focusInEvent(FocusEvent&)
{
    setState(ButtonState::Focused);
}

void UiButtonBase::focusOutEvent(FocusEvent&)
{
    setTransition(animatedFrames);
    setState(ButtonState::Normal);
}

void UiButtonBase::mouseEnterEvent(HoverEvent&)
{
    setTransition(animatedFrames);
    setState(ButtonState::Hover);
}

void UiButtonBase::mouseLeaveEvent(HoverEvent&)
{
    setTransition(animatedFrames);
    setState(ButtonState::Normal);
}

void UiButtonBase::transitionEndedEvent(Event&)
{
    setTransition(0);
}

}  // namespace quorvo::ui
