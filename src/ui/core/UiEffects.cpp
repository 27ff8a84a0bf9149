#include "ui/core/UiEffects.h"

#include "gfx/Painter.h"
#include "gfx/Surface.h"

#include <algorithm>

namespace quorvo::ui {

namespace {

using std::chrono::milliseconds;

}  // namespace

int closeEffectFrameCount(int effect)
{
    return effect == 2 ? 20 : 15;
}

EffectFrame closeEffectFrame(int effect, int frame, IntSize size)
{
    const auto w = static_cast<float>(size.width);
    const auto h = static_cast<float>(size.height);
    const auto f = static_cast<float>(frame);
    EffectFrame result;
    result.destination = {0, 0, w, h};
    result.alpha = std::clamp(255 - 17 * frame, 0, 255);
    switch (effect) {
    case 1:
        result.pause = milliseconds(10);
        break;
    case 2:
        result.alpha = std::clamp(255 - 12 * frame, 0, 255);
        if (frame <= 3) {
            result.destination = {-0.75f * f, -0.75f * f, w + 1.5f * f, h + 1.5f * f};
        } else {
            const float s = 2.0f * (f - 3);
            result.destination = {s / 2 - 5, s / 2 - 5, w + 10 - s, h + 10 - s};
        }
        result.pause = milliseconds(std::max(16 - frame, 10));
        break;
    case 3:
    case 4: {
        const int step = size.width / 15;
        const float offset = static_cast<float>(step * frame);
        result.destination.x = effect == 3 ? offset : -offset;
        result.pause = milliseconds(8);
        break;
    }
    case 7: {
        const int dx = static_cast<int>(w * 0.1f / 15);
        const int dy = static_cast<int>(h * 0.1f / 15);
        const auto n = static_cast<float>(frame - 1);
        result.destination = {dx * n, dy * n, w - 2 * dx * n, h - 2 * dy * n};
        result.pause = milliseconds(std::max(13 - frame, 1));
        break;
    }
    default: {
        const int step = size.height / 15;
        const float offset = static_cast<float>(step * frame);
        result.destination.y = effect == 5 ? offset : -offset;
        result.pause = milliseconds(8);
        break;
    }
    }
    return result;
}

EffectFrame showEffectFrame(int effect, int frame, IntSize size, std::chrono::milliseconds duration)
{
    const auto w = static_cast<float>(size.width);
    const auto h = static_cast<float>(size.height);
    const int remaining = showEffectFrames - frame;
    EffectFrame result;
    result.destination = {0, 0, w, h};
    result.alpha = (255 / showEffectFrames) * (frame - 1);
    result.pause = duration / showEffectFrames;
    switch (effect) {
    case 1:
        break;
    case 3:
    case 4: {
        // Coming in the direction the close slide goes: 3 from the left, 4 from the right.
        const float offset = static_cast<float>((size.width / showEffectFrames) * remaining);
        result.destination.x = effect == 3 ? -offset : offset;
        break;
    }
    case 7: {
        const int dx = static_cast<int>(w * 0.1f / showEffectFrames);
        const int dy = static_cast<int>(h * 0.1f / showEffectFrames);
        const auto n = static_cast<float>(remaining);
        result.destination = {dx * n, dy * n, w - 2 * dx * n, h - 2 * dy * n};
        result.pause = milliseconds(10);
        break;
    }
    default: {
        // 5 comes down from above; 6 and the others come up from below.
        const float offset = static_cast<float>((size.height / showEffectFrames) * remaining);
        result.destination.y = effect == 5 ? -offset : offset;
        break;
    }
    }
    return result;
}

void drawEffectFrame(gfx::Surface& target, const gfx::Surface& picture, const EffectFrame& frame)
{
    target.clear(0);
    if (frame.alpha <= 0 || frame.destination.empty()) {
        return;
    }
    gfx::Painter painter(target);
    const FloatRect& d = frame.destination;
    painter.drawSurface(picture, {d.x, d.y, d.width, d.height},
                        {0, 0, static_cast<float>(picture.width()), static_cast<float>(picture.height())},
                        frame.alpha / 255.0);
}

}  // namespace quorvo::ui
