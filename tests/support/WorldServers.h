#pragma once

// Servers this project did not write, run on loopback for one test: Python's
// own http.server (tests/support/world_http_server.py, with fault flags) and
// nginx. Both serve a root directory by URL path; ServiceMirror fills such a
// directory with what quorvo-server answers, so the client can be pointed at
// a world server as its service host (--service HOST:PORT, QUORVO_API_HOST).
//
// Each starts on a free port, is ready when the constructor returns (it waited
// for the server to say so, with a deadline) and is stopped on destruction.

#include "ReferenceServer.h"
#include "TempDir.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvo::test {

// A child process in its own process group, ended with its group.
class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts argv[0] (a path) with standard output to `stdoutFd` (-1: the
    // null device) and standard error to `stderrPath`.
    void start(const std::vector<std::string>& argv, int stdoutFd, const std::filesystem::path& stderrPath);
    // SIGTERM, then SIGKILL to the group after `grace`. Returns the waitpid status.
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(10));
    // True (and the status stored) once the process has ended.
    bool ended(int* status = nullptr);
    [[nodiscard]] pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

class PythonHttpServer {
public:
    // `flags` go to world_http_server.py, e.g. {"--gzip"}, {"--drip", "20"},
    // {"--header", "Via: HTTP/1.1 proxy"}, {"--stall-after", "1000"}.
    explicit PythonHttpServer(std::filesystem::path root, std::vector<std::string> flags = {});
    ~PythonHttpServer();
    PythonHttpServer(const PythonHttpServer&) = delete;
    PythonHttpServer& operator=(const PythonHttpServer&) = delete;

    // Why no server can be started here, or nothing when one can.
    static std::optional<std::string> unavailableReason();
    static bool available() { return !unavailableReason(); }

    [[nodiscard]] std::uint16_t port() const { return m_port; }
    [[nodiscard]] std::string host() const;     // "127.0.0.1:PORT"
    [[nodiscard]] std::string baseUrl() const;  // "http://127.0.0.1:PORT"
    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }

    // Every reply's request, oldest first, logged as its status line is sent
    // (so a reply that stalls is there). bodyBytes is what the head announced.
    [[nodiscard]] std::vector<RequestLogEntry> requests() const;
    [[nodiscard]] std::vector<RequestLogEntry> requestsTo(std::string_view path) const;
    // Waits (bounded) until at least `count` requests are logged.
    [[nodiscard]] std::vector<RequestLogEntry> waitForRequests(std::size_t count) const;

    void stop() { m_process.stop(); }

private:
    std::filesystem::path m_root;
    TempDir m_state;
    ServerProcess m_process;
    std::uint16_t m_port = 0;
};

class NginxServer {
public:
    struct Options {
        // Every location gzips (gzip_types *), not only /gz/.
        bool gzipEverywhere = false;
    };

    // Serves `root` with nginx's defaults (byte ranges, ETag, Last-Modified);
    // under /gz/ the same files gzip-encoded for clients that accept it. The
    // search and link endpoints answer with the mirrored file for the query's
    // `query` or `songId` (see ServiceMirror).
    explicit NginxServer(std::filesystem::path root, Options options);
    explicit NginxServer(std::filesystem::path root)
        : NginxServer(std::move(root), Options {})
    { }
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    static std::optional<std::string> unavailableReason();
    static bool available() { return !unavailableReason(); }

    [[nodiscard]] std::uint16_t port() const { return m_port; }
    [[nodiscard]] std::string host() const;
    [[nodiscard]] std::string baseUrl() const;
    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }

    // nginx logs a request once its reply is done; the Range, Accept-Encoding
    // and If-Range headers are logged (others are not). status and bodyBytes
    // are what was sent.
    [[nodiscard]] std::vector<RequestLogEntry> requests() const;
    [[nodiscard]] std::vector<RequestLogEntry> requestsTo(std::string_view path) const;
    [[nodiscard]] std::vector<RequestLogEntry> waitForRequests(std::size_t count) const;

    // nginx's error log, for failure messages.
    [[nodiscard]] std::string errorLog() const;

    void stop() { m_process.stop(); }

private:
    bool tryStart(std::uint16_t port, const Options& options, std::string& failure);

    std::filesystem::path m_root;
    TempDir m_state;
    ServerProcess m_process;
    std::uint16_t m_port = 0;
};

// Fills a root directory with what `reference` answers, laid out by URL path:
//   /v1/restserver/vesk/query=Q             the search reply for query value Q
//   /app/link/getLinks.php/songId=ID        the link reply, file URLs rewritten
//   /data2/lrc/ID/ID.lrc, /data2/music/...  lyric and song files
// and a "gz" link to the root itself, so /gz/PATH names the same file on any
// server (nginx encodes there).
class ServiceMirror {
public:
    // `fileBaseUrl` is where the link replies send the client for song files:
    // a world server's baseUrl(), or baseUrl() + "/gz".
    ServiceMirror(const ReferenceServer& reference, std::filesystem::path root, std::string fileBaseUrl);

    // Mirrors the reply to a search URL exactly as the client builds it (a full
    // URL or just its target; the query value is kept byte for byte).
    void addSearch(std::string_view searchUrl);
    // Mirrors one song: link reply, lyric file (when it has one), song files.
    // Returns the mirrored song file (the first of the link's file list).
    std::filesystem::path addSong(std::string_view songId);

    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }

private:
    const ReferenceServer& m_reference;
    std::filesystem::path m_root;
    std::string m_fileBaseUrl;
};

// GET `target` with "Connection: close" and any extra header lines
// ("Name: value\r\n" each).
RawResponse getFrom(std::uint16_t port, std::string_view target, std::string_view extraHeaderLines = {});

// Path of world_http_server.py in the source tree.
std::filesystem::path worldHttpServerScript();

}  // namespace quorvo::test
