#pragma once

// The message box's styled button: the framework's button look plus, while
// it holds the focus, a glow that pulses around its rounded outline on a
// 100 ms timer (paused while a state transition runs). It carries the code
// the box returns when it is pressed, and Esc on it closes the box.

#include "ui/controls/MessageBoxLayout.h"
#include "ui/core/UiButtonBase.h"

#include <chrono>

namespace quorvo::ui {

class UiMessageBoxButton : public UiButtonBase {
public:
    static constexpr std::chrono::milliseconds pulseInterval {100};
    static constexpr int pulseSteps = 10;

    UiMessageBoxButton(FloatRect rect, Text caption, MessageBoxResult code, int position);

    [[nodiscard]] MessageBoxResult code() const { return m_code; }
    // 1 = rightmost.
    [[nodiscard]] int position() const { return m_position; }
    [[nodiscard]] bool isPulsing() const { return m_pulsing; }
    [[nodiscard]] int pulsePhase() const { return m_phase; }

protected:
    bool paintButton(gfx::Painter& painter, ButtonState state) override;
    void focusInEvent(FocusEvent& event) override;
    void focusOutEvent(FocusEvent& event) override;
    void timerEvent(TimerEvent& event) override;
    void keyDownEvent(KeyEvent& event) override;
    void transitionStartedEvent(Event& event) override;
    void transitionEndedEvent(Event& event) override;

private:
    void startPulse();
    void stopPulse();

    MessageBoxResult m_code;
    int m_position;
    bool m_pulsing = false;
    bool m_pausedForTransition = false;
    int m_phase = 0;
};

}  // namespace quorvo::ui
