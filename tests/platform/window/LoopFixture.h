#pragma once

// Shared set-up for the window and event-loop tests: SDL's dummy video
// driver (no display needed), one loop per test, and a recording handler.

#include "platform/window/EventLoop.h"

#include "PumpUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

namespace quorvo::platform::test {

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Headless on every machine, also where a display exists.
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::string error;
        loop = EventLoop::create(&error);
        ASSERT_TRUE(loop) << error;
    }

    void TearDown() override { loop.reset(); }

    WindowId makeWindow(WindowKind kind = WindowKind::TopLevel, WindowId owner = {})
    {
        WindowOptions options;
        options.kind = kind;
        options.owner = owner;
        options.width = 120;
        options.height = 80;
        options.position = IntPoint {10, 10};
        const WindowId window = loop->createWindow(options);
        EXPECT_TRUE(window);
        return window;
    }

    // A window whose handler records every event and closes on request.
    WindowId makeRecordingWindow(std::vector<WindowEvent>& log)
    {
        const WindowId window = makeWindow();
        loop->setWindowHandler(window, [this, &log, window](const WindowEvent& event) {
            log.push_back(event);
            if (std::holds_alternative<CloseRequested>(event)) {
                loop->close(window);
            }
        });
        return window;
    }

    // run() with a safety net: a stuck loop fails the test instead of hanging.
    int runWithLimit(std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        const WindowId guard = makeWindow();
        loop->setTimer(guard, 1, limit, [this](WindowId, TimerId) {
            timedOut = true;
            loop->quit(-1);
        });
        const int code = loop->run();
        EXPECT_FALSE(timedOut) << "the loop did not end by itself";
        return code;
    }

    // Dispatches until `done` holds or the limit passes; true when it held.
    template <typename Predicate>
    bool pumpUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        return quorvo::test::pumpUntil(
            done, [this] { loop->processPending(); }, limit);
    }

    // The events of one kind, in order.
    template <typename Kind> static std::vector<Kind> only(const std::vector<WindowEvent>& log)
    {
        std::vector<Kind> result;
        for (const WindowEvent& event : log) {
            if (const auto* wanted = std::get_if<Kind>(&event)) {
                result.push_back(*wanted);
            }
        }
        return result;
    }

    std::unique_ptr<EventLoop> loop;
    bool timedOut = false;
};

}  // namespace quorvo::platform::test
