#include "ui/controls/UiMarkButton.h"

#include "ui/core/UiHost.h"

#include "assets/Layout.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

constexpr float boxX = 4;
constexpr float boxY = 4;
constexpr float boxWidth = 20;
constexpr float captionX = boxX + boxWidth;
constexpr float mark = assets::layout::markFrameSize;

}  // namespace

UiMarkButton::UiMarkButton(FloatRect rect, Text caption, ButtonOptions options, const gfx::Image& strip,
                           ControlKind kind)
    : UiButtonBase(rect, std::move(caption), options)
    , m_strip(strip)
{
    setKind(kind);
}

int UiMarkButton::markFrameX(bool checked, ButtonState state)
{
    const bool quiet = state == ButtonState::Normal || state == ButtonState::Focused;
    const int frame = (checked ? 2 : 0) + (quiet ? 0 : 1);
    return frame * assets::layout::markFrameSize;
}

bool UiMarkButton::storeChecked(bool checked)
{
    if (checked == m_checked)
        return false;
    m_checked = checked;
    update();
    if (onCheckedChanged)
        onCheckedChanged(checked);
    return true;
}

bool UiMarkButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    // The mark is centred in its box, which leaves 4 pixels above and below.
    const float boxHeight = height() - 8;
    const float markY = boxY + std::floor((boxHeight - mark) / 2);
    const float markX = boxX + std::floor((boxWidth - mark) / 2);
    if (!m_strip.isNull())
        gfx::drawImage(painter, m_strip, {markX, markY, mark, mark},
                       FloatRect {float(markFrameX(m_checked, state)), 0, mark, mark});

    if (caption().empty())
        return true;
    const FloatRect room {captionX, 0, std::max(0.0f, width() - captionX), height()};
    const FloatRect measured = gfx::measureString(painter, caption(), font(), textFormat(), room);
    const FloatRect text {captionX, std::floor((height() - measured.height) / 2), measured.width + 2,
                          measured.height + 2};
    gfx::drawText(painter, text, caption(), font(), effectiveTextColour(), textFormat(), gfx::TextEffect(textEffect()));

    if (host() != nullptr && host()->keyboardFocusMarker() == this) {
        FloatRect frame {text.x - 2, text.y - 2, text.width + 3, text.height + 3};
        frame.x = std::max(0.0f, frame.x);
        frame.y = std::max(0.0f, frame.y);
        frame.width = std::min(frame.width, width() - frame.x);
        frame.height = std::min(frame.height, height() - frame.y);
        gfx::drawRoundRect(painter, frame, 0, gfx::argb(120, 0, 0, 0), gfx::DashStyle::Dot);
    }
    return true;
}

}  // namespace quorvo::ui
