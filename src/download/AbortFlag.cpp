#include "download/AbortFlag.h"

namespace quorvo::download {

void AbortFlag::raise()
{
    {
        const std::lock_guard lock(m_mutex);
        m_raised.store(true, std::memory_order_release);
    }
    m_changed.notify_all();
}

void AbortFlag::clear()
{
    {
        const std::lock_guard lock(m_mutex);
        m_raised.store(false, std::memory_order_release);
    }
    m_changed.notify_all();
}

bool AbortFlag::sleepUntil(Clock::time_point deadline) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [this] { return isRaised(); });
}

bool AbortFlag::waitForClear(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return !isRaised(); });
}

}  // namespace quorvo::download
