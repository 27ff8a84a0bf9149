#pragma once

// The misbehaviours the server can be told to show, per song in the
// catalogue or for every reply from the command line.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::server {

struct FaultSettings {
    std::optional<std::chrono::milliseconds> delay;  // before the status line
    std::optional<std::uint64_t> bytesPerSecond;     // throttled body
    std::optional<std::uint64_t> dropAfter;          // cut the connection after N body bytes
    bool ignoreRange = false;                        // 200 with the whole file despite Range
    std::optional<int> status;                       // answer with this status instead
    std::optional<std::string> retryAfter;           // a Retry-After header on the status answer
    // Redirect: an empty text sends the client to the same resource under
    // "/_r" on this server; any other text is the Location verbatim.
    std::optional<std::string> redirect;
    bool chunked = false;                 // no Content-Length
    std::vector<std::string> setCookies;  // one Set-Cookie header each
    // Command line only: the faults touch the first N replies in scope, then none.
    std::optional<std::uint64_t> times;

    // Values set in `other` replace ours; cookies are added.
    void mergeFrom(const FaultSettings& other);
};

// Which replies the command-line faults apply to.
struct FaultScope {
    bool search = true;
    bool link = true;
    bool lyrics = true;
    bool files = true;
    bool echo = false;
};

// Parses "search,link,lyrics,files,echo" (any subset); nothing on bad input.
std::optional<FaultScope> parseFaultScope(const std::string& list);

}  // namespace quorvo::server
