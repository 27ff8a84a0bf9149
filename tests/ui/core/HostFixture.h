#pragma once

// Real hosts on SDL's dummy video driver, driven by synthetic system input
// that goes through the platform's translation and the host's routing.

#include "ui/core/UiControl.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"

#include "gfx/Color.h"
#include "gfx/Image.h"
#include "gfx/Surface.h"

#include "PumpUntil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace quorvo::ui::test {

// Logs what it receives as "name:Event" lines into a shared journal.
class Probe : public UiControl {
public:
    Probe(FloatRect rect, std::string name, std::vector<std::string>& journal, bool focusable = true)
        : UiControl(rect, ControlKind::Button, focusable)
        , m_name(std::move(name))
        , m_journal(journal)
    { }

    bool acceptKeys = false;
    bool takesPress = false;
    gfx::Argb fill = 0;

    [[nodiscard]] bool wantsPress() const override { return takesPress; }

protected:
    void log(const char* what) { m_journal.push_back(m_name + ":" + what); }
    void paintEvent(PaintEvent& event) override;
    void mouseDownEvent(MouseEvent& e) override { log(e.isDoubleClick() ? "DoubleDown" : "Down"); }
    void mouseUpEvent(MouseEvent&) override { log("Up"); }
    void mouseMoveEvent(MouseEvent&) override { log("Move"); }
    void mouseEnterEvent(HoverEvent&) override { log("Enter"); }
    void mouseLeaveEvent(HoverEvent&) override { log("Leave"); }
    void focusInEvent(FocusEvent&) override { log("FocusIn"); }
    void focusOutEvent(FocusEvent&) override { log("FocusOut"); }
    void clickEvent(ClickEvent& e) override { log(e.byMouse() ? "Click" : "KeyClick"); }
    void keyDownEvent(KeyEvent& event) override
    {
        log("KeyDown");
        if (!acceptKeys) {
            event.ignore();
        }
    }

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};

// A one-frame picture of one colour.
inline gfx::Image solidImage(int width, int height, gfx::Argb colour)
{
    gfx::Surface surface = gfx::Surface::create(width, height);
    surface.clear(colour);
    auto frames = std::make_shared<gfx::Image::Frames>();
    frames->frames.push_back(std::move(surface));
    frames->delays.push_back(0);
    return gfx::Image(std::move(frames));
}

// Straight-alpha pixels compared per channel with a tolerance.
inline ::testing::AssertionResult argbNear(gfx::Argb actual, gfx::Argb expected, int tolerance = 3)
{
    const int channels[][2] = {{gfx::alphaOf(actual), gfx::alphaOf(expected)},
                               {gfx::redOf(actual), gfx::redOf(expected)},
                               {gfx::greenOf(actual), gfx::greenOf(expected)},
                               {gfx::blueOf(actual), gfx::blueOf(expected)}};
    for (const auto& [a, e] : channels) {
        if (std::abs(a - e) > tolerance) {
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
    }
    void TearDown() override
    {
        hosts.clear();
        framework.reset();
    }

    UiHost& makeHost(HostOptions options = {})
    {
        if (!options.captionFlags) {
            options.captionFlags = 0;
        }
        if (!options.position) {
            options.position = IntPoint {0, 0};
        }
        if (options.width == 380 && options.height == 250) {
            options.width = 200;
            options.height = 150;
        }
        hosts.push_back(std::make_unique<UiHost>(*framework, std::move(options)));
        UiHost& host = *hosts.back();
        host.show();
        drain();
        return host;
    }

    // A square-cornered host on plain white, for golden pixels.
    UiHost& makeWhiteHost()
    {
        HostOptions options;
        options.backgroundColour = 0xFFFFFF;
        options.frameStyle = 0;
        return makeHost(std::move(options));
    }

    platform::EventLoop& loop() { return framework->loop(); }

    // Lets the loop read, translate and dispatch everything queued so far.
    void drain()
    {
        for (int i = 0; i < 4; ++i) {
            framework->processPending();
        }
    }

    template <typename Predicate>
    bool pumpUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        return quorvo::test::pumpUntil(
            done, [this] { framework->processPending(); }, limit);
    }

    void move(UiHost& host, int x, int y, bool held = false)
    {
        platform::synthetic::mouseMove(loop(), host.window(), x, y, held);
        drain();
    }
    void press(UiHost& host, int x, int y, int clicks = 1)
    {
        platform::synthetic::mouseButton(loop(), host.window(), platform::synthetic::MouseButton::Left, true, x, y,
                                         clicks);
        drain();
    }
    void release(UiHost& host, int x, int y)
    {
        platform::synthetic::mouseButton(loop(), host.window(), platform::synthetic::MouseButton::Left, false, x, y);
        drain();
    }
    void clickAt(UiHost& host, int x, int y)
    {
        move(host, x, y);
        press(host, x, y);
        release(host, x, y);
    }
    void key(UiHost& host, platform::Key vk, platform::synthetic::Modifiers modifiers = {})
    {
        platform::synthetic::key(loop(), host.window(), vk, true, modifiers);
        platform::synthetic::key(loop(), host.window(), vk, false, modifiers);
        drain();
    }
    // A letter or digit key.
    void key(UiHost& host, char letter, platform::synthetic::Modifiers modifiers = {})
    {
        key(host, platform::keyFor(letter), modifiers);
    }

    std::unique_ptr<UiFramework> framework;
    std::vector<std::unique_ptr<UiHost>> hosts;
    std::vector<std::string> journal;
};

}  // namespace quorvo::ui::test
