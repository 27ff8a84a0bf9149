#pragma once

// A stand-in for the user-interface thread in model tests: posts from any
// thread queue up, and the test thread runs them in order, as the window's
// loop would.

#include "app/UiPoster.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace quorvo::app::test {

class UiQueue {
public:
    UiPoster poster()
    {
        return [this](UiTask task) {
            {
                const std::lock_guard lock(m_mutex);
                m_tasks.push_back(std::move(task));
            }
            m_posted.notify_all();
        };
    }

    // Runs posted tasks on this thread until `done` holds after one of them
    // (or at once); false when nothing more came within `patience`.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds patience = std::chrono::seconds(30))
    {
        while (!done()) {
            UiTask task;
            {
                std::unique_lock lock(m_mutex);
                if (!m_posted.wait_for(lock, patience, [this] { return !m_tasks.empty(); }))
                    return false;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
        return true;
    }

    // Runs whatever is queued now.
    void runPending()
    {
        for (;;) {
            UiTask task;
            {
                const std::lock_guard lock(m_mutex);
                if (m_tasks.empty())
                    return;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<UiTask> m_tasks;
};

}  // namespace quorvo::app::test
