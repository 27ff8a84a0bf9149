#include "ui/controls/UiTabStack.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

using namespace std::chrono_literals;

constexpr int slideTimer = 1;
constexpr std::chrono::milliseconds slideDuration = 100ms;
constexpr std::chrono::milliseconds frameStep = 20ms;

FloatRect stackRect(const TabStackLook& look)
{
    const float top = std::min(look.firstTab.y, look.pageRect.y);
    const float bottom = look.pageRect.y + look.pageRect.height;
    return {look.pageRect.x, top, look.pageRect.width, bottom - top};
}

}  // namespace

UiTabStack::UiTabStack(TabStackLook look)
    : UiPanel(stackRect(look))
    , m_look(std::move(look))
{ }

UiPanel& UiTabStack::addPage(const Text& caption, Bytes icon)
{
    FloatRect tabRect = m_look.firstTab;
    tabRect.x += tabRect.width * static_cast<float>(m_tabs.size());
    const int index = static_cast<int>(m_tabs.size()) + 1;
    auto& tab = add<UiTabButton>(tabRect, caption, std::move(icon), m_look.tabOptions, m_look.tabSecondColour);
    tab.onClick = [this, index] { switchTo(index); };
    m_tabs.push_back(&tab);
    const bool first = m_pages.empty();
    m_pages.push_back(&add<UiPanel>(m_look.pageRect, first));
    // The tabs stay ahead of the pages among the children: the keyboard reaches them first.
    for (UiPanel* page : m_pages)
        page->restack(StackPosition::Top, false);
    if (first) {
        m_current = 1;
        tab.select();
    }
    return *m_pages.back();
}

bool UiTabStack::isCurrent(const UiControl& page) const
{
    return m_current >= 1 && m_pages[static_cast<std::size_t>(m_current - 1)] == &page;
}

void UiTabStack::switchTo(int index)
{
    if (index == m_current || index < 1 || index > pageCount())
        return;
    finishSlide();
    m_outgoing = &page(m_current);
    m_incoming = &page(index);
    m_fromLeft = m_current > index;
    tab(index).select();
    m_current = index;

    const float distance = m_look.pageRect.width;
    m_incoming->setLeft(m_look.pageRect.x + (m_fromLeft ? -distance : distance));
    m_incoming->setVisible(true);
    m_motion = UiMotion(0, 0);
    m_motion.start(distance, 0, slideDuration);
    m_frame = 0;
    nextFrame();
    // Without an interval, or a timer (no host yet), the slide ends here.
    if (m_frameInterval.count() <= 0 || !startTimer(slideTimer, m_frameInterval))
        finishSlide();
}

void UiTabStack::nextFrame()
{
    ++m_frame;
    m_motion.step(frameStep);
    const auto v = static_cast<float>(std::trunc(m_motion.x()));
    const float home = m_look.pageRect.x;
    const float distance = m_look.pageRect.width;
    if (m_fromLeft) {
        m_incoming->setLeft(home - distance + v);
        m_outgoing->setLeft(home + v);
    } else {
        m_incoming->setLeft(home + distance - v);
        m_outgoing->setLeft(home - v);
    }
    const int frame = m_frame;
    if (onSlideFrame)
        onSlideFrame(frame);
    // The callback may have started another slide, which ended this one.
    if (frame >= slideFrames && m_frame == frame) {
        m_outgoing->setVisible(false);
        m_frame = 0;
        killTimer(slideTimer);
    }
}

void UiTabStack::finishSlide()
{
    while (isSliding())
        nextFrame();
}

void UiTabStack::timerEvent(TimerEvent& event)
{
    if (event.id() != slideTimer)
        return;
    if (isSliding())
        nextFrame();
    else
        killTimer(slideTimer);
}

}  // namespace quorvo::ui
