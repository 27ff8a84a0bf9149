#include "ui/controls/UiScrollBar.h"

#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <algorithm>
#include <chrono>

namespace quorvo::ui {

namespace {

constexpr int repeatTimer = 1;
constexpr auto repeatInterval = std::chrono::milliseconds(100);

FloatRect toFloat(const IntRect& r)
{
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
            static_cast<float>(r.height)};
}

}  // namespace

UiScrollBar::UiScrollBar(FloatRect rect, ScrollOrientation orientation)
    : UiControl(rect, ControlKind::ScrollBar, false)
    , m_orientation(orientation)
{
    relayout();
}

void UiScrollBar::relayout()
{
    m_layout = layoutScrollBar(m_orientation, {static_cast<int>(width()), static_cast<int>(height())}, m_range);
}

void UiScrollBar::scrolled()
{
    if (onScroll)
        onScroll(m_range.position);
}

void UiScrollBar::setPosition(int position)
{
    position = std::clamp(position, m_range.minimum, std::max(m_range.minimum, m_range.maximum));
    if (position == m_range.position)
        return;
    m_range.position = position;
    relayout();
    update();
    scrolled();
}

void UiScrollBar::setMinimum(int minimum)
{
    if (minimum == m_range.minimum)
        return;
    m_range.minimum = minimum;
    m_range.position = std::max(m_range.position, minimum);
    relayout();
    update();
    scrolled();
}

void UiScrollBar::setMaximum(int maximum)
{
    if (maximum == m_range.maximum)
        return;
    m_range.maximum = maximum;
    m_range.position = std::clamp(m_range.position, m_range.minimum, std::max(m_range.minimum, maximum));
    relayout();
    update();
    scrolled();
}

IntPoint UiScrollBar::local(IntPoint windowPoint) const
{
    return {windowPoint.x - static_cast<int>(left()), windowPoint.y - static_cast<int>(top())};
}

void UiScrollBar::mouseDownEvent(MouseEvent& event)
{
    const IntPoint at = local(event.position());
    m_pressed = m_layout.hitTest(at);
    m_dragged = false;
    if (m_pressed == ScrollBarPart::Thumb)
        m_grabOffset = m_layout.along(at)
            - (m_orientation == ScrollOrientation::Horizontal ? m_layout.thumb.x - m_layout.track.x
                                                              : m_layout.thumb.y - m_layout.track.y);
    if (m_pressed == ScrollBarPart::Track) {
        // A press on the track pages toward the pointer.
        const int thumbStart = m_orientation == ScrollOrientation::Horizontal ? m_layout.thumb.x : m_layout.thumb.y;
        const int pointer = m_orientation == ScrollOrientation::Horizontal ? at.x : at.y;
        setPosition(m_range.position + (pointer < thumbStart ? -m_pageSize : m_pageSize));
    }
    if (m_pressed != ScrollBarPart::None)
        startTimer(repeatTimer, repeatInterval);
    // An arrow steps at once: a click shorter than the repeat interval must
    // step too. Holding it repeats on the timer.
    if (m_pressed == ScrollBarPart::FirstArrow || m_pressed == ScrollBarPart::SecondArrow)
        stepArrow();
    update();
}

void UiScrollBar::stepArrow()
{
    if (m_pressed == ScrollBarPart::FirstArrow && m_range.position > m_range.minimum)
        setPosition(m_range.position - m_lineStep);
    else if (m_pressed == ScrollBarPart::SecondArrow && m_range.position < m_range.maximum)
        setPosition(m_range.position + m_lineStep);
    const bool atEnd = (m_pressed == ScrollBarPart::FirstArrow && m_range.position <= m_range.minimum)
        || (m_pressed == ScrollBarPart::SecondArrow && m_range.position >= m_range.maximum);
    if (atEnd || (m_pressed != ScrollBarPart::FirstArrow && m_pressed != ScrollBarPart::SecondArrow))
        killTimer(repeatTimer);
}

void UiScrollBar::timerEvent(TimerEvent& event)
{
    if (event.id() != repeatTimer)
        return;
    stepArrow();
}

void UiScrollBar::mouseMoveEvent(MouseEvent& event)
{
    if (m_pressed != ScrollBarPart::Thumb || (event.buttons() & buttons::Left) == 0)
        return;
    const int offset = m_layout.along(local(event.position())) - m_grabOffset;
    const int position = positionForThumbOffset(m_range, m_layout.freeLength(), offset);
    if (position == m_range.position)
        return;
    m_dragged = true;
    m_range.position = position;
    relayout();
    update();
    if (m_liveTracking)
        scrolled();
}

void UiScrollBar::mouseUpEvent(MouseEvent&)
{
    if (m_pressed == ScrollBarPart::Thumb && m_dragged && !m_liveTracking)
        scrolled();
    m_pressed = ScrollBarPart::None;
    m_dragged = false;
    killTimer(repeatTimer);
    update();
}

void UiScrollBar::mouseEnterEvent(HoverEvent&)
{
    m_hover = true;
    update();
}

void UiScrollBar::mouseLeaveEvent(HoverEvent&)
{
    m_hover = false;
    update();
}

void UiScrollBar::resizeEvent(ResizeEvent&)
{
    relayout();
}

void UiScrollBar::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const bool active = m_hover || m_pressed != ScrollBarPart::None;
    if (active) {
        gfx::fillRoundRect(painter, toFloat(m_layout.track), 6.0f, 0x28000000);
        gfx::drawRoundRect(painter, toFloat(m_layout.track), 6.0f, 0x1E000000);
        for (const auto part : {ScrollBarPart::FirstArrow, ScrollBarPart::SecondArrow}) {
            const IntRect& r = part == ScrollBarPart::FirstArrow ? m_layout.firstArrow : m_layout.secondArrow;
            const bool lit = m_pressed == part;
            if (lit)
                gfx::fillRoundRect(painter, toFloat(r), 4.0f, 0xA0000000);
            const gfx::Argb colour = lit ? 0xFFFFFFFF : 0x64000000;
            const float cx = static_cast<float>(r.x) + static_cast<float>(r.width) / 2.0f;
            const float cy = static_cast<float>(r.y) + static_cast<float>(r.height) / 2.0f;
            const float toward = part == ScrollBarPart::FirstArrow ? -1.0f : 1.0f;
            for (int i = 0; i < 3; ++i) {
                const float d = static_cast<float>(i);
                if (m_orientation == ScrollOrientation::Vertical)
                    gfx::drawLine(painter, colour, cx - 2 + d, cy + toward * (d - 1), cx + 2 - d,
                                  cy + toward * (d - 1));
                else
                    gfx::drawLine(painter, colour, cx + toward * (d - 1), cy - 2 + d, cx + toward * (d - 1),
                                  cy + 2 - d);
            }
        }
    }
    if (m_layout.thumbLength >= 1) {
        gfx::fillRoundRect(painter, toFloat(m_layout.thumb), 6.0f, active ? 0x6E000000 : 0x28000000);
        gfx::drawRoundRect(painter, toFloat(m_layout.thumb), 6.0f, active ? 0x50000000 : 0x1E000000);
    }
}

}  // namespace quorvo::ui
