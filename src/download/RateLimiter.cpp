#include "download/RateLimiter.h"

#include <algorithm>

namespace quorvo::download {

int64_t limitBytesPerWindow(int64_t limitKBps)
{
    // A negative limit is no limit, like 0: it cannot mean "read nothing".
    if (limitKBps <= 0)
        return 0;
    return std::min(limitKBps, largestLimitKBps) * bytesPerKB;
}

RateLimiter::RateLimiter(std::function<int64_t()> limitKBps)
    : m_source(std::move(limitKBps))
{ }

RateLimiter::RateLimiter(int64_t limitKBps)
    : m_fixed(limitKBps)
{ }

void RateLimiter::setLimit(int64_t limitKBps)
{
    const std::lock_guard lock(m_mutex);
    m_source = nullptr;
    m_fixed = limitKBps;
}

int64_t RateLimiter::limitKBps() const
{
    const std::lock_guard lock(m_mutex);
    if (m_fixed)
        return *m_fixed;
    return m_source ? m_source() : 0;
}

void RateLimiter::roll(Clock::time_point now, std::optional<LimiterWindow>& ended)
{
    if (m_windowStart && now - *m_windowStart <= progressWindow) {
        // A transfer that starts after all others had ended keeps the
        // window's bytes but restarts its clock: the window only grows longer.
        if (m_restartClock)
            m_windowStart = now;
        m_restartClock = false;
        return;
    }
    m_restartClock = false;
    if (m_windowStart)
        ended = m_window;
    m_windowStart = now;
    const int64_t limit = m_fixed ? *m_fixed : m_source ? m_source() : 0;
    m_window = LimiterWindow {m_window.number + 1, 0, limitBytesPerWindow(limit), false};
}

void RateLimiter::tell(const std::optional<LimiterWindow>& ended) const
{
    if (!ended)
        return;
    std::function<void(const LimiterWindow&)> observer;
    {
        const std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer)
        observer(*ended);
}

RateLimiter::Grant RateLimiter::acquire(int64_t wanted, const AbortFlag& abortFlag)
{
    wanted = std::max<int64_t>(wanted, 1);
    bool waited = false;
    std::unique_lock lock(m_mutex);
    while (true) {
        std::optional<LimiterWindow> ended;
        roll(Clock::now(), ended);
        if (ended) {
            lock.unlock();
            tell(ended);
            lock.lock();
            continue;
        }
        const int64_t quota = m_window.quota;
        if (quota <= 0 || m_window.granted < quota) {
            // A quarter of a fair share at a time: transfers that wait for the
            // same window take turns instead of the first awake taking it all.
            const int64_t share = std::max<int64_t>(1, quota / (4 * std::max(1, m_users)));
            const int64_t bytes = quota <= 0 ? wanted : std::min({wanted, quota - m_window.granted, share});
            m_window.granted += bytes;
            m_total += bytes;
            return Grant {bytes, m_window.number, waited, quota > 0};
        }
        // The quota is used up: sleep, not spin, until the window is over.
        m_window.filled = true;
        const Clock::time_point windowEnd = *m_windowStart + progressWindow + std::chrono::microseconds(1);
        const uint64_t window = m_window.number;
        lock.unlock();
        if (abortFlag.sleepUntil(windowEnd))
            return Grant {0, window, waited, true};
        waited = true;
        lock.lock();
    }
}

void RateLimiter::join()
{
    const std::lock_guard lock(m_mutex);
    if (m_users++ == 0)
        m_restartClock = true;
}

void RateLimiter::leave()
{
    const std::lock_guard lock(m_mutex);
    m_users = std::max(0, m_users - 1);
}

void RateLimiter::onWindowEnd(std::function<void(const LimiterWindow&)> observer)
{
    const std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

int64_t RateLimiter::totalGranted() const
{
    const std::lock_guard lock(m_mutex);
    return m_total;
}

}  // namespace quorvo::download
