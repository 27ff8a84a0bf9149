#pragma once

// UiTabStack: a row of tab buttons above pages stacked in one place, one page
// showing at a time. Choosing another tab slides its page in (from the left
// when its tab lies left of the current one, else from the right) while the
// current page slides out the other way: ten frames, each stepping a UiMotion
// from 0 to the page width by 20 ms of its 100 ms, one frame per tick of the
// control's timer. The user-interface thread never waits for a slide; a frame
// interval of 0 makes every frame at once.
//
// The stack is an invisible panel around the tab row and the pages (the tab
// row lies above the pages, within their width). Its tabs come before its
// pages among its children, so the keyboard reaches the tabs first.

#include "ui/controls/UiTabButton.h"
#include "ui/core/UiMotion.h"
#include "ui/core/UiPanel.h"

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace quorvo::ui {

struct TabStackLook {
    // The first tab; each further one follows at its width to the right.
    FloatRect firstTab;
    // Where every page shows.
    FloatRect pageRect;
    ButtonOptions tabOptions;
    std::optional<gfx::Argb> tabSecondColour;
};

class UiTabStack : public UiPanel {
public:
    explicit UiTabStack(TabStackLook look);

    // A tab with its page (empty, for the caller to fill). The first page
    // added is the current one; later ones wait hidden.
    UiPanel& addPage(const Text& caption, Bytes icon = {});

    [[nodiscard]] int pageCount() const { return static_cast<int>(m_pages.size()); }
    // 1 for the first page; 0 before any was added.
    [[nodiscard]] int current() const { return m_current; }
    [[nodiscard]] UiPanel& page(int index) const { return *m_pages.at(static_cast<std::size_t>(index - 1)); }
    [[nodiscard]] UiTabButton& tab(int index) const { return *m_tabs.at(static_cast<std::size_t>(index - 1)); }
    [[nodiscard]] bool isCurrent(const UiControl& page) const;
    [[nodiscard]] bool isSliding() const { return m_frame > 0; }

    // Selects the page's tab and slides the page in; the current page or a
    // page that does not exist does nothing. A slide still running ends at once first.
    void switchTo(int index);

    // The time between two frames; 0: the whole slide at once.
    void setFrameInterval(std::chrono::milliseconds interval) { m_frameInterval = interval; }
    [[nodiscard]] std::chrono::milliseconds frameInterval() const { return m_frameInterval; }

    // Each frame (1 to 10) once its pages are placed (tests, screenshots).
    std::function<void(int frame)> onSlideFrame;

    static constexpr int slideFrames = 10;

protected:
    void timerEvent(TimerEvent& event) override;

private:
    void nextFrame();
    void finishSlide();

    TabStackLook m_look;
    std::vector<UiTabButton*> m_tabs;
    std::vector<UiPanel*> m_pages;
    int m_current = 0;
    std::chrono::milliseconds m_frameInterval {10};

    // The slide under way (m_frame 0: none).
    UiPanel* m_incoming = nullptr;
    UiPanel* m_outgoing = nullptr;
    bool m_fromLeft = false;
    UiMotion m_motion;
    int m_frame = 0;
};

}  // namespace quorvo::ui
