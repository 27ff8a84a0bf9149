#pragma once

// Carries work onto the user-interface thread. Worker threads never touch a
// control: they post (fire and forget) or send (wait for it) a task, and the
// task runs on the user-interface thread in the order it was made.
//
//     std::thread worker([ref = status.weakRef<UiLabel>()] {
//         ref.post([](UiLabel& label) { label.setText("下载完毕"); });
//     });
//
// post and send may be called from any thread; from the user-interface thread
// send runs the task at once.

#include <functional>
#include <optional>
#include <type_traits>

namespace quorvo::platform {
class EventLoop;
}

namespace quorvo::ui {

class UiDispatcher {
public:
    explicit UiDispatcher(platform::EventLoop& loop)
        : m_loop(&loop)
    { }

    // False when the loop has ended or its queue is full.
    bool post(std::function<void()> task) const;
    // Runs the task on the user-interface thread and waits; false if it could not run.
    bool send(std::function<void()> task) const;
    // The task's result, or nullopt when it could not run.
    template <typename F, typename R = std::invoke_result_t<F&>>
    requires(!std::is_void_v<R>) std::optional<R> call(F&& task)
    const
    {
        std::optional<R> result;
        send([&] { result.emplace(task()); });
        return result;
    }
    [[nodiscard]] bool isUiThread() const;

private:
    platform::EventLoop* m_loop;
};

}  // namespace quorvo::ui
