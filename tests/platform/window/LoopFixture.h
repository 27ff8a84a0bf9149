#pragma once

// Shared set-up for the window and event-loop tests: SDL's dummy video
// driver (no display needed), one loop per test, and a recording procedure.

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

    // A window whose procedure records every message and answers `answer`.
    WindowId makeRecordingWindow(std::vector<Message>& log, LResult answer = 0)
    {
        const WindowId window = makeWindow();
        loop->setWindowProcedure(window, [this, &log, answer](const Message& message) -> LResult {
            log.push_back(message);
            if (message.message == WM_CLOSE) {
                return loop->defaultProcedure(message);
            }
            return answer;
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

    static std::vector<Message> only(const std::vector<Message>& log, MessageId id)
    {
        std::vector<Message> result;
        for (const Message& message : log) {
            if (message.message == id) {
                result.push_back(message);
            }
        }
        return result;
    }

    std::unique_ptr<EventLoop> loop;
    bool timedOut = false;
};

}  // namespace quorvo::platform::test
