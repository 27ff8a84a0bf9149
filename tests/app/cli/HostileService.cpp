#include "HostileService.h"

#include <cstdlib>

namespace quorvo::test {

namespace {

std::string requestPath(const std::string& request)
{
    const std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

// The start of an open-ended "Range: bytes=N-" (any spacing and case), or 0.
std::size_t rangeStart(const std::string& request)
{
    std::string lower = request;
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const std::size_t at = lower.find("\nrange:");
    if (at == std::string::npos)
        return 0;
    const std::size_t bytes = lower.find("bytes=", at);
    return bytes == std::string::npos ? 0 : std::strtoull(lower.c_str() + bytes + 6, nullptr, 10);
}

std::string status(int code)
{
    switch (code) {
    case 200:
        return "200 OK";
    case 206:
        return "206 Partial Content";
    case 404:
        return "404 Not Found";
    case 429:
        return "429 Too Many Requests";
    default:
        return std::to_string(code) + " Service Unavailable";
    }
}

}  // namespace

HostileService::HostileService(std::vector<HostileSong> songs)
    : m_songs(std::move(songs))
    , m_server([this](LoopbackServer&, int socket, const std::string& request) { handle(socket, request); })
{ }

std::vector<std::string> HostileService::fileRequests(const std::string& id) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_fileRequests.find(id);
    return found == m_fileRequests.end() ? std::vector<std::string> {} : found->second;
}

void HostileService::handle(int socket, const std::string& request)
{
    const std::string path = requestPath(request);
    if (path.starts_with("/v1/restserver/vesk")) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n<result><song_list>";
        for (const HostileSong& song : m_songs) {
            xml += "<song><title>" + song.title + "</title><song_id>" + song.id + "</song_id><author>" + song.artist
                + "</author><album_title>Hostile</album_title><all_rate>" + song.rates + "</all_rate></song>";
        }
        xml += "</song_list></result>\n";
        LoopbackServer::send(socket, LoopbackServer::reply(xml, "Content-Type: text/xml\r\n"));
        return;
    }
    if (path.starts_with("/app/link/getLinks.php")) {
        const std::size_t at = path.find("songId=") + 7;
        const std::string id = path.substr(at, path.find('&', at) - at);
        for (const HostileSong& song : m_songs) {
            if (song.id == id) {
                const std::string extension = song.rates.ends_with("flac") ? ".flac" : ".mp3";
                const std::string json = R"([{"song_id":")" + id + R"(","file_list":[{"url":"http://)" + host() + "/f/"
                    + id + extension + R"(","size":)" + std::to_string(song.body.size()) + "}]}]";
                LoopbackServer::send(socket, LoopbackServer::reply(json));
                return;
            }
        }
    }
    if (path.starts_with("/f/")) {
        serveFile(socket, request, path.substr(3, path.find('.') - 3));
        return;
    }
    LoopbackServer::send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
}

void HostileService::serveFile(int socket, const std::string& request, const std::string& id)
{
    const HostileSong* song = nullptr;
    for (const HostileSong& candidate : m_songs) {
        if (candidate.id == id)
            song = &candidate;
    }
    if (!song) {
        LoopbackServer::send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    int attempt = 0;
    {
        const std::lock_guard lock(m_mutex);
        attempt = ++m_attempts[id];
        m_fileRequests[id].push_back(request);
    }
    if (attempt > song->cutAttempts && attempt <= song->cutAttempts + song->busyAttempts) {
        const std::string retryAfter = song->retryAfter.empty() ? "" : "Retry-After: " + song->retryAfter + "\r\n";
        LoopbackServer::send(socket,
                             "HTTP/1.1 " + status(song->busyStatus) + "\r\nContent-Length: 0\r\n" + retryAfter
                                 + "Connection: close\r\n\r\n");
        return;
    }
    const std::size_t from = std::min(rangeStart(request), song->body.size());
    const std::string rest = song->body.substr(from);
    std::string head
        = "HTTP/1.1 " + status(from > 0 ? 206 : 200) + "\r\nContent-Length: " + std::to_string(rest.size()) + "\r\n";
    if (from > 0) {
        head += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(song->body.size() - 1) + "/"
            + std::to_string(song->body.size()) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    const bool cut = attempt <= song->cutAttempts;
    LoopbackServer::send(socket, head + (cut ? rest.substr(0, song->cutAfter) : rest));
}

}  // namespace quorvo::test
