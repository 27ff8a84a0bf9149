#pragma once

// The tooltip: a small top-most popup window drawn by the framework. The
// host names the tool (a rectangle of its window and a text); once the
// pointer has rested inside it for the initial delay the tip appears under
// the pointer, and it goes again when the pointer leaves the tool, a button
// is pressed or the tool changes. Private to ui/core.

#include "gfx/Surface.h"
#include "platform/window/WindowEvent.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <chrono>
#include <memory>

namespace quorvo::platform {
class EventLoop;
}

namespace quorvo::ui {

class UiTooltip {
public:
    static constexpr std::chrono::milliseconds initialDelay {500};
    static constexpr int maxWidth = 1024;

    UiTooltip(platform::EventLoop& loop, platform::WindowId owner);
    ~UiTooltip();
    UiTooltip(const UiTooltip&) = delete;
    UiTooltip& operator=(const UiTooltip&) = delete;

    // The tool: `area` in the owner's window coordinates; an empty text removes it.
    void setTool(const FloatRect& area, const Text& text);
    void clear();
    // Pointer activity over the owner window (window coordinates).
    void pointerMoved(IntPoint position);
    void pointerPressed();
    void pointerLeft();

    [[nodiscard]] bool isShown() const { return m_shown; }
    [[nodiscard]] platform::WindowId window() const { return m_window; }
    [[nodiscard]] const Text& text() const { return m_text; }
    // The tip's picture (for tests).
    [[nodiscard]] const gfx::Surface& picture() const { return m_picture; }

    // Shows the tip at once (the delay's end).
    void popUp();

private:
    void hideTip();
    void arm();

    platform::EventLoop& m_loop;
    platform::WindowId m_owner;
    platform::WindowId m_window;
    FloatRect m_area;
    Text m_text;
    IntPoint m_pointer;
    bool m_shown = false;
    bool m_armed = false;
    gfx::Surface m_picture;
    std::shared_ptr<UiTooltip*> m_self;
};

}  // namespace quorvo::ui
