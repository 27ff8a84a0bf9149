#include "net/ConnectionLimit.h"

#include "net/HttpClient.h"

namespace quorvo::net {

ConnectionLimit& ConnectionLimit::processWide()
{
    static ConnectionLimit limit(HttpClient::connectionsPerServer);
    return limit;
}

ConnectionLimit::Slot::~Slot()
{
    if (m_owner != nullptr) {
        m_owner->release(m_server);
    }
}

ConnectionLimit::Slot ConnectionLimit::acquire(const std::string& server, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    const bool free = m_freed.wait_for(lock, wait, [&] { return m_inUse[server] < m_perServer; });
    if (!free) {
        return {};
    }
    ++m_inUse[server];
    return Slot(this, server);
}

int ConnectionLimit::inUse(const std::string& server) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_inUse.find(server);
    return found == m_inUse.end() ? 0 : found->second;
}

void ConnectionLimit::release(const std::string& server)
{
    {
        std::lock_guard lock(m_mutex);
        if (--m_inUse[server] == 0) {
            m_inUse.erase(server);
        }
    }
    m_freed.notify_all();
}

}  // namespace quorvo::net
