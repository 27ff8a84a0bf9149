#pragma once

// Real hosts on SDL's dummy video driver, driven by synthetic system input
// that goes through the platform's translation and the host's routing.

#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace quorvo::ui::test {

namespace synthetic = platform::synthetic;

// Program text from UTF-8 test literals.
inline Text gbk(std::string_view utf8)
{
    return encoding::fromUtf8(utf8);
}

class ControlsTest : public ::testing::Test {
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

    UiHost& makeHost(IntPoint position = {0, 0}, int width = 400, int height = 300)
    {
        HostOptions options;
        options.captionFlags = 0;
        options.position = position;
        options.width = width;
        options.height = height;
        options.dragAnywhere = false;
        options.backgroundColour = 0x00C68630;
        hosts.push_back(std::make_unique<UiHost>(*framework, std::move(options)));
        UiHost& host = *hosts.back();
        host.show();
        loop().setFocus(host.window());
        drain();
        return host;
    }

    platform::EventLoop& loop() { return framework->loop(); }

    void drain()
    {
        for (int i = 0; i < 4; ++i)
            framework->processPending();
    }

    template <typename Predicate>
    bool pumpUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            framework->processPending();
        }
        return true;
    }

    // The queue* calls only queue system input (for use inside nested loops);
    // the others also let the loop handle it.
    void queueClick(const UiHost& host, IntPoint at, synthetic::MouseButton button = synthetic::MouseButton::Left,
                    int clicks = 1)
    {
        synthetic::mouseMove(loop(), host.window(), at.x, at.y);
        synthetic::mouseButton(loop(), host.window(), button, true, at.x, at.y, clicks);
        synthetic::mouseButton(loop(), host.window(), button, false, at.x, at.y, clicks);
    }
    void queueKey(const UiHost& host, platform::WParam vk, synthetic::Modifiers modifiers = {})
    {
        synthetic::key(loop(), host.window(), vk, true, modifiers);
        synthetic::key(loop(), host.window(), vk, false, modifiers);
    }
    // Modifier keys go down and up as keys of their own, each handled
    // before the next, so that the input between them sees them held.
    void holdModifiers(const UiHost& host, synthetic::Modifiers modifiers, bool down)
    {
        if (modifiers.shift)
            synthetic::key(loop(), host.window(), platform::VK_SHIFT, down, down ? modifiers : synthetic::Modifiers {});
        if (modifiers.control)
            synthetic::key(loop(), host.window(), platform::VK_CONTROL, down,
                           down ? modifiers : synthetic::Modifiers {});
        drain();
    }
    void click(const UiHost& host, IntPoint at, synthetic::Modifiers modifiers = {}, int clicks = 1)
    {
        holdModifiers(host, modifiers, true);
        queueClick(host, at, synthetic::MouseButton::Left, clicks);
        drain();
        holdModifiers(host, modifiers, false);
    }
    void key(const UiHost& host, platform::WParam vk, synthetic::Modifiers modifiers = {})
    {
        holdModifiers(host, modifiers, true);
        queueKey(host, vk, modifiers);
        drain();
        holdModifiers(host, modifiers, false);
    }
    void type(const UiHost& host, std::string_view utf8)
    {
        synthetic::text(loop(), host.window(), utf8);
        drain();
    }

    std::unique_ptr<UiFramework> framework;
    std::vector<std::unique_ptr<UiHost>> hosts;
};

}  // namespace quorvo::ui::test
