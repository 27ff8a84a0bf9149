#pragma once

// UiMotion: moves a point to a target over a given time with constant
// deceleration, arriving with speed 0. The page switch slides with it: from
// (0, 0) towards (400, 0) in 100 ms, stepped by 20 ms, x is 144, 256, 336,
// 384 and 400.

#include <chrono>

namespace quorvo::ui {

class UiMotion {
public:
    UiMotion() = default;
    UiMotion(double x, double y)
        : m_x(x)
        , m_y(y)
    { }

    // Starts a move from the current point to (targetX, targetY) over `duration`.
    void start(double targetX, double targetY, std::chrono::milliseconds duration);
    // Advances the move by `elapsed`; a step beyond the remaining time ends the move.
    void step(std::chrono::milliseconds elapsed);

    [[nodiscard]] double x() const { return m_x; }
    [[nodiscard]] double y() const { return m_y; }
    [[nodiscard]] bool isMoving() const { return m_remainingMs > 0; }

private:
    double m_x = 0.0;
    double m_y = 0.0;
    double m_velocityX = 0.0;
    double m_velocityY = 0.0;
    double m_accelerationX = 0.0;
    double m_accelerationY = 0.0;
    long long m_remainingMs = 0;
};

}  // namespace quorvo::ui
