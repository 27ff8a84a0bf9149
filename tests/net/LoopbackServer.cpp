#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace quorvo::test {

LoopbackServer::LoopbackServer(Handler handler)
    : m_handler(std::move(handler))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) {
        throw std::runtime_error("socket");
    }
    const int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 64) != 0) {
        ::close(m_listener);
        throw std::runtime_error("bind/listen");
    }
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer()
{
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers) {
        worker.join();
    }
    ::close(m_listener);
}

std::string LoopbackServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> LoopbackServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackServer::send(int socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

void LoopbackServer::hold(std::chrono::milliseconds limit) const
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!m_stopping && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string LoopbackServer::reply(const std::string& body, const std::string& extraHeaders)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders
        + "Connection: close\r\n\r\n" + body;
}

void LoopbackServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd waiting {m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int socket = ::accept(m_listener, nullptr, nullptr);
        if (socket < 0) {
            continue;
        }
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, socket] { serve(socket); });
    }
}

void LoopbackServer::serve(int socket)
{
    const int open = ++m_open;
    int peak = m_peak.load();
    while (open > peak && !m_peak.compare_exchange_weak(peak, open)) { }
    std::string request;
    char buffer[4096];
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_stopping && std::chrono::steady_clock::now() < giveUp) {
        if (headEnd != std::string::npos && request.size() >= headEnd + 4 + wanted) {
            break;
        }
        pollfd readable {socket, POLLIN, 0};
        if (::poll(&readable, 1, 20) <= 0) {
            continue;
        }
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(n));
        if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
            // The first Content-Length counts; a body is read only that far.
            const auto at = request.find("\r\nContent-Length: ");
            if (at != std::string::npos && at < headEnd) {
                wanted = static_cast<std::size_t>(std::strtoul(request.c_str() + at + 18, nullptr, 10));
            }
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
    }
    if (!m_stopping) {
        m_handler(*this, socket, request);
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    --m_open;
}

}  // namespace quorvo::test
