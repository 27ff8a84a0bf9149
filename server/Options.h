#pragma once

// The server's command line.

#include "service/Faults.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::server {

struct Options {
    std::string host = "127.0.0.1";
    std::uint16_t port = 8080;
    std::string dataDirectory;  // empty: $XDG_CACHE_HOME/quorvo-server or ~/.cache/quorvo-server
    std::string cataloguePath;  // empty: the bundled demo catalogue
    bool quiet = false;
    FaultSettings faults;
    FaultScope faultScope;
    std::vector<std::string> pregenerate;  // song ids to generate before listening
    std::size_t maxConnections = 8192;     // more at once are answered 503
    unsigned idleTimeoutSeconds = 15;      // a connection silent this long is closed
    bool help = false;
};

// Parses argv; on failure returns nothing and sets `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string& error);

std::string usageText();

}  // namespace quorvo::server
