#pragma once

// A stand-in for the user-interface thread in model tests: posts from any
// thread queue up, timers wait their time, and the test thread runs them in
// order, as the window's loop would.

#include "app/UiPoster.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace quorvo::app::test {

class UiQueue {
public:
    using Clock = std::chrono::steady_clock;

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

    UiTimer timer()
    {
        return [this](std::chrono::milliseconds delay, UiTask task) {
            {
                const std::lock_guard lock(m_mutex);
                m_timers.emplace(Clock::now() + delay, std::move(task));
            }
            m_posted.notify_all();
        };
    }

    // Runs posted tasks and due timers on this thread until `done` holds after
    // one of them (or at once); false when nothing more came within `patience`.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds patience = std::chrono::seconds(30))
    {
        while (!done()) {
            UiTask task;
            {
                std::unique_lock lock(m_mutex);
                const auto giveUp = Clock::now() + patience;
                while (!takeReady(task)) {
                    const auto wake = m_timers.empty() ? giveUp : std::min(giveUp, m_timers.begin()->first);
                    if (m_posted.wait_until(lock, wake) == std::cv_status::timeout && Clock::now() >= giveUp
                        && !takeReady(task))
                        return false;
                }
            }
            task();
        }
        return true;
    }

    // Runs whatever is queued or due now.
    void runPending()
    {
        for (;;) {
            UiTask task;
            {
                const std::lock_guard lock(m_mutex);
                if (!takeReady(task))
                    return;
            }
            task();
        }
    }

private:
    // Under m_mutex: the next posted task, else the next due timer.
    bool takeReady(UiTask& task)
    {
        if (!m_tasks.empty()) {
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
            return true;
        }
        if (!m_timers.empty() && m_timers.begin()->first <= Clock::now()) {
            task = std::move(m_timers.begin()->second);
            m_timers.erase(m_timers.begin());
            return true;
        }
        return false;
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<UiTask> m_tasks;
    std::multimap<Clock::time_point, UiTask> m_timers;
};

}  // namespace quorvo::app::test
