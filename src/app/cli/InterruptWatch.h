#pragma once

// Ctrl-C (and SIGTERM) as something to wait for: the signals are blocked and
// read from a signalfd, so the command line's wait wakes the moment one
// arrives instead of at its next timeout. The queue's events wake the same
// wait through an eventfd. Construct it before any thread that must not
// receive the signals is started: threads inherit the blocked set.

#include "runtime/UniqueFd.h"

#include <chrono>
#include <csignal>

namespace quorvo::cli {

class InterruptWatch {
public:
    InterruptWatch();
    // Restores the signal mask this thread had.
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // False when the kernel refused a descriptor; the wait then only times out.
    [[nodiscard]] bool valid() const { return m_signals.valid() && m_wake.valid(); }

    // From any thread: ends a wait that is in progress, or the next one.
    void wake() const;
    // Sleeps until a signal or a wake arrives or `timeout` passes; true when
    // a signal has arrived since the last call.
    bool wait(std::chrono::milliseconds timeout);
    // From now on the signals have their default effect again on this
    // thread, so a second Ctrl-C ends the process at once.
    void letTheNextSignalThrough();

private:
    bool takeSignal();

    sigset_t m_previousMask {};
    UniqueFd m_signals;
    UniqueFd m_wake;
    bool m_released = false;
};

}  // namespace quorvo::cli
