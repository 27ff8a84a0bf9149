#include "ui/core/UiMotion.h"

namespace quorvo::ui {

void UiMotion::start(double targetX, double targetY, std::chrono::milliseconds duration)
{
    const long long ms = duration.count();
    if (ms <= 0) {
        m_x = targetX;
        m_y = targetY;
        m_velocityX = m_velocityY = m_accelerationX = m_accelerationY = 0.0;
        m_remainingMs = 0;
        return;
    }
    const double seconds = static_cast<double>(ms) / 1000.0;
    m_velocityX = 2.0 * (targetX - m_x) / seconds;
    m_velocityY = 2.0 * (targetY - m_y) / seconds;
    m_accelerationX = -m_velocityX / seconds;
    m_accelerationY = -m_velocityY / seconds;
    m_remainingMs = ms;
}

void UiMotion::step(std::chrono::milliseconds elapsed)
{
    long long stepMs = elapsed.count();
    if (stepMs <= 0) {
        return;
    }
    if (stepMs > m_remainingMs) {
        stepMs = m_remainingMs;
        m_remainingMs = 0;
    } else {
        m_remainingMs -= stepMs;
    }
    const double t = static_cast<double>(stepMs) / 1000.0;
    m_x += m_velocityX * t + m_accelerationX * t * t * 0.5;
    m_y += m_velocityY * t + m_accelerationY * t * t * 0.5;
    m_velocityX += m_accelerationX * t;
    m_velocityY += m_accelerationY * t;
    if (m_remainingMs == 0) {
        m_velocityX = m_velocityY = m_accelerationX = m_accelerationY = 0.0;
    }
}

}  // namespace quorvo::ui
