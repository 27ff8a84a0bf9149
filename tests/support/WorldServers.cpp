#include "WorldServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#ifndef QUORVO_WORLD_HTTP_SERVER_SCRIPT
#define QUORVO_WORLD_HTTP_SERVER_SCRIPT ""
#endif

namespace quorvo::test {

namespace {

constexpr auto startLimit = std::chrono::seconds(30);
constexpr auto logLimit = std::chrono::seconds(10);
constexpr auto pollStep = std::chrono::milliseconds(5);

using Clock = std::chrono::steady_clock;

std::vector<RequestLogEntry> parseRequestLog(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return {};
    return parseRequestLogText(readWholeFile(file), true);
}

std::vector<RequestLogEntry> entriesTo(std::vector<RequestLogEntry> entries, std::string_view path)
{
    std::vector<RequestLogEntry> matching;
    for (RequestLogEntry& entry : entries) {
        if (entry.path() == path)
            matching.push_back(std::move(entry));
    }
    return matching;
}

std::vector<RequestLogEntry> waitForEntries(const std::filesystem::path& file, std::size_t count)
{
    const auto deadline = Clock::now() + logLimit;
    while (true) {
        auto entries = parseRequestLog(file);
        if (entries.size() >= count || Clock::now() >= deadline)
            return entries;
        std::this_thread::sleep_for(pollStep);
    }
}

std::optional<std::filesystem::path> findProgram(std::initializer_list<const char*> candidates)
{
    for (const char* candidate : candidates) {
        if (::access(candidate, X_OK) == 0)
            return std::filesystem::path(candidate);
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> python()
{
    return findProgram({"/usr/bin/python3", "/usr/local/bin/python3"});
}

std::optional<std::filesystem::path> nginx()
{
    return findProgram({"/usr/sbin/nginx", "/usr/local/sbin/nginx"});
}

std::string readIfThere(const std::filesystem::path& file)
{
    std::error_code error;
    return std::filesystem::exists(file, error) ? readWholeFile(file) : std::string();
}

std::uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound)
        throw std::runtime_error("no free loopback port");
    return ntohs(address.sin_port);
}

// The target (path and query) of a URL or of a target.
std::string_view targetOf(std::string_view url)
{
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return url;
    const auto slash = url.find('/', scheme + 3);
    return slash == std::string_view::npos ? std::string_view("/") : url.substr(slash);
}

std::filesystem::path underRoot(const std::filesystem::path& root, std::string_view path)
{
    std::filesystem::path result = root;
    for (const std::string_view segment : splitAt(path, '/')) {
        if (segment.empty())
            continue;
        if (segment == "." || segment == "..")
            throw std::runtime_error("refusing to mirror a path with dot segments");
        result /= std::string(segment);
    }
    return result;
}

void writeUnder(const std::filesystem::path& file, const std::string& data)
{
    std::filesystem::create_directories(file.parent_path());
    writeWholeFile(file, data);
}

}  // namespace

// ---- Raw exchanges

RawResponse getFrom(std::uint16_t port, std::string_view target, std::string_view extraHeaderLines)
{
    std::string request
        = "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
    request += extraHeaderLines;
    request += "Connection: close\r\n\r\n";
    return exchangeWith(port, request);
}

// ---- ServerProcess

void ServerProcess::start(const std::vector<std::string>& argv, int stdoutFd, const std::filesystem::path& stderrPath)
{
    stop();
    std::vector<char*> arguments;
    std::vector<std::string> copies = argv;
    for (std::string& argument : copies)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    const std::string errorPath = stderrPath.string();
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // Only async-signal-safe calls from here on. The server dies with the
        // test even when the test is killed.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        ::dup2(nullFd, STDIN_FILENO);
        ::dup2(stdoutFd >= 0 ? stdoutFd : nullFd, STDOUT_FILENO);
        const int errorFd = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        ::dup2(errorFd >= 0 ? errorFd : nullFd, STDERR_FILENO);
        ::execv(arguments[0], arguments.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // also from here, so the group exists before stop()
    m_pid = pid;
}

bool ServerProcess::ended(int* status)
{
    if (m_pid <= 0)
        return true;
    int local = 0;
    const pid_t done = ::waitpid(m_pid, &local, WNOHANG);
    if (done != m_pid)
        return false;
    if (status)
        *status = local;
    ::kill(-m_pid, SIGKILL);  // anything it left in its group
    m_pid = -1;
    return true;
}

int ServerProcess::stop(std::chrono::milliseconds grace)
{
    if (m_pid <= 0)
        return -1;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + grace;
    while (true) {
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno != EINTR))
            break;
        if (Clock::now() >= deadline) {
            ::kill(-m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(pollStep);
    }
    // nginx's worker leaves with its master; the group kill covers a straggler.
    ::kill(-m_pid, SIGKILL);
    m_pid = -1;
    return status;
}

// ---- PythonHttpServer

std::filesystem::path worldHttpServerScript()
{
    return QUORVO_WORLD_HTTP_SERVER_SCRIPT;
}

std::optional<std::string> PythonHttpServer::unavailableReason()
{
    if (!python())
        return std::string("python3 is not installed (tools/setup.sh installs it)");
    std::error_code error;
    if (worldHttpServerScript().empty() || !std::filesystem::exists(worldHttpServerScript(), error))
        return "world_http_server.py not found at '" + worldHttpServerScript().string() + "'";
    return std::nullopt;
}

PythonHttpServer::PythonHttpServer(std::filesystem::path root, std::vector<std::string> flags)
    : m_root(std::move(root))
{
    if (const auto reason = unavailableReason())
        throw std::runtime_error(*reason);
    std::vector<std::string> argv = {python()->string(),
                                     "-u",
                                     worldHttpServerScript().string(),
                                     "--root",
                                     m_root.string(),
                                     "--port",
                                     "0",
                                     "--log",
                                     (m_state.path() / "requests.log").string()};
    argv.insert(argv.end(), flags.begin(), flags.end());

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const std::filesystem::path stderrPath = m_state.path() / "stderr.log";
    try {
        m_process.start(argv, pipeEnds[1], stderrPath);
    } catch (...) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw;
    }
    ::close(pipeEnds[1]);

    // Wait (bounded) for "listening on http://127.0.0.1:PORT".
    std::string line;
    std::string failure;
    const auto deadline = Clock::now() + startLimit;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wait {pipeEnds[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            failure = "world_http_server.py did not report its port in time";
            break;
        }
        char buffer[256];
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0) {
            failure = "world_http_server.py ended before listening";
            break;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    const std::string prefix = "listening on http://127.0.0.1:";
    if (failure.empty() && line.rfind(prefix, 0) != 0)
        failure = "unexpected first line from world_http_server.py: " + line;
    if (!failure.empty()) {
        m_process.stop();
        throw std::runtime_error(failure + "\n" + readIfThere(stderrPath));
    }
    m_port = static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
}

PythonHttpServer::~PythonHttpServer()
{
    m_process.stop();
}

std::string PythonHttpServer::host() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string PythonHttpServer::baseUrl() const
{
    return "http://" + host();
}

std::vector<RequestLogEntry> PythonHttpServer::requests() const
{
    return parseRequestLog(m_state.path() / "requests.log");
}

std::vector<RequestLogEntry> PythonHttpServer::requestsTo(std::string_view path) const
{
    return entriesTo(requests(), path);
}

std::vector<RequestLogEntry> PythonHttpServer::waitForRequests(std::size_t count) const
{
    return waitForEntries(m_state.path() / "requests.log", count);
}

// ---- NginxServer

std::optional<std::string> NginxServer::unavailableReason()
{
    if (!nginx())
        return std::string("nginx is not installed (tools/setup.sh installs nginx-light)");
    return std::nullopt;
}

NginxServer::NginxServer(std::filesystem::path root, Options options)
    : m_root(std::filesystem::absolute(std::move(root)))
{
    if (const auto reason = unavailableReason())
        throw std::runtime_error(*reason);
    std::filesystem::create_directories(m_state.path() / "temp");
    // nginx cannot pick its own port: take a free one and try again should
    // another process bind it first.
    std::string failure;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (tryStart(freeLoopbackPort(), options, failure))
            return;
    }
    throw std::runtime_error("nginx did not start: " + failure);
}

bool NginxServer::tryStart(std::uint16_t port, const Options& options, std::string& failure)
{
    const std::filesystem::path state = m_state.path();
    const std::string temp = (state / "temp").string();
    const std::string root = m_root.string();
    const std::string gzip = "gzip on; gzip_types *; gzip_min_length 0; gzip_proxied any;";

    std::string config;
    config += "daemon off;\nmaster_process on;\nworker_processes 1;\n";
    config += "pid " + (state / "nginx.pid").string() + ";\n";
    config += "error_log " + (state / "error.log").string() + " info;\n";
    if (::geteuid() == 0) {
        // As root nginx would hand its worker to "nobody", who cannot read
        // the test's private directories; the current user serves instead.
        const passwd* user = ::getpwuid(::geteuid());
        const group* userGroup = ::getgrgid(::getegid());
        if (user && userGroup)
            config += std::string("user ") + user->pw_name + " " + userGroup->gr_name + ";\n";
    }
    config += "events { worker_connections 256; }\n";
    config += "http {\n";
    config += "  types { text/xml xml; application/json json; audio/flac flac; audio/mpeg mp3; text/plain lrc; }\n";
    config += "  default_type application/octet-stream;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        config += std::string("  ") + kind + "_temp_path " + temp + "/" + kind + ";\n";
    config += "  log_format world escape=default "
              "\"0\\t$request_method\\t$request_uri\\t$status\\t$body_bytes_sent"
              "\\tRange: $http_range\\tAccept-Encoding: $http_accept_encoding\\tIf-Range: $http_if_range\";\n";
    config += "  access_log " + (state / "access.log").string() + " world;\n";
    if (options.gzipEverywhere)
        config += "  " + gzip + "\n";
    config += "  server {\n";
    config += "    listen 127.0.0.1:" + std::to_string(port) + ";\n";
    config += "    root " + root + ";\n";
    config += "    location = /v1/restserver/vesk { default_type text/xml;"
              " try_files \"/v1/restserver/vesk/query=$arg_query\" =404; }\n";
    config += "    location = /app/link/getLinks.php { default_type application/json;"
              " try_files \"/app/link/getLinks.php/songId=$arg_songId\" =404; }\n";
    config += "    location /gz/ { alias " + root + "/; " + gzip + " }\n";
    config += "  }\n}\n";
    const std::filesystem::path configPath = state / "nginx.conf";
    writeWholeFile(configPath, config);
    std::filesystem::remove(state / "nginx.pid");

    const std::filesystem::path errorLogPath = state / "error.log";
    m_process.start(
        {nginx()->string(), "-p", state.string() + "/", "-e", errorLogPath.string(), "-c", configPath.string()}, -1,
        state / "stderr.log");

    // nginx writes its pid file once its sockets listen.
    const auto deadline = Clock::now() + startLimit;
    const std::string expected = std::to_string(m_process.pid());
    while (true) {
        std::string pid = readIfThere(state / "nginx.pid");
        while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
            pid.pop_back();
        if (pid == expected) {
            m_port = port;
            return true;
        }
        int status = 0;
        if (m_process.ended(&status)) {
            failure = "nginx exited (status " + std::to_string(status) + "): " + readIfThere(errorLogPath)
                + readIfThere(state / "stderr.log");
            return false;
        }
        if (Clock::now() >= deadline) {
            m_process.stop();
            failure = "nginx did not listen in time: " + readIfThere(errorLogPath);
            return false;
        }
        std::this_thread::sleep_for(pollStep);
    }
}

NginxServer::~NginxServer()
{
    m_process.stop();
}

std::string NginxServer::host() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string NginxServer::baseUrl() const
{
    return "http://" + host();
}

std::vector<RequestLogEntry> NginxServer::requests() const
{
    return parseRequestLog(m_state.path() / "access.log");
}

std::vector<RequestLogEntry> NginxServer::requestsTo(std::string_view path) const
{
    return entriesTo(requests(), path);
}

std::vector<RequestLogEntry> NginxServer::waitForRequests(std::size_t count) const
{
    return waitForEntries(m_state.path() / "access.log", count);
}

std::string NginxServer::errorLog() const
{
    return readIfThere(m_state.path() / "error.log");
}

// ---- ServiceMirror

ServiceMirror::ServiceMirror(const ReferenceServer& reference, std::filesystem::path root, std::string fileBaseUrl)
    : m_reference(reference)
    , m_root(std::move(root))
    , m_fileBaseUrl(std::move(fileBaseUrl))
{
    while (!m_fileBaseUrl.empty() && m_fileBaseUrl.back() == '/')
        m_fileBaseUrl.pop_back();
    std::filesystem::create_directories(m_root);
    std::error_code error;
    if (!std::filesystem::exists(m_root / "gz", error))
        std::filesystem::create_directory_symlink(".", m_root / "gz");
}

void ServiceMirror::addSearch(std::string_view searchUrl)
{
    const std::string target(targetOf(searchUrl));
    const auto question = target.find('?');
    const std::string path = target.substr(0, question);
    std::string query;
    if (question != std::string::npos) {
        for (const std::string_view pair : splitAt(std::string_view(target).substr(question + 1), '&')) {
            if (pair.rfind("query=", 0) == 0)
                query = std::string(pair.substr(6));
        }
    }
    if (query.find('/') != std::string::npos)
        throw std::runtime_error("a query value with '/' cannot name a file");
    const RawResponse reply = m_reference.get(target);
    if (reply.status != 200)
        throw std::runtime_error("search " + target + " answered " + std::to_string(reply.status));
    writeUnder(underRoot(m_root, path) / ("query=" + query), reply.body);
}

std::filesystem::path ServiceMirror::addSong(std::string_view songId)
{
    const std::string id(songId);
    if (id.empty() || id.find('/') != std::string::npos || id.find('&') != std::string::npos)
        throw std::runtime_error("unusable song id '" + id + "'");
    const RawResponse link = m_reference.get("/app/link/getLinks.php?songId=" + id);
    if (link.status != 200)
        throw std::runtime_error("link for " + id + " answered " + std::to_string(link.status));
    nlohmann::json reply = nlohmann::json::parse(link.body);
    std::filesystem::path firstFile;
    for (auto& song : reply) {
        if (song.contains("lrc_link") && song["lrc_link"].is_string()) {
            const std::string lyricPath(targetOf(song["lrc_link"].get<std::string>()));
            const RawResponse lyric = m_reference.get(lyricPath);
            if (lyric.status == 200)
                writeUnder(underRoot(m_root, lyricPath.substr(0, lyricPath.find('?'))), lyric.body);
        }
        if (!song.contains("file_list"))
            continue;
        for (auto& file : song["file_list"]) {
            const std::string target(targetOf(file["url"].get<std::string>()));
            const RawResponse data = m_reference.get(target);
            if (data.status != 200 || !data.complete)
                throw std::runtime_error("song file " + target + " answered " + std::to_string(data.status));
            const std::filesystem::path saved = underRoot(m_root, target.substr(0, target.find('?')));
            writeUnder(saved, data.body);
            if (firstFile.empty())
                firstFile = saved;
            file["url"] = m_fileBaseUrl + target;
        }
    }
    writeUnder(m_root / "app" / "link" / "getLinks.php" / ("songId=" + id), reply.dump());
    return firstFile;
}

}  // namespace quorvo::test
