#pragma once

// Layout rectangles in float pixels, as every painter receives them.

namespace quorvo::gfx {

struct RectF {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    friend bool operator==(const RectF&, const RectF&) = default;
};

struct PointF {
    float x = 0.0f;
    float y = 0.0f;

    friend bool operator==(const PointF&, const PointF&) = default;
};

}  // namespace quorvo::gfx
