#pragma once

// The window's opening and closing animations, frame by frame: where the
// window picture is drawn, at which opacity, and the pause that follows.
// UiHost runs them; the functions are pure so that the frames can be checked.
//
// Close effects (15 frames, effect 2: 20): 1 fade, 2 swell then shrink,
// 3/4 slide right/left, 5 slide down, 6 (and any other number) slide up,
// 7 shrink towards the centre. Show effects (10 frames): 1 fade, 3/4 slide in
// horizontally, 7 zoom in, any other non-zero number slide in vertically.

#include "runtime/Geometry.h"

#include <chrono>

namespace quorvo::gfx {
class Surface;
}

namespace quorvo::ui {

struct EffectFrame {
    FloatRect destination;  // where the whole window picture is drawn, scaled
    int alpha = 255;        // 0..255
    std::chrono::milliseconds pause {0};
};

[[nodiscard]] int closeEffectFrameCount(int effect);
// Frame 1..closeEffectFrameCount(effect).
[[nodiscard]] EffectFrame closeEffectFrame(int effect, int frame, IntSize size);

inline constexpr int showEffectFrames = 10;
// Frame 1..10 of a show effect lasting `duration`.
[[nodiscard]] EffectFrame showEffectFrame(int effect, int frame, IntSize size, std::chrono::milliseconds duration);

// Clears `target` to transparent and draws `picture` into the frame's
// destination at the frame's opacity.
void drawEffectFrame(gfx::Surface& target, const gfx::Surface& picture, const EffectFrame& frame);

}  // namespace quorvo::ui
