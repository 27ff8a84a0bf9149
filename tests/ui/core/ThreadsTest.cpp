// Worker threads never touch a control: they post work through UiRef and the
// user-interface thread runs it, in order, while it keeps handling its loop.

#include "HostFixture.h"

#include "ui/core/UiRef.h"

#include <atomic>
#include <thread>

namespace quorvo::ui::test {
namespace {

class Counter final : public UiControl {
public:
    explicit Counter(FloatRect rect)
        : UiControl(rect)
    { }
    int value = 0;
    std::vector<int> seen;
};

TEST_F(HostTest, FourThreadsPostingControlChangesAreAppliedInOrderOnTheUiThread)
{
    UiHost& host = makeHost();
    constexpr int threadCount = 4;
    constexpr int postCount = 500;
    std::vector<Counter*> counters;
    std::vector<UiRef<Counter>> refs;
    for (int i = 0; i < threadCount; ++i) {
        auto& counter = host.add<Counter>(FloatRect {static_cast<float>(i * 20), 0, 20, 20});
        counters.push_back(&counter);
        refs.push_back(counter.weakRef<Counter>());
    }
    const auto uiThread = std::this_thread::get_id();
    std::atomic<int> offThread {0};
    std::atomic<int> finished {0};
    std::vector<std::thread> workers;
    for (int i = 0; i < threadCount; ++i) {
        workers.emplace_back([&, ref = refs[static_cast<std::size_t>(i)]] {
            for (int n = 1; n <= postCount; ++n) {
                ref.post([&, n](Counter& counter) {
                    if (std::this_thread::get_id() != uiThread) {
                        ++offThread;
                    }
                    counter.value = n;
                    counter.seen.push_back(n);
                    counter.setText(Text(std::to_string(n)));
                });
            }
            // send waits for the user-interface thread: everything posted before it has run.
            ref.send([](Counter& counter) { counter.setAlpha(200); });
            ++finished;
        });
    }
    EXPECT_TRUE(pumpUntil([&] { return finished.load() == threadCount; }, std::chrono::seconds(30)));
    for (auto& worker : workers) {
        worker.join();
    }
    drain();
    EXPECT_EQ(offThread.load(), 0);
    for (Counter* counter : counters) {
        EXPECT_EQ(counter->value, postCount);
        EXPECT_EQ(counter->text(), Text(std::to_string(postCount)));
        EXPECT_EQ(counter->alpha(), 200);
        ASSERT_EQ(counter->seen.size(), static_cast<std::size_t>(postCount));
        EXPECT_TRUE(std::is_sorted(counter->seen.begin(), counter->seen.end())) << "posts run in the order made";
    }
}

TEST_F(HostTest, WorkPostedForADestroyedControlIsDropped)
{
    UiHost& host = makeHost();
    auto& counter = host.add<Counter>(FloatRect {0, 0, 10, 10});
    const UiRef<Counter> ref = counter.weakRef<Counter>();
    counter.destroy();
    bool ran = false;
    std::thread worker([&] { ref.post([&](Counter&) { ran = true; }); });
    worker.join();
    drain();
    EXPECT_FALSE(ran);
    std::atomic<bool> sent {true};
    std::thread sender([&] { sent = ref.send([](Counter&) {}); });
    EXPECT_TRUE(pumpUntil([&] { return !sent; }, std::chrono::seconds(5)));
    sender.join();
    EXPECT_FALSE(sent);
}

}  // namespace
}  // namespace quorvo::ui::test
