#include "ui/controls/UiTabButton.h"

#include "ui/controls/ControlImages.h"

#include "assets/Layout.h"
#include "gfx/Painter.h"
#include "gfx/TextPainter.h"

namespace quorvo::ui {

namespace {

constexpr float frameWidth = assets::layout::tabFrameWidth;
constexpr float frameHeight = assets::layout::tabFrameHeight;
constexpr float hoverFrameX = 60;
constexpr float selectedFrameX = 120;

void drawFrame(gfx::Painter& painter, float sourceX)
{
    gfx::drawImage(painter, tabStrip(), {0, 0, frameWidth, frameHeight},
                   FloatRect {sourceX, 0, frameWidth, frameHeight});
}

}  // namespace

UiTabButton::UiTabButton(FloatRect rect, Text caption, Bytes icon, ButtonOptions options,
                         std::optional<gfx::Argb> secondColour)
    : UiButtonBase(rect, std::move(caption), options)
    , m_icon(icon.empty() ? gfx::Image {} : gfx::loadImage(icon))
    , m_secondColour(secondColour)
{
    setKind(ControlKind::TabButton);
}

void UiTabButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    if (selected)
        clearGroupSiblings(*this, *this);
    m_selected = selected;
    update();
    if (onSelectedChanged)
        onSelectedChanged(selected);
}

void UiTabButton::clearByGroup()
{
    setSelected(false);
}

void UiTabButton::mouseDownEvent(MouseEvent& event)
{
    UiButtonBase::mouseDownEvent(event);
    select();
}

bool UiTabButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    if (m_selected) {
        drawFrame(painter, selectedFrameX);
    } else if (state == ButtonState::Hover || state == ButtonState::Focused) {
        drawFrame(painter, hoverFrameX);
    } else if (state == ButtonState::Pressed) {
        drawFrame(painter, hoverFrameX);
        drawFrame(painter, selectedFrameX);
    }

    const FloatRect measured = gfx::measureString(painter, caption(), font(), textFormat(), {0, 0, width(), height()});
    const float iconWidth = m_icon.isNull() ? 0.0f : float(m_icon.width());
    const float iconHeight = m_icon.isNull() ? 0.0f : float(m_icon.height());
    const auto layout = layoutImageAndCaption(int(ImagePosition::AboveCaption), width(), height(), iconWidth,
                                              iconHeight, measured.width, measured.height, 0, 0, 0);
    if (!layout)
        return true;
    // The content sits 2 pixels left of centre; pressed, it sinks 1 up and left.
    const float shift = state == ButtonState::Pressed ? -1.0f : 0.0f;
    const FloatPoint offset {-2.0f + shift, shift};
    if (!m_icon.isNull()) {
        const IntRect image = layout->image;
        gfx::drawImage(painter, m_icon, {float(image.x) + offset.x, float(image.y) + offset.y, iconWidth, iconHeight});
    }
    const IntRect text = layout->caption;
    gfx::drawText(painter, {float(text.x) + offset.x, float(text.y) + offset.y, float(text.width), float(text.height)},
                  caption(), font(), effectiveTextColour(), textFormat(), gfx::TextEffect(appearance()),
                  m_secondColour);
    return true;
}

}  // namespace quorvo::ui
