#pragma once

// The small painters every control draws with. Geometry follows the
// framework's pixel model: fills cover x .. x + width - 1 and y .. y + height - 1
// (the "width - 1 / height - 1" rule); strokes run through pixel centres, so a
// 1-pixel line at y covers exactly row y and includes both end pixels.

#include "gfx/Color.h"
#include "gfx/Painter.h"
#include "gfx/Path.h"
#include "runtime/Geometry.h"

#include <cstdint>
#include <optional>

namespace quorvo::gfx {

enum class GradientMode { Horizontal = 0, Vertical = 1, ForwardDiagonal = 2, BackwardDiagonal = 3 };

enum class DashStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

// drawFrame styles; any other style value is itself the frame's ARGB colour.
namespace frame {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sunken = 1;
inline constexpr std::uint32_t Raised = 2;
inline constexpr std::uint32_t Solid = 3;
inline constexpr std::uint32_t Dashed = 4;
}  // namespace frame

void fillRect(Painter& painter, const FloatRect& rect, Argb colour);

// A two-colour linear gradient laid over the whole rectangle, mirrored (not
// clamped) beyond it; fills width - 1 by height - 1.
void fillGradient(Painter& painter, const FloatRect& rect, Argb start, Argb end,
                  GradientMode mode = GradientMode::Vertical);

void drawLine(Painter& painter, Argb colour, float x1, float y1, float x2, float y2, float width = 1.0f);

void drawFrame(Painter& painter, const FloatRect& rect, std::uint32_t style, std::optional<Argb> colour = std::nullopt,
               float width = 1.0f);

// The diameter is truncated to whole pixels.
void fillRoundRect(Painter& painter, const FloatRect& rect, float diameter, Argb colour);
void drawRoundRect(Painter& painter, const FloatRect& rect, float diameter, Argb colour,
                   DashStyle dash = DashStyle::Solid, float width = 1.0f);

// A soft white spot 36 pixels across, centred on (x, y), fading to alpha 50 at its rim.
void drawSpotGlow(Painter& painter, float x, float y);

}  // namespace quorvo::gfx
