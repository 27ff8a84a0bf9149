#pragma once

// A tiny scripted HTTP server on 127.0.0.1 for the cases a well-behaved
// server cannot produce: never answering, closing mid-header, oversized
// header blocks. Every connection is served on its own thread; the request
// head (and a Content-Length body) is recorded byte for byte.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvo::test {

class LoopbackServer {
public:
    // Gets the connection and the raw request; writes whatever it likes.
    using Handler = std::function<void(LoopbackServer& server, int socket, const std::string& request)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] std::string url(const std::string& path = "/") const;
    [[nodiscard]] std::vector<std::string> requests() const;
    [[nodiscard]] int connectionsOpen() const { return m_open.load(); }
    [[nodiscard]] int connectionsPeak() const { return m_peak.load(); }
    [[nodiscard]] bool stopping() const { return m_stopping.load(); }

    // Helpers for handlers.
    static void send(int socket, const std::string& bytes);
    // Waits until the server is stopping or `limit` has passed.
    void hold(std::chrono::milliseconds limit) const;

    static std::string reply(const std::string& body, const std::string& extraHeaders = {});

private:
    void acceptLoop();
    void serve(int socket);

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping {false};
    std::atomic<int> m_open {0};
    std::atomic<int> m_peak {0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<std::thread> m_workers;
    std::thread m_acceptor;
};

}  // namespace quorvo::test
