#include "http/HttpServer.h"

#include "http/RequestParser.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <variant>

namespace quorvo::server {

namespace {

constexpr std::size_t threadStackBytes = 256 * 1024;
constexpr std::size_t pieceBytes = 64 * 1024;
constexpr std::size_t sendfileBytes = 4 * 1024 * 1024;

void setTimeout(int socket, int option, std::chrono::seconds timeout)
{
    timeval value {};
    value.tv_sec = static_cast<time_t>(timeout.count());
    ::setsockopt(socket, SOL_SOCKET, option, &value, sizeof value);
}

// Runs `body` on a detached thread with a small stack, so that thousands of
// open connections stay cheap. False when no thread could be made.
bool spawnDetached(std::function<void()> body)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setstacksize(&attributes, threadStackBytes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    pthread_t thread;
    const int result = pthread_create(
        &thread, &attributes,
        [](void* argument) -> void* {
            std::unique_ptr<std::function<void()>> task(static_cast<std::function<void()>*>(argument));
            (*task)();
            return nullptr;
        },
        owned.get());
    pthread_attr_destroy(&attributes);
    if (result != 0)
        return false;
    owned.release();  // the thread owns it now
    return true;
}

std::string errorText(int error)
{
    return std::strerror(error);
}

}  // namespace

// One accepted socket: reads requests, hands them to the handler and writes
// the responses, until the peer closes, a response demands closing, or the
// server stops.
class HttpServer::Connection {
public:
    Connection(HttpServer& server, UniqueFd socket)
        : m_server(server)
        , m_socket(std::move(socket))
    { }

    void run()
    {
        setTimeout(m_socket.get(), SO_RCVTIMEO, m_server.m_limits.idleTimeout);
        setTimeout(m_socket.get(), SO_SNDTIMEO, m_server.m_limits.sendTimeout);
        const int one = 1;
        ::setsockopt(m_socket.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        while (!m_server.m_stopping.load()) {
            if (!serveOne())
                break;
        }
    }

private:
    enum class ReadResult { Ok, Closed, TooLarge, TooSlow };

    ReadResult readHead(std::string& head)
    {
        // Once a head has begun it must be complete within the idle timeout,
        // so a client trickling bytes cannot hold its thread for ever.
        std::optional<std::chrono::steady_clock::time_point> started;
        for (;;) {
            // Empty lines before a request line are allowed and skipped.
            while (m_buffer.size() >= 2 && m_buffer.compare(0, 2, "\r\n") == 0)
                m_buffer.erase(0, 2);
            while (!m_buffer.empty() && m_buffer.front() == '\n')
                m_buffer.erase(0, 1);
            const std::size_t end = findHeadEnd(m_buffer);
            if (end != std::string::npos) {
                if (end > m_server.m_limits.maxHeadBytes)
                    return ReadResult::TooLarge;
                head = m_buffer.substr(0, end);
                m_buffer.erase(0, end);
                return ReadResult::Ok;
            }
            if (m_buffer.size() > m_server.m_limits.maxHeadBytes)
                return ReadResult::TooLarge;
            const auto now = std::chrono::steady_clock::now();
            if (!m_buffer.empty() && !started)
                started = now;
            if (started && now - *started > m_server.m_limits.idleTimeout)
                return ReadResult::TooSlow;
            switch (receive()) {
            case Received::Data:
                break;
            case Received::PeerClosed:
                return ReadResult::Closed;
            case Received::TimedOut:
                // Silence between requests just ends the connection.
                return m_buffer.empty() ? ReadResult::Closed : ReadResult::TooSlow;
            }
        }
    }

    enum class Received { Data, PeerClosed, TimedOut };

    Received receive()
    {
        char chunk[16 * 1024];
        for (;;) {
            const ssize_t received = ::recv(m_socket.get(), chunk, sizeof chunk, 0);
            if (received > 0) {
                m_buffer.append(chunk, static_cast<std::size_t>(received));
                return Received::Data;
            }
            if (received < 0 && errno == EINTR)
                continue;
            if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return Received::TimedOut;
            return Received::PeerClosed;
        }
    }

    bool receiveMore() { return receive() == Received::Data; }

    bool readBody(std::size_t length, std::string& body)
    {
        while (m_buffer.size() < length) {
            if (!receiveMore())
                return false;
        }
        body = m_buffer.substr(0, length);
        m_buffer.erase(0, length);
        return true;
    }

    // Answers a request that could not be handled normally and closes.
    bool refuse(int status, const HttpRequest* request)
    {
        Response response;
        response.status = status;
        response.body = std::to_string(status) + " " + std::string(reasonPhrase(status)) + "\n";
        response.setHeader("Content-Type", "text/plain");
        response.closeAfter = true;
        auto entry = request ? m_server.m_log.add(*request, status) : m_server.m_log.addUnparsed(status);
        deliver(response, request == nullptr || request->method != "HEAD", "HTTP/1.1", entry.get());
        m_server.m_log.finished(*entry);
        return false;
    }

    bool serveOne()
    {
        std::string head;
        switch (readHead(head)) {
        case ReadResult::Closed:
            return false;
        case ReadResult::TooLarge:
            return refuse(431, nullptr);
        case ReadResult::TooSlow:
            return refuse(408, nullptr);
        case ReadResult::Ok:
            break;
        }
        auto parsed = parseRequestHead(head);
        if (const auto* failure = std::get_if<ParseFailure>(&parsed))
            return refuse(failure->status, nullptr);
        HttpRequest request = std::move(std::get<HttpRequest>(parsed));

        if (request.header("Transfer-Encoding"))
            return refuse(501, &request);
        // Two different lengths leave the body's end unknown, and guessing
        // would read the rest of one request as the start of the next.
        std::optional<std::string_view> length;
        for (const HttpHeader& header : request.headers) {
            if (!equalsIgnoringCase(header.name, "Content-Length"))
                continue;
            if (length && *length != header.value)
                return refuse(400, &request);
            length = header.value;
        }
        if (length) {
            std::uint64_t value = 0;
            const auto [end, error] = std::from_chars(length->data(), length->data() + length->size(), value);
            if (error != std::errc() || end != length->data() + length->size())
                return refuse(400, &request);
            if (value > m_server.m_limits.maxBodyBytes)
                return refuse(413, &request);
            // libcurl waits a second for this before sending a body of more than 1 KB.
            const auto expect = request.header("Expect");
            if (expect && equalsIgnoringCase(*expect, "100-continue") && value > m_buffer.size()
                && !sendAll("HTTP/1.1 100 Continue\r\n\r\n", nullptr, false))
                return false;
            if (!readBody(static_cast<std::size_t>(value), request.body))
                return false;
        }

        Response response = handle(request);
        std::shared_ptr<RequestLog::Entry> entry;
        if (m_server.m_logFilter(request))
            entry = m_server.m_log.add(request, response.status);
        // Say so when this response ends the connection.
        response.closeAfter = response.closeAfter || request.wantsClose();
        const bool keepOpen = deliver(response, request.method != "HEAD", request.version, entry.get());
        if (entry)
            m_server.m_log.finished(*entry);
        return keepOpen && !response.closeAfter;
    }

    // A handler that fails unexpectedly (out of memory, say) costs one 500,
    // not the process.
    Response handle(const HttpRequest& request)
    {
        try {
            return m_server.m_handler(request);
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "quorvo-server: %s %s: %s\n", request.method.c_str(), request.target.c_str(),
                         failure.what());
            Response response;
            response.status = 500;
            response.body = "500 Internal Server Error\n";
            response.setHeader("Content-Type", "text/plain");
            response.closeAfter = true;
            return response;
        }
    }

    // Sends bytes, counting them into the log entry before they leave so
    // that a reader of the log never sees fewer bytes than the client got.
    bool sendAll(std::string_view data, RequestLog::Entry* entry, bool countAsBody)
    {
        while (!data.empty()) {
            if (countAsBody && entry)
                entry->bodyBytes += data.size();
            const ssize_t sent = ::send(m_socket.get(), data.data(), data.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) {
                if (countAsBody && entry)
                    entry->bodyBytes -= data.size();
                continue;
            }
            if (sent <= 0) {
                if (countAsBody && entry)
                    entry->bodyBytes -= data.size();
                return false;
            }
            if (countAsBody && entry)
                entry->bodyBytes -= data.size() - static_cast<std::size_t>(sent);
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

    bool sendPayload(std::string_view data, bool chunked, RequestLog::Entry* entry)
    {
        if (!chunked)
            return sendAll(data, entry, true);
        char size[32];
        const auto [end, error] = std::to_chars(size, size + sizeof size - 2, data.size(), 16);
        (void)error;
        std::string frame(size, end);
        frame += "\r\n";
        return sendAll(frame, entry, false) && sendAll(data, entry, true) && sendAll("\r\n", entry, false);
    }

    // Reads `length` bytes of the file body at `offset` into `piece`.
    static bool readFilePiece(const FileBody& file, std::uint64_t offset, std::size_t length, std::string& piece)
    {
        piece.resize(length);
        std::size_t filled = 0;
        while (filled < length) {
            const ssize_t got = ::pread(file.fd->get(), piece.data() + filled, length - filled,
                                        static_cast<off_t>(file.offset + offset + filled));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            filled += static_cast<std::size_t>(got);
        }
        return true;
    }

    bool sendFileDirect(const FileBody& file, std::uint64_t length, RequestLog::Entry* entry)
    {
        off_t offset = static_cast<off_t>(file.offset);
        std::uint64_t left = length;
        while (left > 0) {
            const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, sendfileBytes));
            if (entry)
                entry->bodyBytes += step;
            const ssize_t sent = ::sendfile(m_socket.get(), file.fd->get(), &offset, step);
            if (entry)
                entry->bodyBytes -= step - static_cast<std::size_t>(std::max<ssize_t>(sent, 0));
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            left -= static_cast<std::uint64_t>(sent);
        }
        return true;
    }

    // Writes the status line, the headers and (unless `withBody` is false)
    // the body, applying the response's delivery faults. False when the
    // connection must not be used again.
    bool deliver(Response& response, bool withBody, std::string_view version, RequestLog::Entry* entry)
    {
        const Delivery& delivery = response.delivery;
        if (delivery.delay.count() > 0 && !m_server.sleepFor(delivery.delay))
            return false;

        const std::uint64_t total = response.bodyLength();
        const bool http10 = version == "HTTP/1.0";
        const bool chunked = delivery.chunked && !http10;
        // Without a length an HTTP/1.0 body ends with the connection.
        const bool closeDelimited = delivery.chunked && http10;
        const bool cut = delivery.dropAfter && *delivery.dropAfter < total && withBody;
        const bool closing = response.closeAfter || closeDelimited || cut || m_server.m_stopping.load();

        std::string head
            = "HTTP/1.1 " + std::to_string(response.status) + " " + std::string(reasonPhrase(response.status)) + "\r\n";
        for (const HttpHeader& header : response.headers)
            head += header.name + ": " + header.value + "\r\n";
        if (chunked)
            head += "Transfer-Encoding: chunked\r\n";
        else if (!closeDelimited)
            head += "Content-Length: " + std::to_string(total) + "\r\n";
        if (closing)
            head += "Connection: close\r\n";
        head += "\r\n";
        if (!sendAll(head, entry, false))
            return false;
        if (!withBody)
            return !closing;

        const std::uint64_t limit = cut ? *delivery.dropAfter : total;
        bool ok = true;
        if (response.file && !chunked && delivery.bytesPerSecond == 0) {
            ok = sendFileDirect(*response.file, limit, entry);
        } else {
            ok = sendPaced(response, limit, chunked, delivery.bytesPerSecond, entry);
        }
        if (ok && chunked && !cut)
            ok = sendAll("0\r\n\r\n", entry, false);
        if (cut) {
            // The announced length is not met: the client sees a broken body.
            ::shutdown(m_socket.get(), SHUT_RDWR);
            return false;
        }
        return ok && !closing;
    }

    bool sendPaced(const Response& response, std::uint64_t limit, bool chunked, std::uint64_t rate,
                   RequestLog::Entry* entry)
    {
        std::size_t pieceSize = pieceBytes;
        if (rate > 0)
            pieceSize = static_cast<std::size_t>(std::clamp<std::uint64_t>(rate / 10, 1, pieceBytes));
        const auto start = std::chrono::steady_clock::now();
        std::string piece;
        std::uint64_t sent = 0;
        while (sent < limit) {
            const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(pieceSize, limit - sent));
            std::string_view data;
            if (response.file) {
                if (!readFilePiece(*response.file, sent, length, piece))
                    return false;
                data = piece;
            } else {
                data = std::string_view(response.body).substr(static_cast<std::size_t>(sent), length);
            }
            if (!sendPayload(data, chunked, entry))
                return false;
            sent += length;
            if (rate > 0 && sent < limit) {
                const auto due = start + std::chrono::microseconds(sent * 1000000 / rate);
                const auto now = std::chrono::steady_clock::now();
                if (due > now && !m_server.sleepFor(std::chrono::ceil<std::chrono::milliseconds>(due - now)))
                    return false;
            }
        }
        return true;
    }

    HttpServer& m_server;
    UniqueFd m_socket;
    std::string m_buffer;
};

HttpServer::HttpServer(Handler handler, RequestLog& log, LogFilter logFilter, Limits limits)
    : m_handler(std::move(handler))
    , m_log(log)
    , m_logFilter(std::move(logFilter))
    , m_limits(limits)
{ }

HttpServer::~HttpServer()
{
    stop();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_activeConnections == 0; });
}

std::optional<std::string> HttpServer::listen(const std::string& host, std::uint16_t port)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0)
        return "cannot resolve " + host + ": " + gai_strerror(error);
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    std::string lastError = "no address";
    for (const addrinfo* address = addresses.get(); address; address = address->ai_next) {
        UniqueFd socket(::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol));
        if (!socket.valid()) {
            lastError = errorText(errno);
            continue;
        }
        const int one = 1;
        ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(socket.get(), address->ai_addr, address->ai_addrlen) != 0 || ::listen(socket.get(), 4096) != 0) {
            lastError = errorText(errno);
            continue;
        }
        sockaddr_storage bound {};
        socklen_t boundLength = sizeof bound;
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&bound), &boundLength);
        m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                             : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
        m_listener = std::move(socket);
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
            return "cannot create a pipe: " + errorText(errno);
        m_wakeRead.reset(pipeEnds[0]);
        m_wakeWrite.reset(pipeEnds[1]);
        return std::nullopt;
    }
    return "cannot listen on " + host + ":" + service + ": " + lastError;
}

void HttpServer::run()
{
    while (!m_stopping.load()) {
        pollfd waits[2] = {{m_listener.get(), POLLIN, 0}, {m_wakeRead.get(), POLLIN, 0}};
        const int ready = ::poll(waits, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (waits[1].revents != 0)
            break;
        if ((waits[0].revents & POLLIN) == 0)
            continue;
        UniqueFd socket(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!socket.valid()) {
            // Out of descriptors or a connection reset before accept: keep serving.
            if (errno == EMFILE || errno == ENFILE)
                sleepFor(std::chrono::milliseconds(10));
            continue;
        }
        startConnection(std::move(socket));
    }
    stop();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_activeConnections == 0; });
}

void HttpServer::stop()
{
    if (m_stopping.exchange(true))
        return;
    if (m_wakeWrite.valid()) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeWrite.get(), &byte, 1);
    }
    const std::lock_guard lock(m_mutex);
    for (const int socket : m_openSockets)
        ::shutdown(socket, SHUT_RDWR);
    m_changed.notify_all();
    m_stopSignal.notify_all();
}

bool HttpServer::sleepFor(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_stopSignal.wait_for(lock, duration, [this] { return m_stopping.load(); });
}

void HttpServer::startConnection(UniqueFd socket)
{
    const int raw = socket.get();
    {
        const std::lock_guard lock(m_mutex);
        if (m_activeConnections >= m_limits.maxConnections) {
            rejectBusy(raw);
            return;
        }
        ++m_activeConnections;
        m_openSockets.insert(raw);
    }
    auto shared = std::make_shared<UniqueFd>(std::move(socket));
    const bool started = spawnDetached([this, shared, raw] {
        {
            Connection connection(*this, std::move(*shared));
            connection.run();
            // Forget the descriptor while it is still open, so stop() never
            // shuts down a number the system has already reused.
            unregisterSocket(raw);
        }
        finishConnection();
    });
    if (!started) {
        rejectBusy(raw);
        unregisterSocket(raw);
        shared->reset();
        finishConnection();
    }
}

void HttpServer::rejectBusy(int socket)
{
    static constexpr std::string_view busyReply
        = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\nRetry-After: 1\r\n\r\n";
    // Best effort and never blocking: the accept loop must not stall.
    [[maybe_unused]] const auto sent = ::send(socket, busyReply.data(), busyReply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    m_log.addUnparsed(503);
}

void HttpServer::unregisterSocket(int socket)
{
    const std::lock_guard lock(m_mutex);
    m_openSockets.erase(socket);
}

void HttpServer::finishConnection()
{
    const std::lock_guard lock(m_mutex);
    --m_activeConnections;
    m_changed.notify_all();
}

}  // namespace quorvo::server
