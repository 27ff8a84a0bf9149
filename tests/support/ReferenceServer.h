#pragma once

// Runs the bundled quorvo-server on loopback for one test: a free port, its
// own temporary data directory, stopped (SIGTERM, then SIGKILL) on
// destruction. Extra command-line arguments select catalogue files and fault
// switches, e.g. {"--fault-delay-ms", "500", "--fault-on", "search"}.

#include "TempDir.h"

#include <sys/types.h>

#include <csignal>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvo::test {

// One line of the server's request log (GET /_log).
struct RequestLogEntry {
    std::uint64_t sequence = 0;
    std::string method;
    std::string target;  // raw bytes as received (GBK queries included)
    int status = 0;
    std::uint64_t bodyBytes = 0;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received

    // Value of the first header of that name (ASCII case ignored), or nothing.
    [[nodiscard]] std::optional<std::string> header(std::string_view name) const;
    // The target's path, without the query.
    [[nodiscard]] std::string path() const { return target.substr(0, target.find('?')); }
};

// The entries of request-log text (SEQ TAB METHOD TAB TARGET TAB STATUS TAB
// BYTES {TAB Name: value} lines, bytes outside the printable range as \xHH).
// With `dashIsAbsent`, a header logged as "-" (nginx's empty variable) is left out.
std::vector<RequestLogEntry> parseRequestLogText(std::string_view text, bool dashIsAbsent = false);

// The pieces of `text` between `delimiter`s, empty ones included.
std::vector<std::string_view> splitAt(std::string_view text, char delimiter);

// A complete HTTP response as read off a socket.
struct RawResponse {
    int status = 0;
    std::string head;  // status line and headers, up to the blank line
    std::string body;
    bool complete = false;  // the connection closed normally after the response

    [[nodiscard]] std::optional<std::string> header(std::string_view name) const;
};

// Sends `rawRequest` byte for byte to 127.0.0.1:`port` on a fresh connection
// and reads until the server closes it, `timeout` passes or more than
// `maxBytes` have come (complete is then false).
RawResponse exchangeWith(std::uint16_t port, std::string_view rawRequest,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30),
                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

class ReferenceServer {
public:
    explicit ReferenceServer(std::vector<std::string> extraArgs = {});
    ~ReferenceServer();
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return m_port; }
    [[nodiscard]] std::string host() const;     // "127.0.0.1:PORT"
    [[nodiscard]] std::string baseUrl() const;  // "http://127.0.0.1:PORT"
    [[nodiscard]] const std::filesystem::path& dataDir() const { return m_dataDir.path(); }
    [[nodiscard]] pid_t pid() const { return m_pid; }

    // The request log, oldest first; requests to /_log are not in it.
    [[nodiscard]] std::vector<RequestLogEntry> requestLog() const;
    [[nodiscard]] std::string requestLogText() const;
    void clearRequestLog() const;
    // Entries whose path (target without query) equals `path`.
    [[nodiscard]] std::vector<RequestLogEntry> requestsTo(std::string_view path) const;

    // Sends `rawRequest` byte for byte on a fresh connection and reads until
    // the server closes it or `timeout` passes. Send "Connection: close" (or
    // use HTTP/1.0) so the server closes after one response.
    [[nodiscard]] RawResponse exchange(std::string_view rawRequest,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    // A plain GET of `target` with "Connection: close".
    [[nodiscard]] RawResponse get(std::string_view target, std::string_view extraHeaderLines = {}) const;

    // Stops the server now with `signalNumber` (the destructor uses SIGTERM),
    // falling back to SIGKILL after 10 s. Returns the waitpid status.
    int stop(int signalNumber = SIGTERM);

private:
    TempDir m_dataDir;
    pid_t m_pid = -1;
    std::uint16_t m_port = 0;
};

// Path of the quorvo-server executable this build made.
std::filesystem::path referenceServerExecutable();

}  // namespace quorvo::test
