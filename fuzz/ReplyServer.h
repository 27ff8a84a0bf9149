#pragma once

// A loopback server inside the fuzzer: every connection gets the current
// reply bytes, whatever it asked, and is then closed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace quorvo::fuzz {

class ReplyServer {
public:
    // The process's one server; it lives as long as the fuzzer runs.
    static ReplyServer& instance()
    {
        static ReplyServer* server = new ReplyServer;
        return *server;
    }

    [[nodiscard]] int port() const { return m_port; }

    void setReply(std::string reply)
    {
        const std::lock_guard lock(m_mutex);
        m_reply = std::move(reply);
    }

private:
    ReplyServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 16);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    void serve()
    {
        while (true) {
            const int socket = ::accept(m_listener, nullptr, nullptr);
            if (socket < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd readable {socket, POLLIN, 0};
                if (::poll(&readable, 1, 1000) <= 0)
                    break;
                const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            std::string answer;
            {
                const std::lock_guard lock(m_mutex);
                answer = m_reply;
            }
            std::size_t sent = 0;
            while (sent < answer.size()) {
                const ssize_t n = ::send(socket, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<std::size_t>(n);
            }
            ::shutdown(socket, SHUT_RDWR);
            ::close(socket);
        }
    }

    int m_listener = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::string m_reply;
};

}  // namespace quorvo::fuzz
