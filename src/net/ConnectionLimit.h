#pragma once

// The process-wide cap on simultaneous exchanges with one server.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace quorvo::net {

class ConnectionLimit {
public:
    explicit ConnectionLimit(int perServer)
        : m_perServer(perServer)
    { }

    // The limit every HttpClient exchange shares.
    static ConnectionLimit& processWide();

    // Holds one of the server's slots for its lifetime, when it got one.
    class Slot {
    public:
        Slot() = default;
        Slot(ConnectionLimit* owner, std::string server)
            : m_owner(owner)
            , m_server(std::move(server))
        { }
        Slot(Slot&& other) noexcept
            : m_owner(std::exchange(other.m_owner, nullptr))
            , m_server(std::move(other.m_server))
        { }
        Slot& operator=(Slot&&) = delete;
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        ~Slot();
        [[nodiscard]] bool held() const { return m_owner != nullptr; }

    private:
        ConnectionLimit* m_owner = nullptr;
        std::string m_server;
    };

    // Waits up to `wait` for a free slot; an unheld Slot when none came free.
    Slot acquire(const std::string& server, std::chrono::milliseconds wait);

    [[nodiscard]] int inUse(const std::string& server) const;

private:
    void release(const std::string& server);

    int m_perServer = 10;
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::map<std::string, int> m_inUse;
};

}  // namespace quorvo::net
