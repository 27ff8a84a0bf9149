// Posting and sending from other threads: order, results, and never hanging.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

#include <atomic>
#include <map>
#include <thread>

namespace quorvo::platform::test {
namespace {

TEST_F(LoopTest, PostsFromSeveralThreadsArriveInEachThreadsOrder)
{
    constexpr int threadCount = 4;
    constexpr int perThread = 2000;
    std::map<int, std::vector<int>> seen;
    int done = 0;
    const WindowId window = makeWindow();
    std::vector<std::jthread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                EXPECT_TRUE(loop->post(window, [&seen, t, i] { seen[t].push_back(i); }));
            }
            loop->post(window, [&] {
                if (++done == threadCount) {
                    loop->quit(0);
                }
            });
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
    std::thread::id taskThread;
    std::atomic<int> wrong {0};
    std::atomic<int> finished {0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                int result = -1;
                const bool ran = loop->send(window, [&, t, i] {
                    taskThread = std::this_thread::get_id();
                    result = t * 1000 + i;
                });
                if (!ran || result != t * 1000 + i) {
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
    EXPECT_EQ(taskThread, std::this_thread::get_id()) << "sent tasks run on the loop's thread";
}

TEST_F(LoopTest, PostThenSendFromOneThreadArriveInThatOrder)
{
    std::vector<int> work;
    const WindowId window = makeWindow();
    bool answered = false;
    std::jthread worker([&] {
        loop->post(window, [&] { work.push_back(1); });
        answered = loop->send(window, [&] { work.push_back(2); });
        loop->post(window, [&] { work.push_back(3); });
        loop->quit(0);
    });
    runWithLimit();
    worker.join();
    EXPECT_EQ(work, (std::vector<int> {1, 2, 3}));
    EXPECT_TRUE(answered);
}

TEST_F(LoopTest, SendOnTheLoopThreadRunsTheTaskDirectly)
{
    const WindowId window = makeWindow();
    int answer = 0;
    // No loop is running: a queued send could never be answered.
    EXPECT_TRUE(loop->send(window, [&] { answer = 42; }));
    EXPECT_EQ(answer, 42);
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
    std::atomic<bool> answer {true};
    std::atomic<bool> sending {false};
    std::jthread worker([&] {
        sending = true;
        answer = loop->send(window, [] {});
    });
    while (!sending) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Whether the send was already queued or not, it must come back empty.
    loop->destroyWindow(window);
    worker.join();
    EXPECT_FALSE(answer);
}

TEST_F(LoopTest, SendAndPostToADestroyedWindowFail)
{
    const WindowId window = makeWindow();
    ASSERT_TRUE(loop->destroyWindow(window));
    EXPECT_FALSE(loop->isWindow(window));
    bool ran = false;
    EXPECT_FALSE(loop->post(window, [&] { ran = true; }));
    EXPECT_FALSE(loop->send(window, [&] { ran = true; }));
    bool fromWorker = true;
    std::jthread([&] { fromWorker = loop->send(window, [&] { ran = true; }); }).join();
    EXPECT_FALSE(fromWorker);
    loop->processPending();
    EXPECT_FALSE(ran);
}

TEST_F(LoopTest, SendAfterQuitFailsAtOnce)
{
    const WindowId window = makeWindow();
    loop->quit(1);
    bool late = true;
    std::jthread([&] { late = loop->send(window, [] {}); }).join();
    EXPECT_FALSE(late) << "nothing will answer it";
    EXPECT_EQ(loop->run(), 1);
}

TEST_F(LoopTest, PostFloodDoesNotLoseQuitOrStarveTimers)
{
    const WindowId window = makeWindow();
    std::atomic<long> delivered {0};
    bool keyArrived = false;
    loop->setWindowHandler(window, [&](const WindowEvent& event) {
        keyArrived = keyArrived || std::holds_alternative<KeyPressed>(event);
    });
    std::atomic<bool> stop {false};
    std::atomic<long> postedCount {0};
    std::vector<std::jthread> flooders;
    for (int t = 0; t < 2; ++t) {
        flooders.emplace_back([&] {
            while (!stop) {
                if (loop->post(window, [&] { ++delivered; })) {
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
            synthetic::key(*loop, window, keyFor('k'), true);  // input must get through the flood
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

TEST_F(LoopTest, QuitFromAnotherThreadEndsTheLoopWithItsCode)
{
    std::jthread worker([&] { loop->quit(9); });
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
