#include "ui/controls/UiImageButton.h"

#include "ui/controls/ControlImages.h"

#include "gfx/Painter.h"

#include <algorithm>

namespace quorvo::ui {

namespace {

gfx::Image decode(const Bytes& bytes)
{
    if (bytes.empty())
        return {};
    gfx::Image image = gfx::loadImage(bytes);
    // The framework's own strips come without their PNG signature.
    return image.isNull() ? gfx::loadImage(bytes, true) : image;
}

}  // namespace

UiImageButton::UiImageButton(FloatRect rect, ImageStrip strip, Text caption, ButtonOptions options)
    : UiButtonBase(rect, std::move(caption), options)
    , m_strip(std::move(strip))
{
    setKind(ControlKind::ImageButton);
    cutFrames();
}

void UiImageButton::setImage(ImageStrip strip)
{
    m_strip = std::move(strip);
    cutFrames();
    update();
}

void UiImageButton::cutFrames()
{
    m_frames.clear();
    m_frameWidth = 0;
    const gfx::Image image = decode(m_strip.image);
    const int count = std::max(1, m_strip.frameCount);
    if (image.isNull())
        return;
    // Spacing lies between frames only, so it does not widen the last one.
    m_frameWidth = std::max(0, (image.width() - m_strip.frameSpacing * (count - 1)) / count);
    for (int i = 0; i < count; ++i) {
        const FloatRect source {float(i * (m_frameWidth + m_strip.frameSpacing)), 0, float(m_frameWidth),
                                float(image.height())};
        m_frames.push_back(cutOutImage(image, source));
    }
}

int UiImageButton::frameIndexFor(ButtonState state) const
{
    if (!isEnabled())
        return m_strip.frameCount >= 4 ? 3 : 0;
    switch (state) {
    case ButtonState::Normal:
        return 0;
    case ButtonState::Hover:
    case ButtonState::Focused:
        return 1;
    case ButtonState::Pressed:
        return 2;
    }
    return 0;
}

bool UiImageButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    const int index = frameIndexFor(state);
    if (index < int(m_frames.size()) && !m_frames[std::size_t(index)].isNull()) {
        const gfx::Image& frame = m_frames[std::size_t(index)];
        const FloatRect whole {0, 0, width(), height()};
        switch (m_strip.drawMode) {
        case ImageDrawMode::Stretch:
            gfx::drawImage(painter, frame, whole);
            break;
        case ImageDrawMode::NineGrid:
            gfx::drawNineGrid(painter, frame, whole, m_strip.margins);
            break;
        case ImageDrawMode::Natural:
            gfx::drawImage(painter, frame, {0, 0, float(frame.width()), float(frame.height())});
            break;
        }
    }
    if (!caption().empty())
        paintImageAndCaption(painter, state);
    return true;
}

}  // namespace quorvo::ui
