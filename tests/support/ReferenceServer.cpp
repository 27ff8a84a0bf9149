#include "ReferenceServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

#ifndef QUORVO_SERVER_EXECUTABLE
#define QUORVO_SERVER_EXECUTABLE ""
#endif

extern char** environ;

namespace quorvo::test {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);

class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string unescape(std::string_view text)
{
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0
            && hex(text[i + 3]) >= 0) {
            out += static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::string> headerIn(std::string_view head, std::string_view name)
{
    for (std::string_view line : splitAt(head, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !equalsIgnoringCase(line.substr(0, colon), name))
            continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ')
            value.remove_prefix(1);
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> RequestLogEntry::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name))
            return value;
    }
    return std::nullopt;
}

std::optional<std::string> RawResponse::header(std::string_view name) const
{
    return headerIn(head, name);
}

std::filesystem::path referenceServerExecutable()
{
    return QUORVO_SERVER_EXECUTABLE;
}

ReferenceServer::ReferenceServer(std::vector<std::string> extraArgs)
{
    const std::string executable = referenceServerExecutable().string();
    if (executable.empty())
        throw std::runtime_error("this build has no quorvo-server");
    std::vector<std::string> arguments
        = {executable, "--port", "0", "--quiet", "--data-dir", m_dataDir.path().string()};
    arguments.insert(arguments.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const Descriptor readEnd(pipeEnds[0]);
    {
        const Descriptor writeEnd(pipeEnds[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        const int result = ::posix_spawn(&m_pid, executable.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) {
            m_pid = -1;
            throw std::runtime_error("cannot start " + executable + ": " + std::strerror(result));
        }
    }

    // Wait (bounded) for "listening on http://HOST:PORT".
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (line.find('\n') == std::string::npos) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait {readEnd.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            stop();
            throw std::runtime_error("quorvo-server did not report its port in time");
        }
        char buffer[256];
        const ssize_t got = ::read(readEnd.get(), buffer, sizeof buffer);
        if (got <= 0) {
            const int status = stop();
            throw std::runtime_error("quorvo-server ended before listening (status " + std::to_string(status) + ")");
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    line.resize(line.find('\n'));
    const std::string prefix = "listening on http://127.0.0.1:";
    if (line.rfind(prefix, 0) != 0) {
        stop();
        throw std::runtime_error("unexpected first line from quorvo-server: " + line);
    }
    m_port = static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
}

ReferenceServer::~ReferenceServer()
{
    stop();
}

int ReferenceServer::stop(int signalNumber)
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, signalNumber);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (true) {
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
    return status;
}

std::string ReferenceServer::host() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string ReferenceServer::baseUrl() const
{
    return "http://" + host();
}

RawResponse ReferenceServer::exchange(std::string_view rawRequest, std::chrono::milliseconds timeout) const
{
    return exchangeWith(m_port, rawRequest, timeout);
}

RawResponse ReferenceServer::get(std::string_view target, std::string_view extraHeaderLines) const
{
    std::string request = "GET " + std::string(target) + " HTTP/1.1\r\nHost: " + host() + "\r\n";
    request += extraHeaderLines;
    request += "Connection: close\r\n\r\n";
    return exchange(request);
}

std::string ReferenceServer::requestLogText() const
{
    const RawResponse response = get("/_log");
    if (response.status != 200)
        throw std::runtime_error("GET /_log failed");
    return response.body;
}

std::vector<RequestLogEntry> ReferenceServer::requestLog() const
{
    return parseRequestLogText(requestLogText());
}

void ReferenceServer::clearRequestLog() const
{
    if (get("/_log/clear").status != 200)
        throw std::runtime_error("GET /_log/clear failed");
}

std::vector<RequestLogEntry> ReferenceServer::requestsTo(std::string_view path) const
{
    std::vector<RequestLogEntry> matching;
    for (RequestLogEntry& entry : requestLog()) {
        if (entry.path() == path)
            matching.push_back(std::move(entry));
    }
    return matching;
}

std::vector<std::string_view> splitAt(std::string_view text, char delimiter)
{
    std::vector<std::string_view> pieces;
    while (true) {
        const auto at = text.find(delimiter);
        pieces.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 1);
    }
    return pieces;
}

std::vector<RequestLogEntry> parseRequestLogText(std::string_view text, bool dashIsAbsent)
{
    std::vector<RequestLogEntry> entries;
    for (const std::string_view line : splitAt(text, '\n')) {
        const auto fields = splitAt(line, '\t');
        if (fields.size() < 5)
            continue;
        RequestLogEntry entry;
        entry.sequence = std::stoull(std::string(fields[0]));
        entry.method = unescape(fields[1]);
        entry.target = unescape(fields[2]);
        entry.status = std::stoi(std::string(fields[3]));
        entry.bodyBytes = std::stoull(std::string(fields[4]));
        for (std::size_t i = 5; i < fields.size(); ++i) {
            const std::string header = unescape(fields[i]);
            const auto colon = header.find(": ");
            if (colon == std::string::npos)
                entry.headers.emplace_back(header, "");
            else if (!dashIsAbsent || header.substr(colon + 2) != "-")
                entry.headers.emplace_back(header.substr(0, colon), header.substr(colon + 2));
        }
        if (entry.sequence == 0)
            entry.sequence = entries.size() + 1;
        entries.push_back(std::move(entry));
    }
    return entries;
}

RawResponse exchangeWith(std::uint16_t port, std::string_view rawRequest, std::chrono::milliseconds timeout,
                         std::size_t maxBytes)
{
    RawResponse response;
    const Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket.get() < 0 || ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return response;
    while (!rawRequest.empty()) {
        const ssize_t sent = ::send(socket.get(), rawRequest.data(), rawRequest.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            break;
        rawRequest.remove_prefix(static_cast<std::size_t>(sent));
    }
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait {socket.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[64 * 1024];
        const ssize_t got = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (got == 0) {
            response.complete = true;
            break;
        }
        if (got < 0)
            break;
        received.append(buffer, static_cast<std::size_t>(got));
        if (received.size() > maxBytes)
            break;
    }
    const auto headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        response.head = received;
        response.complete = false;
        return response;
    }
    response.head = received.substr(0, headEnd + 2);
    response.body = received.substr(headEnd + 4);
    if (response.head.rfind("HTTP/1.", 0) == 0 && response.head.size() > 12)
        response.status = std::atoi(response.head.c_str() + 9);
    return response;
}

}  // namespace quorvo::test
