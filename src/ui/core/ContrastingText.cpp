#include "ui/core/ContrastingText.h"

#include "ui/core/UiControl.h"
#include "ui/core/UiHost.h"
#include "ui/core/UiRenderer.h"

#include "gfx/Image.h"

namespace quorvo::ui {

gfx::Argb contrastingTextColour(const UiControl& control, gfx::Argb colour)
{
    bool dark = false;
    if (const UiHost* owner = control.host()) {
        const FloatRect r = control.rect();
        const gfx::Image& picture = owner->backgroundImage();
        int darkSamples = 0;
        for (const float fy : {0.2f, 0.5f, 0.8f}) {
            for (const float fx : {0.2f, 0.5f, 0.8f}) {
                const gfx::Argb sample = picture.isNull()
                    ? argbFromRgb(owner->backgroundColour(), 255)
                    : picture.activeFrame().pixel(static_cast<int>(r.x + r.width * fx),
                                                  static_cast<int>(r.y + r.height * fy));
                darkSamples += gfx::isDark(sample) ? 1 : 0;
            }
        }
        dark = darkSamples >= 5;
    }
    return (colour & 0xFF000000u) | (dark ? 0x00FFFFFFu : 0x00000000u);
}

}  // namespace quorvo::ui
