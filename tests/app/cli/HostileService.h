#pragma once

// A music service on loopback that the bundled one cannot imitate: search
// replies in raw GBK (declared gb2312), and song files that fail on purpose,
// a given number of times, before they are served whole or resumed.

#include "LoopbackServer.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quorvo::test {

struct HostileSong {
    HostileSong(std::string songId, std::string songTitle, std::string songArtist, std::string songBody, int cuts = 0,
                std::size_t cutAt = 0, int busy = 0, int busyCode = 503, std::string wait = {})
        : id(std::move(songId))
        , title(std::move(songTitle))
        , artist(std::move(songArtist))
        , body(std::move(songBody))
        , cutAttempts(cuts)
        , cutAfter(cutAt)
        , busyAttempts(busy)
        , busyStatus(busyCode)
        , retryAfter(std::move(wait))
    { }

    std::string id;
    std::string title;   // GBK bytes, as the reply carries them
    std::string artist;  // GBK bytes
    std::string body;    // the song file: an .mp3, or a .flac when the rate list ends in "flac"
    // The first `cutAttempts` requests of the file send its headers and
    // `cutAfter` bytes of what they promise, then close.
    int cutAttempts = 0;
    std::size_t cutAfter = 0;
    // The next `busyAttempts` requests get this status, with this Retry-After when it is not empty.
    int busyAttempts = 0;
    int busyStatus = 503;
    std::string retryAfter;
    std::string rates = "128";
};

class HostileService {
public:
    explicit HostileService(std::vector<HostileSong> songs);

    [[nodiscard]] std::string host() const { return "127.0.0.1:" + std::to_string(m_server.port()); }
    // Requests of the song's file, in order, as received.
    [[nodiscard]] std::vector<std::string> fileRequests(const std::string& id) const;

private:
    void handle(int socket, const std::string& request);
    void serveFile(int socket, const std::string& request, const std::string& id);

    mutable std::mutex m_mutex;
    std::vector<HostileSong> m_songs;
    std::map<std::string, int> m_attempts;  // song id -> file requests so far
    std::map<std::string, std::vector<std::string>> m_fileRequests;
    LoopbackServer m_server;  // last: its threads use the members above
};

}  // namespace quorvo::test
