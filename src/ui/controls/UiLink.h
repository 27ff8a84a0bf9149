#pragma once

// A label that behaves as a hyperlink: underlined and recoloured under the
// mouse, a hand cursor, and on a click its target opens with the desktop's
// opener (a mail address as "mailto:" plus the address), asked through the
// framework's link opener. A link without a target only raises its click
// (the "全选" and "反选" text buttons).

#include "ui/controls/UiLabel.h"
#include "ui/core/UiFramework.h"

#include <functional>
#include <string>

namespace quorvo::ui {

class UiLink : public UiLabel {
public:
    UiLink(FloatRect rect, Text caption = {}, LabelOptions options = {});

    [[nodiscard]] const Text& target() const { return m_target; }
    // Unlike a label, a link is worked by the keyboard.
    [[nodiscard]] bool isTabStop() const override { return true; }
    void setTarget(const Text& target) { m_target = target; }
    // True (the default): the target is a web address; false: a mail address.
    [[nodiscard]] bool isWebAddress() const { return m_webAddress; }
    void setWebAddress(bool web) { m_webAddress = web; }

    [[nodiscard]] gfx::Argb normalColour() const { return m_normalColour; }
    void setNormalColour(gfx::Argb colour);
    [[nodiscard]] gfx::Argb hoverColour() const { return m_hoverColour; }
    void setHoverColour(gfx::Argb colour);
    [[nodiscard]] gfx::Argb visitedColour() const { return m_visitedColour; }
    void setVisitedColour(gfx::Argb colour);
    [[nodiscard]] bool isVisited() const { return m_visited; }

    // How this link's target is opened instead of the framework's opener
    // (tests record instead of launching a browser).
    void setOpener(UiFramework::LinkOpener opener) { m_opener = std::move(opener); }
    // Clicked (after its target, if any, was opened).
    std::function<void()> onClick;

    // Why the last click's target did not open; empty after a success.
    [[nodiscard]] const std::string& lastOpenError() const { return m_lastOpenError; }

protected:
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;
    void clickEvent(ClickEvent& event) override;

private:
    Text m_target;
    bool m_webAddress = true;
    bool m_visited = false;
    bool m_hovered = false;
    gfx::Argb m_normalColour;
    gfx::Argb m_hoverColour = gfx::argb(210, 0, 96, 192);
    gfx::Argb m_visitedColour = gfx::argb(210, 128, 0, 0);
    UiFramework::LinkOpener m_opener;
    std::string m_lastOpenError;
};

}  // namespace quorvo::ui
