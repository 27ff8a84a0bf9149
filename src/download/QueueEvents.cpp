#include "download/QueueEvents.h"

namespace quorvo::download {

void QueueMailbox::onQueueEvent(const QueueEvent& event)
{
    {
        const std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    m_posted.notify_all();
    if (m_wake)
        m_wake();
}

std::vector<QueueEvent> QueueMailbox::takeAll()
{
    const std::lock_guard lock(m_mutex);
    std::vector<QueueEvent> events(std::make_move_iterator(m_events.begin()), std::make_move_iterator(m_events.end()));
    m_events.clear();
    return events;
}

bool QueueMailbox::waitForEvent(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, timeout, [this] { return !m_events.empty(); });
}

}  // namespace quorvo::download
