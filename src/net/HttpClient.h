#pragma once

// One complete HTTP or HTTPS exchange per call, plus the URL and cookie
// helpers the exchange needs. Nothing is kept between calls except the
// process-wide limit of connections per server.

#include "runtime/Text.h"

#include <cstdint>
#include <string_view>

namespace quorvo::net {

// What the caller may give besides the URL; every field has the default the
// exchange applies when it is left alone.
struct HttpOptions {
    Text method;    // empty means "GET"; upper-cased before use
    Text proxy;     // server, user name, password separated by "\x01"
    Text userName;  // server logon; blank means none
    Text password;
    Text userAgent;           // blank means HttpClient::defaultUserAgent
    Text headers;             // caller's header lines, each ended by "\r\n"
    Text body;                // sent only with "POST"
    int timeoutSeconds = 15;  // whole exchange; zero or negative means 15
    Text cookies;             // "name=value;" items, sent after "Cookie: "
    bool allowRedirect = true;
    // A longer body fails the exchange; 0 means HttpClient::defaultBodyLimit.
    int64_t bodyLimit = 0;
};

// What the exchange hands back besides the body.
struct HttpExchange {
    Text sentHeaders;      // the completed header block as it was sent
    Text responseHeaders;  // raw response header block, lines ended by "\r\n"
    Text cookies;          // the cookies this response set, "name=value;" each
};

class HttpClient {
public:
    static constexpr std::string_view defaultUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
    static constexpr int defaultTimeoutSeconds = 15;
    static constexpr int connectionsPerServer = 10;
    static constexpr std::size_t responseHeaderLimit = 4096;
    // Replies are small answers (XML, JSON, lyrics); a body beyond this is
    // not one of them and would only exhaust memory.
    static constexpr int64_t defaultBodyLimit = 256LL * 1024 * 1024;

    // The response body; empty on every failure. Never throws on network or
    // input faults. `exchange`, when given, receives the out parameters.
    static Bytes request(const Text& url, const HttpOptions& options = {}, HttpExchange* exchange = nullptr);

    // Lower-cased host, with ":" and the port when `keepPort` and the URL has one.
    static Text hostOf(const Text& url, bool keepPort = false);
    // Object path with query, in the URL's own case; "/" when there is none.
    static Text pathOf(const Text& url);
    // The explicit port, else 443 when the URL mentions "https", else 80.
    static int64_t portOf(const Text& url);
    // The text before the first ";" of a cookie line; "" when there is none.
    static Text cookieValueOf(const Text& line);
    // Removes the service's escaped emphasis markup from a search result field.
    static Text stripHighlightMarkup(std::string_view text);
};

}  // namespace quorvo::net
