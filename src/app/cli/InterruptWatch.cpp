#include "app/cli/InterruptWatch.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>

namespace quorvo::cli {

namespace {

sigset_t interruptSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

InterruptWatch::InterruptWatch()
{
    const sigset_t signals = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &signals, &m_previousMask);
    m_signals.reset(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    m_wake.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

InterruptWatch::~InterruptWatch()
{
    m_signals.reset();
    m_wake.reset();
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void InterruptWatch::wake() const
{
    // A full counter already wakes the wait; nothing is lost when this fails.
    const std::uint64_t one = 1;
    if (m_wake.valid()) {
        [[maybe_unused]] const ssize_t written = ::write(m_wake.get(), &one, sizeof one);
    }
}

bool InterruptWatch::wait(std::chrono::milliseconds timeout)
{
    if (takeSignal())
        return true;
    pollfd ready[2] = {{m_signals.get(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}};
    const int result = ::poll(ready, 2, static_cast<int>(timeout.count()));
    if (result > 0 && (ready[1].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = ::read(m_wake.get(), &count, sizeof count);
    }
    return takeSignal();
}

bool InterruptWatch::takeSignal()
{
    if (!m_signals.valid())
        return false;
    signalfd_siginfo info {};
    bool arrived = false;
    while (::read(m_signals.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        arrived = true;
    return arrived;
}

void InterruptWatch::letTheNextSignalThrough()
{
    if (m_released)
        return;
    m_released = true;
    const sigset_t signals = interruptSignals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace quorvo::cli
