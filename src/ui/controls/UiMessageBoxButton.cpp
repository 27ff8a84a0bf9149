#include "ui/controls/UiMessageBoxButton.h"

#include "ui/core/UiHost.h"

#include "gfx/Painter.h"
#include "gfx/Shapes.h"

#include <cmath>

namespace quorvo::ui {

namespace {

constexpr int pulseTimer = 1;

}  // namespace

UiMessageBoxButton::UiMessageBoxButton(FloatRect rect, Text caption, MessageBoxResult code, int position)
    : UiButtonBase(rect, std::move(caption))
    , m_code(code)
    , m_position(position)
{
    setKind(ControlKind::MessageBoxButton);
    gfx::StringFormat format = textFormat();
    format.align(gfx::StringAlignment::Center);
    setTextFormat(format);
}

void UiMessageBoxButton::startPulse()
{
    m_pulsing = startTimer(pulseTimer, pulseInterval);
}

void UiMessageBoxButton::stopPulse()
{
    if (m_pulsing)
        killTimer(pulseTimer);
    m_pulsing = false;
}

void UiMessageBoxButton::focusInEvent(FocusEvent&)
{
    // Not the base's focused look: the glow shows the focus instead.
    m_phase = 0;
    startPulse();
    update();
}

void UiMessageBoxButton::focusOutEvent(FocusEvent& event)
{
    stopPulse();
    m_pausedForTransition = false;
    UiButtonBase::focusOutEvent(event);
}

void UiMessageBoxButton::timerEvent(TimerEvent& event)
{
    if (event.id() != pulseTimer)
        return;
    m_phase = (m_phase + 1) % pulseSteps;
    update();
}

void UiMessageBoxButton::transitionStartedEvent(Event&)
{
    if (m_pulsing) {
        stopPulse();
        m_pausedForTransition = true;
    }
}

void UiMessageBoxButton::transitionEndedEvent(Event& event)
{
    UiButtonBase::transitionEndedEvent(event);
    if (m_pausedForTransition && hasFocus())
        startPulse();
    m_pausedForTransition = false;
}

void UiMessageBoxButton::keyDownEvent(KeyEvent& event)
{
    if (event.key() == Key::Escape && host() != nullptr) {
        host()->requestClose();
        return;
    }
    event.ignore();
}

bool UiMessageBoxButton::paintButton(gfx::Painter& painter, ButtonState state)
{
    paintDefaultFrame(painter, state == ButtonState::Focused ? ButtonState::Normal : state);
    if (hasFocus()) {
        // A soft ring inside the outline whose strength rises and falls once per cycle.
        const double wave = 0.5 - 0.5 * std::cos(2.0 * M_PI * m_phase / pulseSteps);
        for (int ring = 0; ring < 3; ++ring) {
            const int alpha = int((90 - ring * 28) * (0.35 + 0.65 * wave));
            const float inset = float(ring) + 1.0f;
            gfx::drawRoundRect(painter, {inset, inset, width() - 2 * inset, height() - 2 * inset}, 6,
                               gfx::argb(alpha, 255, 170, 40), gfx::DashStyle::Solid, 1.0f);
        }
    }
    paintImageAndCaption(painter, state == ButtonState::Focused ? ButtonState::Normal : state);
    return true;
}

}  // namespace quorvo::ui
