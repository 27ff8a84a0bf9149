#include "ui/core/UiRenderer.h"

#include "ui/core/UiControl.h"

#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

void drawTransition(gfx::Painter& painter, const UiControl& control, double alpha)
{
    const FloatRect rect = control.rect();
    const gfx::Surface& previous = control.previousSurface();
    const gfx::Surface& current = control.surface();
    const int frame = control.transitionFrame();
    const int frames = std::max(1, control.transitionFrames());
    const TransitionStyle style = control.transitionStyle();
    if (style == TransitionStyle::CrossFade) {
        painter.drawSurface(previous, rect.x, rect.y, alpha);
        painter.drawSurface(current, rect.x, rect.y, alpha * frame / frames);
        return;
    }
    gfx::PainterStateSaver saver(painter);
    painter.clipRect(rect);
    const bool vertical = style == TransitionStyle::PushDown || style == TransitionStyle::PushUp;
    const float extent = vertical ? rect.height : rect.width;
    const float step = std::trunc(extent / static_cast<float>(frames));
    const float offset = static_cast<float>(frame) * step;
    switch (style) {
    case TransitionStyle::PushDown:
        painter.drawSurface(previous, rect.x, rect.y + offset, alpha);
        painter.drawSurface(current, rect.x, rect.y + offset - rect.height, alpha);
        break;
    case TransitionStyle::PushUp:
        painter.drawSurface(previous, rect.x, rect.y - offset, alpha);
        painter.drawSurface(current, rect.x, rect.y - offset + rect.height, alpha);
        break;
    case TransitionStyle::PushRight:
        painter.drawSurface(previous, rect.x + offset, rect.y, alpha);
        painter.drawSurface(current, rect.x + offset - rect.width, rect.y, alpha);
        break;
    case TransitionStyle::PushLeft:
    default:
        painter.drawSurface(previous, rect.x - offset, rect.y, alpha);
        painter.drawSurface(current, rect.x - offset + rect.width, rect.y, alpha);
        break;
    }
}

}  // namespace

IntRect pixelBounds(const FloatRect& rect, IntSize size)
{
    const int left = std::max(0, static_cast<int>(std::floor(rect.x)));
    const int top = std::max(0, static_cast<int>(std::floor(rect.y)));
    const int right = std::min(size.width, static_cast<int>(std::ceil(rect.x + rect.width)));
    const int bottom = std::min(size.height, static_cast<int>(std::ceil(rect.y + rect.height)));
    if (right <= left || bottom <= top) {
        return {};
    }
    return {left, top, right - left, bottom - top};
}

UiRenderer::UiRenderer(IntSize size, int scale)
    : m_scale(std::max(1, scale))
{
    resize(size);
}

void UiRenderer::resize(IntSize size)
{
    m_size = {std::max(1, size.width), std::max(1, size.height)};
    m_back = gfx::Surface::create(m_size.width, m_size.height, m_scale);
    m_background = gfx::Surface::create(m_size.width, m_size.height, m_scale);
}

void UiRenderer::renderBackground(const BackgroundStyle& style)
{
    const float w = static_cast<float>(m_size.width);
    const float h = static_cast<float>(m_size.height);
    const bool skin = style.frameStyle == 1;
    const bool rounded = style.frameStyle != 0;
    const bool hasImage = style.image != nullptr && !style.image->isNull();
    m_background.clear(0);
    {
        gfx::Painter painter(m_background);
        if (skin && hasImage) {
            const FloatRect& m = style.margins;
            if (m.width > 0 && m.height > 0) {
                gfx::drawNineGrid(painter, *style.image, {0, 0, w, h}, m);
            } else {
                gfx::drawImage(painter, *style.image, {0, 0, w, h});
            }
        } else {
            {
                gfx::PainterStateSaver saver(painter);
                painter.clipPath(gfx::roundRectPath({6, 6, w - 12, h - 12}, rounded ? 4 : 0),
                                 gfx::CombineMode::Intersect);
                painter.clear(argbFromRgb(style.colour, 255));
                if (hasImage) {
                    const auto iw = static_cast<float>(style.image->width());
                    const auto ih = static_cast<float>(style.image->height());
                    FloatRect area;
                    switch (style.imageMode) {
                    case 1:
                        area = {5, 5, w - 10, h - 10};
                        break;
                    case 2:
                        area = {std::trunc((w - iw) / 2), std::trunc((h - ih) / 2), iw, ih};
                        break;
                    default:
                        area = {0, 0, iw, ih};
                        break;
                    }
                    gfx::drawImage(painter, *style.image, area);
                    if (style.imageFrame && (style.imageMode == 1 || style.imageMode == 2)) {
                        gfx::drawRoundRect(painter, area, 6, argbFromRgb(style.colour, 100));
                    }
                }
            }
        }
    }
    if (style.layerAlpha >= 0) {
        const gfx::Surface drawn = m_background.copy();
        m_background.clear(0);
        gfx::Painter painter(m_background);
        painter.drawSurface(drawn, 0, 0, std::clamp(style.layerAlpha, 0, 255) / 255.0);
    }
    if (style.paint != nullptr && *style.paint) {
        gfx::Painter painter(m_background);
        (*style.paint)(painter, m_size);
    }
    if (style.layerAlpha >= 0 && style.softFrame) {
        gfx::Painter painter(m_background);
        const gfx::Argb colour = style.frameColour.value_or(gfx::argb(255, 0, 0, 0)) & 0x00FFFFFFu;
        constexpr int alphas[] = {45, 25, 10, 5};
        constexpr int roundCorners[] = {10, 12, 15, 18};
        constexpr int squareCorners[] = {1, 4, 7, 11};
        for (int i = 0; i < 4; ++i) {
            const FloatRect ring
                = FloatRect {5, 5, w - 10, h - 10}.inflated(static_cast<float>(i), static_cast<float>(i));
            gfx::drawRoundRect(painter, ring, static_cast<float>(rounded ? roundCorners[i] : squareCorners[i]),
                               colour | (static_cast<gfx::Argb>(alphas[i]) << 24));
        }
    }
    if (skin) {
        m_clip.reset();
    } else {
        m_clip = gfx::roundRectPath({7, 7, w - 14, h - 14}, rounded ? 3 : 0);
    }
    // The back buffer starts as the plain background.
    m_back.clear(0);
    gfx::Painter back(m_back);
    back.drawSurface(m_background, 0, 0);
}

void UiRenderer::compose(const FloatRect& rect, std::span<const std::unique_ptr<UiControl>> controls)
{
    const IntRect bounds = pixelBounds(rect, m_size);
    if (bounds.empty()) {
        return;
    }
    const FloatRect area = bounds.to<float>();
    gfx::Painter painter(m_back);
    gfx::PainterStateSaver saver(painter);
    painter.clipRect(area);
    painter.copySurface(m_background, 0, 0);
    if (m_clip) {
        painter.clipPath(*m_clip, gfx::CombineMode::Intersect);
    }
    for (const auto& control : controls) {
        if (control->isVisible() && control->rect().intersects(area)) {
            drawControl(painter, *control, area);
        }
    }
}

void UiRenderer::drawControl(gfx::Painter& painter, UiControl& control, const FloatRect& clip)
{
    control.paintIfNeeded();
    const FloatRect rect = control.rect();
    double alpha = control.alpha() / 255.0;
    if (!control.isEnabled()) {
        if (control.drawsDimmedWhenDisabled()) {
            alpha *= 0.5;
        }
        painter.drawSurface(control.surface(), rect.x, rect.y, alpha);
    } else if (control.isTransitionRunning() && !control.previousSurface().isNull()) {
        const TransitionFrame frame {painter, control.previousSurface(), control.surface(),          rect,
                                     clip,    control.transitionFrame(), control.transitionFrames(), alpha};
        if (!control.paintTransitionFrame(frame)) {
            drawTransition(painter, control, alpha);
        }
    } else if (!control.isContainer()) {
        painter.drawSurface(control.surface(), rect.x, rect.y, alpha);
    }
    if (control.children().empty()) {
        return;
    }
    gfx::PainterStateSaver saver(painter);
    painter.clipRect(rect);
    const FloatRect inner = rect.intersected(clip);
    for (const auto& child : control.children()) {
        if (child->isVisible() && child->rect().intersects(inner)) {
            drawControl(painter, *child, inner);
        }
    }
}

}  // namespace quorvo::ui
