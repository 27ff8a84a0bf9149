#pragma once

// A button drawn from a strip of frames side by side: normal, hover (also
// focused), pressed and, when the strip has a fourth frame, disabled — shown
// instead of the framework's dimming.
//
//     auto& start = page.add<UiImageButton>(FloatRect {130, 610, 20, 20}, startStrip);
//     start.setCursor(Cursor::Hand);

#include "ui/core/UiButtonBase.h"

#include "gfx/Image.h"

#include <vector>

namespace quorvo::ui {

enum class ImageDrawMode {
    Natural = 0,   // at its own size at the control's origin
    Stretch = 1,   // stretched to the control
    NineGrid = 3,  // stretched around the margins' centre rectangle
};

struct ImageStrip {
    // Encoded picture (PNG, also without its signature, JPEG, GIF).
    Bytes image;
    int frameCount = 4;
    // Pixels between frames.
    int frameSpacing = 0;
    ImageDrawMode drawMode = ImageDrawMode::Natural;
    // The nine-grid centre rectangle (source pixels) for NineGrid.
    FloatRect margins;
};

class UiImageButton : public UiButtonBase {
public:
    UiImageButton(FloatRect rect, ImageStrip strip, Text caption = {}, ButtonOptions options = {});

    // Stores a copy of the strip and repaints.
    void setImage(ImageStrip strip);
    [[nodiscard]] const ImageStrip& strip() const { return m_strip; }
    [[nodiscard]] int frameWidth() const { return m_frameWidth; }
    // The frame painted for a state: 0 normal, 1 hover and focused, 2 pressed,
    // 3 disabled (only with at least four frames; fewer draw 0 and dim).
    [[nodiscard]] int frameIndexFor(ButtonState state) const;

    [[nodiscard]] bool drawsDimmedWhenDisabled() const override { return m_strip.frameCount < 4; }

protected:
    bool paintButton(gfx::Painter& painter, ButtonState state) override;

private:
    void cutFrames();

    ImageStrip m_strip;
    // The strip cut into one picture per frame.
    std::vector<gfx::Image> m_frames;
    int m_frameWidth = 0;
};

}  // namespace quorvo::ui
