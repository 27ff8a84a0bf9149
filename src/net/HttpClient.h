#pragma once

// One complete HTTP or HTTPS exchange per call, plus the URL and cookie
// helpers the exchange needs. Nothing is kept between calls except the
// process-wide limit of connections per server.

#include "net/HttpResponse.h"
#include "runtime/Text.h"

#include <cstdint>
#include <functional>
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
    // A longer body fails the exchange (TooLarge); 0 means HttpClient::defaultBodyLimit.
    // With decodeContent the limit counts decoded bytes.
    int64_t bodyLimit = 0;
    // A gzip or deflate body is decoded (a body that cannot be decoded fails
    // the exchange). No Accept-Encoding line is added to the request for it.
    bool decodeContent = false;
    // Asked at least every few tens of milliseconds, also while the server
    // sends nothing: true ends the exchange at once (HttpError::Aborted).
    std::function<bool()> abort;
};

class HttpClient {
public:
    static constexpr std::string_view defaultUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
    static constexpr int defaultTimeoutSeconds = 15;
    static constexpr int connectionsPerServer = 10;
    // Past this the header stream is an attack, not a header block (TooLarge).
    // Below libcurl's own cap (300 KB), so that this one is what ends it;
    // real header blocks are a few kilobytes.
    static constexpr std::size_t responseHeaderLimit = 256 * 1024;
    // Replies are small answers (XML, JSON, lyrics); a body beyond this is
    // not one of them and would only exhaust memory.
    static constexpr int64_t defaultBodyLimit = 256LL * 1024 * 1024;

    // One exchange. The body is empty on every failure, and `error` says
    // which; an error status is no failure of the exchange (its body is
    // returned). Never throws on network or input faults.
    static HttpResponse request(const Text& url, const HttpOptions& options = {});

    // Lower-cased host, with ":" and the port when `keepPort` and the URL has one.
    static Text hostOf(const Text& url, bool keepPort = false);
    // Object path with query, in the URL's own case; "/" when there is none.
    static Text pathOf(const Text& url);
    // The explicit port, else 443 when the URL mentions "https", else 80.
    static int64_t portOf(const Text& url);
    // The text before the first ";" of a cookie line; "" when there is none.
    static Text cookieValueOf(const Text& line);
};

}  // namespace quorvo::net
