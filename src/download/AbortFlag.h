#pragma once

// The stop handshake between a stopper and the transfer loop: the stopper
// raises the flag, the loop clears it when it stops because of it, and the
// stopper waits for that acknowledgement. Waiting sleeps on a condition
// variable, so neither side spins and a raise wakes a loop that is pausing
// for its rate quota at once.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quorvo::download {

class AbortFlag {
public:
    using Clock = std::chrono::steady_clock;

    void raise();
    // The loop's acknowledgement (also used to drop a flag nobody will answer).
    void clear();
    [[nodiscard]] bool isRaised() const { return m_raised.load(std::memory_order_acquire); }

    // Sleeps until `deadline`; returns early, with true, when the flag is raised.
    bool sleepUntil(Clock::time_point deadline) const;
    // Waits up to `timeout` for the flag to be cleared; true when it is clear.
    bool waitForClear(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::atomic<bool> m_raised {false};
};

}  // namespace quorvo::download
