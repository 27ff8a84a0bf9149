#include "ui/core/UiImage.h"

#include "ui/core/UiHost.h"

#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <algorithm>

namespace quorvo::ui {

namespace {

constexpr int frameTimer = 0;

gfx::Image decode(const Bytes& bytes)
{
    gfx::Image image = gfx::loadImage(bytes, false, gfx::ImageKind::Animated);
    if (image.isNull() && !bytes.empty()) {
        // The framework's own strips are stored without the PNG signature.
        image = gfx::loadImage(bytes, true, gfx::ImageKind::Animated);
    }
    return image;
}

}  // namespace

UiImage::UiImage(FloatRect rect, Bytes image, ImageOptions options)
    : UiControl(rect, ControlKind::Image)
    , m_bytes(std::move(image))
    , m_image(decode(m_bytes))
    , m_options(options)
{
    readFrameInformation();
}

UiImage::UiImage(FloatRect rect, gfx::Image image, ImageOptions options)
    : UiControl(rect, ControlKind::Image)
    , m_image(std::move(image))
    , m_options(options)
{
    readFrameInformation();
}

void UiImage::readFrameInformation()
{
    m_frame = 1;
    m_delays.clear();
    m_frameCount = m_image.isNull() ? 0 : std::max(1, m_image.frameCount());
    if (const auto delays = m_image.delays(); delays && !delays->empty()) {
        m_delays = *delays;
    } else if (!m_image.isNull()) {
        m_delays = {10};
    }
    if (m_options.zeroDelayFix) {
        std::replace(m_delays.begin(), m_delays.end(), 0, 10);
    }
}

void UiImage::setAnimate(bool animate)
{
    if (animate == m_options.animate) {
        return;
    }
    m_options.animate = animate;
    if (animate) {
        scheduleNextFrame();
    }
}

void UiImage::setImage(Bytes image, std::optional<TransitionStyle> transition, int frames,
                       std::chrono::milliseconds interval)
{
    stopTimer();
    m_bytes = std::move(image);
    m_image = decode(m_bytes);
    readFrameInformation();
    m_transitionPending = transition.has_value();
    if (transition) {
        setTransitionStyle(*transition);
        setTransition(frames, interval);
    }
    update();
    if (!m_transitionPending) {
        scheduleNextFrame();
    }
}

void UiImage::setBackgroundColour(gfx::Argb colour)
{
    if (colour == m_options.backgroundColour) {
        return;
    }
    m_options.backgroundColour = colour;
    update();
}

void UiImage::setBorderColour(gfx::Argb colour)
{
    if (colour == m_options.borderColour) {
        return;
    }
    m_options.borderColour = colour;
    update();
}

void UiImage::setDrawMode(ImageDrawMode mode)
{
    if (mode == m_options.drawMode) {
        return;
    }
    m_options.drawMode = mode;
    update();
}

void UiImage::createEvent(Event&)
{
    scheduleNextFrame();
}

void UiImage::destroyEvent(Event&)
{
    stopTimer();
    m_image.reset();
    m_bytes.clear();
    m_frameCount = 0;
}

void UiImage::shownEvent(Event&)
{
    update();
    scheduleNextFrame();
}

void UiImage::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const FloatRect box {0, 0, width(), height()};
    if (m_options.backgroundColour != 0) {
        gfx::fillRect(painter, box, m_options.backgroundColour);
    }
    if (!m_image.isNull()) {
        gfx::Image frame = m_image;
        frame.selectFrame(m_frameCount > 1 ? m_frame - 1 : 0);
        const auto iw = static_cast<float>(frame.width());
        const auto ih = static_cast<float>(frame.height());
        switch (m_options.drawMode) {
        case ImageDrawMode::Natural:
            gfx::drawImage(painter, frame, {0, 0, iw, ih});
            break;
        case ImageDrawMode::Fit: {
            const float scale = std::min(box.width / std::max(1.0f, iw), box.height / std::max(1.0f, ih));
            const float w = iw * scale;
            const float h = ih * scale;
            gfx::drawImage(painter, frame, {(box.width - w) / 2, (box.height - h) / 2, w, h});
            break;
        }
        case ImageDrawMode::NineGrid:
            if (!m_options.margins.empty()) {
                gfx::drawNineGrid(painter, frame, box, m_options.margins);
                break;
            }
            [[fallthrough]];
        case ImageDrawMode::Stretch:
            gfx::drawImage(painter, frame, box);
            break;
        }
    }
    if (m_options.borderColour != 0) {
        gfx::drawFrame(painter, box, m_options.borderColour);
    }
    if (host() != nullptr && host()->keyboardFocusMarker() == this) {
        gfx::drawRoundRect(painter, {2, 2, box.width - 4, box.height - 5}, 0, gfx::argb(120, 0, 0, 0),
                           gfx::DashStyle::Dash);
    }
}

void UiImage::scheduleNextFrame()
{
    if (host() == nullptr || !m_options.animate || m_frameCount < 2 || m_transitionPending || !isShowing()) {
        return;
    }
    const int delay = m_delays.empty() ? 10 : m_delays[static_cast<std::size_t>(m_frame - 1) % m_delays.size()];
    // A zero delay would spin the loop: one millisecond is the shortest the loop honours.
    m_timerRunning = startTimer(frameTimer, std::chrono::milliseconds(std::max(1, delay * 10)));
}

void UiImage::stopTimer()
{
    if (m_timerRunning) {
        killTimer(frameTimer);
        m_timerRunning = false;
    }
}

void UiImage::timerEvent(TimerEvent& event)
{
    if (event.id() != frameTimer || m_transitionPending) {
        return;
    }
    stopTimer();
    if (!m_options.animate || m_frameCount < 2) {
        if (m_frame != 1) {
            m_frame = 1;
            update();
        }
        return;
    }
    m_frame = m_frame >= m_frameCount ? 1 : m_frame + 1;
    update();
    scheduleNextFrame();
}

void UiImage::transitionEndedEvent(Event&)
{
    setTransition(0);
    m_transitionPending = false;
    scheduleNextFrame();
}

}  // namespace quorvo::ui
