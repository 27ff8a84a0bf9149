#include "ui/controls/UiLink.h"

#include "gfx/Font.h"
#include "runtime/Encoding.h"
#include "ui/core/UiHost.h"

namespace quorvo::ui {

UiLink::UiLink(FloatRect rect, Text caption, LabelOptions options)
    : UiLabel(rect, std::move(caption), options)
    , m_normalColour(options.textColour)
{
    setKind(ControlKind::Link);
    setFocusable(true);
    setCursor(Cursor::Hand);
    gfx::StringFormat format = textFormat();
    format.flags(format.flags() | gfx::StringFormatFlags::NoWrap);
    setTextFormat(format);
}

void UiLink::setNormalColour(gfx::Argb colour)
{
    m_normalColour = colour;
    if (!m_hovered && !m_visited)
        setTextColour(colour);
}

void UiLink::setHoverColour(gfx::Argb colour)
{
    m_hoverColour = colour;
    if (m_hovered)
        setTextColour(colour);
}

void UiLink::setVisitedColour(gfx::Argb colour)
{
    m_visitedColour = colour;
    if (!m_hovered && m_visited)
        setTextColour(colour);
}

void UiLink::mouseEnterEvent(HoverEvent&)
{
    m_hovered = true;
    applyFontStyle(fontStyle() | gfx::FontStyle::Underline);
    setTextColour(m_hoverColour);
}

void UiLink::mouseLeaveEvent(HoverEvent&)
{
    m_hovered = false;
    applyFontStyle(gfx::FontStyle(int(fontStyle()) & ~int(gfx::FontStyle::Underline)));
    setTextColour(m_visited ? m_visitedColour : m_normalColour);
}

void UiLink::clickEvent(ClickEvent&)
{
    m_visited = true;
    if (!m_target.empty()) {
        const Text address = m_webAddress ? m_target : Text("mailto:") + m_target;
        m_lastOpenError.clear();
        const UiFramework::LinkOpener& opener = m_opener || !host() ? m_opener : host()->framework().linkOpener();
        if (!opener || !opener(encoding::toUtf8(address.view())))
            m_lastOpenError = "the desktop could not open " + encoding::toUtf8(address.view());
        setTextColour(m_visitedColour);
    }
    if (onClick)
        onClick();
}

}  // namespace quorvo::ui
