#pragma once

// A small HTTP/1.1 server: one thread per connection, keep-alive, streaming
// from files with sendfile, and the delivery faults (delay, throttle, cut
// connection, chunked) applied on the wire. It keeps every request head as it
// arrived, which the echo endpoint needs and general-purpose libraries drop.

#include "http/HttpMessage.h"
#include "http/RequestLog.h"
#include "runtime/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace quorvo::server {

class HttpServer {
public:
    struct Limits {
        std::size_t maxConnections = 8192;
        std::size_t maxHeadBytes = 64 * 1024;
        std::size_t maxBodyBytes = 1024 * 1024;
        std::chrono::seconds idleTimeout {15};
        std::chrono::seconds sendTimeout {60};
    };

    // Handles a parsed request. Runs on the connection's thread.
    using Handler = std::function<Response(const HttpRequest&)>;
    // Decides whether a request goes into the log (the log's own endpoint does not).
    using LogFilter = std::function<bool(const HttpRequest&)>;

    HttpServer(Handler handler, RequestLog& log, LogFilter logFilter, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens; on failure returns a message.
    std::optional<std::string> listen(const std::string& host, std::uint16_t port);
    [[nodiscard]] std::uint16_t port() const { return m_port; }

    // Accepts connections until stop(); returns after every connection ended.
    void run();
    // Safe from any thread; wakes run() and cuts open connections.
    void stop();

    // Sleeps, but wakes early when the server stops. False when stopping.
    bool sleepFor(std::chrono::milliseconds duration);

private:
    class Connection;
    friend class Connection;

    void startConnection(UniqueFd socket);
    void rejectBusy(int socket);
    void unregisterSocket(int socket);
    void finishConnection();

    Handler m_handler;
    RequestLog& m_log;
    LogFilter m_logFilter;
    Limits m_limits;
    UniqueFd m_listener;
    UniqueFd m_wakeRead;
    UniqueFd m_wakeWrite;
    std::uint16_t m_port = 0;

    std::atomic<bool> m_stopping {false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_stopSignal;
    std::set<int> m_openSockets;
    std::size_t m_activeConnections = 0;
};

}  // namespace quorvo::server
