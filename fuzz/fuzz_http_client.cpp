// Any bytes as what a server sends back: a loopback server in this process
// answers each HttpClient::request with the fuzz input, then closes. The URL
// helpers get the same bytes as a URL.

#include "net/HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace {

// The harness's one server, shared by all runs of the fuzzer.
struct ReplyServer {
    int listener = -1;
    int port = 0;
    std::mutex mutex;
    std::string reply;

    ReplyServer()
    {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }

    void serve()
    {
        while (true) {
            const int socket = ::accept(listener, nullptr, nullptr);
            if (socket < 0) {
                continue;
            }
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd readable {socket, POLLIN, 0};
                if (::poll(&readable, 1, 1000) <= 0) {
                    break;
                }
                const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            std::string answer;
            {
                std::lock_guard lock(mutex);
                answer = reply;
            }
            std::size_t sent = 0;
            while (sent < answer.size()) {
                const ssize_t n = ::send(socket, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            ::shutdown(socket, SHUT_RDWR);
            ::close(socket);
        }
    }
};

ReplyServer& server()
{
    static ReplyServer* instance = new ReplyServer;  // lives for the whole fuzzing process
    return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReplyServer& replies = server();
    {
        std::lock_guard lock(replies.mutex);
        replies.reply = bytes;
    }
    quorvo::net::HttpOptions options;
    options.timeoutSeconds = 3;
    options.cookies = "A=1;";
    const quorvo::Text url("http://127.0.0.1:" + std::to_string(replies.port) + "/fuzz?x=1");
    static_cast<void>(quorvo::net::HttpClient::request(url, options));

    const quorvo::Text asUrl = quorvo::Text::fromBytes(bytes.substr(0, 512));
    static_cast<void>(quorvo::net::HttpClient::hostOf(asUrl, true));
    static_cast<void>(quorvo::net::HttpClient::pathOf(asUrl));
    static_cast<void>(quorvo::net::HttpClient::portOf(asUrl));
    static_cast<void>(quorvo::net::HttpClient::cookieValueOf(asUrl));
    return 0;
}
