// Posting and sending from other threads: order, results, and never hanging.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

#include <atomic>
#include <map>
#include <thread>

namespace quorvo::platform::test {
namespace {

constexpr MessageId workMessage = 0x0400;
constexpr MessageId doneMessage = 0x0401;

TEST_F(LoopTest, PostsFromSeveralThreadsArriveInEachThreadsOrder)
{
    constexpr int threadCount = 4;
    constexpr int perThread = 2000;
    std::map<WParam, std::vector<LParam>> seen;
    int done = 0;
    const WindowId window = makeWindow();
    loop->setWindowProcedure(window, [&](const Message& message) -> LResult {
        if (message.message == workMessage) {
            seen[message.wParam].push_back(message.lParam);
        } else if (message.message == doneMessage && ++done == threadCount) {
            loop->quit(0);
        }
        return 0;
    });
    std::vector<std::jthread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                EXPECT_TRUE(loop->post(window, workMessage, t, i));
            }
            loop->post(window, doneMessage);
        });
    }
    EXPECT_EQ(runWithLimit(), 0);
    threads.clear();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(threadCount));
    for (const auto& [thread, sequence] : seen) {
        ASSERT_EQ(sequence.size(), static_cast<std::size_t>(perThread)) << "thread " << thread;
        for (int i = 0; i < perThread; ++i) {
            ASSERT_EQ(sequence[static_cast<std::size_t>(i)], i) << "thread " << thread << " out of order";
        }
    }
}

TEST_F(LoopTest, SendsFromSeveralThreadsGetTheirOwnResults)
{
    constexpr int threadCount = 4;
    constexpr int perThread = 300;
    const WindowId window = makeWindow();
    std::thread::id procedureThread;
    loop->setWindowProcedure(window, [&](const Message& message) -> LResult {
        procedureThread = std::this_thread::get_id();
        return message.wParam * 1000 + message.lParam;
    });
    std::atomic<int> wrong {0};
    std::atomic<int> finished {0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                const auto result = loop->send(window, workMessage, t, i);
                if (!result || *result != t * 1000 + i) {
                    ++wrong;
                }
            }
            if (++finished == threadCount) {
                loop->quit(3);
            }
        });
    }
    EXPECT_EQ(runWithLimit(), 3);
    threads.clear();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(procedureThread, std::this_thread::get_id()) << "procedures run on the loop's thread";
}

TEST_F(LoopTest, PostThenSendFromOneThreadArriveInThatOrder)
{
    std::vector<Message> log;
    const WindowId window = makeRecordingWindow(log, 5);
    std::optional<LResult> answer;
    std::jthread worker([&] {
        loop->post(window, workMessage, 1);
        answer = loop->send(window, workMessage, 2);
        loop->post(window, workMessage, 3);
        loop->quit(0);
    });
    runWithLimit();
    worker.join();
    const auto work = only(log, workMessage);
    ASSERT_EQ(work.size(), 3u);
    EXPECT_EQ(work[0].wParam, 1);
    EXPECT_EQ(work[1].wParam, 2);
    EXPECT_EQ(work[2].wParam, 3);
    EXPECT_EQ(answer, 5);
}

TEST_F(LoopTest, SendOnTheLoopThreadCallsTheProcedureDirectly)
{
    const WindowId window = makeWindow();
    loop->setWindowProcedure(window, [](const Message& message) -> LResult { return message.wParam + 1; });
    // No loop is running: a queued send could never be answered.
    EXPECT_EQ(loop->send(window, workMessage, 41), 42);
}

TEST_F(LoopTest, TasksRunOnTheLoopThread)
{
    std::thread::id ranOn;
    bool sentTaskRan = false;
    std::jthread worker([&] {
        loop->post([&] { ranOn = std::this_thread::get_id(); });
        EXPECT_TRUE(loop->send([&] { sentTaskRan = true; }));
        loop->quit(0);
    });
    runWithLimit();
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(sentTaskRan);
}

TEST_F(LoopTest, SendToAWindowDestroyedWhileWaitingFailsInsteadOfHanging)
{
    const WindowId window = makeWindow();
    std::optional<LResult> answer = 99;
    std::atomic<bool> sending {false};
    std::jthread worker([&] {
        sending = true;
        answer = loop->send(window, workMessage);
    });
    while (!sending) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Whether the send was already queued or not, it must come back empty.
    loop->destroyWindow(window);
    worker.join();
    EXPECT_FALSE(answer.has_value());
}

TEST_F(LoopTest, SendAndPostToADestroyedWindowFail)
{
    const WindowId window = makeWindow();
    ASSERT_TRUE(loop->destroyWindow(window));
    EXPECT_FALSE(loop->isWindow(window));
    EXPECT_FALSE(loop->post(window, workMessage));
    EXPECT_FALSE(loop->send(window, workMessage).has_value());
    std::optional<LResult> fromWorker = 1;
    std::jthread([&] { fromWorker = loop->send(window, workMessage); }).join();
    EXPECT_FALSE(fromWorker.has_value());
}

TEST_F(LoopTest, SendAfterQuitFailsAtOnce)
{
    const WindowId window = makeWindow();
    loop->quit(1);
    std::optional<LResult> late = 1;
    std::jthread([&] { late = loop->send(window, workMessage); }).join();
    EXPECT_FALSE(late.has_value()) << "nothing will answer it";
    EXPECT_EQ(loop->run(), 1);
}

TEST_F(LoopTest, PostFloodDoesNotLoseQuitOrStarveTimers)
{
    const WindowId window = makeWindow();
    std::atomic<long> delivered {0};
    bool keyArrived = false;
    loop->setWindowProcedure(window, [&](const Message& message) -> LResult {
        ++delivered;
        keyArrived = keyArrived || message.message == WM_KEYDOWN;
        return 0;
    });
    std::atomic<bool> stop {false};
    std::atomic<long> postedCount {0};
    std::vector<std::jthread> flooders;
    for (int t = 0; t < 2; ++t) {
        flooders.emplace_back([&] {
            while (!stop) {
                if (loop->post(window, workMessage)) {
                    ++postedCount;
                }
            }
        });
    }
    int ticks = 0;
    std::chrono::steady_clock::time_point quitAt;
    loop->setTimer(window, 7, std::chrono::milliseconds(20), [&](WindowId, TimerId) {
        ++ticks;
        if (ticks == 2) {
            synthetic::key(*loop, window, 'K', true);  // input must get through the flood
        }
        if (ticks >= 5 && keyArrived && quitAt == std::chrono::steady_clock::time_point {}) {
            quitAt = std::chrono::steady_clock::now();
            loop->quit(42);
        }
    });
    EXPECT_EQ(runWithLimit(), 42);
    const auto took = std::chrono::steady_clock::now() - quitAt;
    stop = true;
    flooders.clear();
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(keyArrived);
    EXPECT_GT(delivered.load(), 1000) << "posts were not delivered during the flood";
    EXPECT_GT(postedCount.load(), 1000);
    EXPECT_LT(took, std::chrono::seconds(3)) << "quit waited behind the flood far too long";
}

TEST_F(LoopTest, PostedQuitMessageEndsTheLoopWithItsCode)
{
    std::jthread worker([&] { loop->post(WindowId {}, WM_QUIT, 9); });
    EXPECT_EQ(runWithLimit(), 9);
}

TEST_F(LoopTest, OnlyOneLoopAtATime)
{
    std::string error;
    EXPECT_EQ(EventLoop::create(&error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quorvo::platform::test
