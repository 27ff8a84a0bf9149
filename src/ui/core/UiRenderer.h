#pragma once

// Turns a host's control tree into pixels: the cached background (picture,
// colour, translucency, the program's own background drawing, the soft frame)
// and the back buffer into which control surfaces are composed over it, with
// their alpha, disabled dimming and running transitions. Private to ui/core.

#include "gfx/Color.h"
#include "gfx/Image.h"
#include "gfx/Path.h"
#include "gfx/Surface.h"
#include "runtime/Geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::ui {

class UiControl;

struct BackgroundStyle {
    const gfx::Image* image = nullptr;
    std::uint32_t colour = 0;  // Windows RGB (0x00BBGGRR), drawn opaque
    int imageMode = 0;
    int frameStyle = 7;
    bool imageFrame = true;
    int layerAlpha = -1;
    bool softFrame = false;
    std::optional<gfx::Argb> frameColour;
    FloatRect margins;
    const std::function<void(gfx::Painter&, IntSize)>* paint = nullptr;
};

// A Windows RGB value (0x00BBGGRR) as an ARGB colour of the given alpha.
[[nodiscard]] constexpr gfx::Argb argbFromRgb(std::uint32_t rgb, int alpha)
{
    return gfx::argb(alpha, static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                     static_cast<int>((rgb >> 16) & 0xFF));
}

class UiRenderer {
public:
    // `scale`: device pixels per logical pixel of the buffers.
    explicit UiRenderer(IntSize size, int scale = 1);

    void resize(IntSize size);
    [[nodiscard]] IntSize size() const { return m_size; }
    [[nodiscard]] gfx::Surface& backBuffer() { return m_back; }
    [[nodiscard]] const gfx::Surface& backBuffer() const { return m_back; }
    [[nodiscard]] const gfx::Surface& background() const { return m_background; }

    // Renders the background and rebuilds the clip region (none in skin mode).
    void renderBackground(const BackgroundStyle& style);
    // Recomposes `rect` of the back buffer: background, then the controls in list order.
    void compose(const FloatRect& rect, std::span<const std::unique_ptr<UiControl>> controls);

    // One control and its children, clipped to `clip` (already set on the painter).
    static void drawControl(gfx::Painter& painter, UiControl& control, const FloatRect& clip);

private:
    IntSize m_size;
    int m_scale = 1;
    gfx::Surface m_back;
    gfx::Surface m_background;
    std::optional<gfx::Path> m_clip;
};

// The smallest whole-pixel rectangle holding `rect`, inside the size.
[[nodiscard]] IntRect pixelBounds(const FloatRect& rect, IntSize size);

}  // namespace quorvo::ui
