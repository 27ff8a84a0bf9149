#pragma once

// UiScrollBar: two arrows, a track and a thumb. An arrow press steps at once
// and repeats every 100 ms while held; the thumb follows drags. The position always lies in
// [minimum, maximum]; onScroll hears every change (during a drag only with
// live tracking, else once on release).

#include "ui/controls/ScrollBarLayout.h"
#include "ui/core/UiControl.h"

#include <functional>

namespace quorvo::ui {

class UiScrollBar : public UiControl {
public:
    UiScrollBar(FloatRect rect, ScrollOrientation orientation = ScrollOrientation::Horizontal);

    [[nodiscard]] ScrollOrientation orientation() const { return m_orientation; }
    [[nodiscard]] int position() const { return m_range.position; }
    // Clamped; onScroll only when it changed.
    void setPosition(int position);
    [[nodiscard]] int minimum() const { return m_range.minimum; }
    void setMinimum(int minimum);
    [[nodiscard]] int maximum() const { return m_range.maximum; }
    void setMaximum(int maximum);
    [[nodiscard]] int pageSize() const { return m_pageSize; }
    void setPageSize(int size) { m_pageSize = size; }
    [[nodiscard]] int lineStep() const { return m_lineStep; }
    void setLineStep(int step) { m_lineStep = step; }
    [[nodiscard]] bool liveTracking() const { return m_liveTracking; }
    void setLiveTracking(bool live) { m_liveTracking = live; }
    [[nodiscard]] ScrollBarPart pressedPart() const { return m_pressed; }
    [[nodiscard]] const ScrollBarLayout& parts() const { return m_layout; }

    std::function<void(int position)> onScroll;

    [[nodiscard]] bool wantsPress() const override { return true; }

protected:
    void paintEvent(PaintEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void mouseMoveEvent(MouseEvent& event) override;
    void mouseUpEvent(MouseEvent& event) override;
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void timerEvent(TimerEvent& event) override;
    void resizeEvent(ResizeEvent& event) override;

private:
    void relayout();
    void scrolled();
    void stepArrow();
    [[nodiscard]] IntPoint local(IntPoint windowPoint) const;

    ScrollOrientation m_orientation;
    ScrollRange m_range;
    int m_pageSize = 10;
    int m_lineStep = 1;
    bool m_liveTracking = true;
    ScrollBarLayout m_layout;
    ScrollBarPart m_pressed = ScrollBarPart::None;
    int m_grabOffset = 0;
    bool m_dragged = false;
    bool m_hover = false;
};

}  // namespace quorvo::ui
