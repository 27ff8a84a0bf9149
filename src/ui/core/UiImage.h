#pragma once

// UiImage: a still or animated picture in the control tree (kind Image). An
// animated picture (a GIF's frames) advances frame by frame with the delays
// stored in it while animate is on. The host shows its small icon with one.

#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Image.h"

#include <optional>
#include <vector>

namespace quorvo::ui {

enum class ImageDrawMode {
    Natural = 0,   // at its own size at the top-left
    Stretch = 1,   // stretched over the control
    Fit = 2,       // scaled to fit, aspect kept, centred
    NineGrid = 3,  // nine-grid with the margins (plain stretch when they are empty)
};

struct ImageOptions {
    bool animate = false;
    gfx::Argb borderColour = 0;      // 0: no outline
    gfx::Argb backgroundColour = 0;  // 0: no fill
    // Frame delays of 0 become 10 (100 ms).
    bool zeroDelayFix = false;
    ImageDrawMode drawMode = ImageDrawMode::Stretch;
    FloatRect margins;
};

class UiImage : public UiControl {
public:
    // From encoded bytes (PNG, also without its signature, JPEG, GIF).
    UiImage(FloatRect rect, Bytes image, ImageOptions options = {});
    // From an already decoded picture (the "icon" form); its alpha is kept.
    UiImage(FloatRect rect, gfx::Image image, ImageOptions options = {});

    [[nodiscard]] bool animate() const { return m_options.animate; }
    void setAnimate(bool animate);
    // Replaces the picture; with a transition style the change cross-fades or pushes.
    void setImage(Bytes image, std::optional<TransitionStyle> transition = std::nullopt, int frames = 5,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(60));
    [[nodiscard]] const Bytes& imageBytes() const { return m_bytes; }
    [[nodiscard]] const gfx::Image& image() const { return m_image; }
    // A picture takes a press (and the focus with it) but is no Tab stop.
    [[nodiscard]] bool isTabStop() const override { return false; }
    [[nodiscard]] gfx::Argb backgroundColour() const { return m_options.backgroundColour; }
    void setBackgroundColour(gfx::Argb colour);
    void setBorderColour(gfx::Argb colour);
    void setDrawMode(ImageDrawMode mode);

    // 1-based frame counter and frame information.
    [[nodiscard]] int currentFrame() const { return m_frame; }
    [[nodiscard]] int frameCount() const { return m_frameCount; }
    // Hundredths of a second per frame.
    [[nodiscard]] const std::vector<int>& frameDelays() const { return m_delays; }
    [[nodiscard]] bool isTimerRunning() const { return m_timerRunning; }

protected:
    void createEvent(Event&) override;
    void destroyEvent(Event&) override;
    void paintEvent(PaintEvent& event) override;
    void shownEvent(Event&) override;
    void timerEvent(TimerEvent& event) override;
    void transitionEndedEvent(Event&) override;

private:
    void readFrameInformation();
    void scheduleNextFrame();
    void stopTimer();

    Bytes m_bytes;
    gfx::Image m_image;
    ImageOptions m_options;
    int m_frame = 1;
    int m_frameCount = 0;
    std::vector<int> m_delays;
    bool m_transitionPending = false;
    bool m_timerRunning = false;
};

}  // namespace quorvo::ui
