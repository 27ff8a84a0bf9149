#pragma once

// Everything an exchange decides before it touches the network: the target,
// the header block in wire order, the time limits. Kept apart from libcurl so
// that the rules can be checked without a server.

#include "net/HttpClient.h"
#include "runtime/Text.h"

#include <string>
#include <vector>

namespace quorvo::net {

struct ProxySettings {
    bool used = false;
    Text server;
    bool hasCredentials = false;  // two or more fields were given
    Text userName;
    Text password;
};

struct RequestPlan {
    bool valid = false;   // false: the exchange fails before any connection
    bool secure = false;  // "https://" appears anywhere in the URL
    Text method;
    Text host;
    int64_t port = 80;
    Text path;
    Text target;       // scheme, host, port and path handed to libcurl
    Text headerBlock;  // caller lines + defaults + POST lines: what `sentHeaders` reports
    Text cookieLine;   // "Cookie: ...\r\n" or empty
    Text userAgent;
    bool sendBody = false;  // POST with a non-empty body
    Text body;
    long totalMs = 15000;  // whole-exchange limit, also the read deadline
    long phaseMs = 5000;   // connect, send and receive each get a third
    ProxySettings proxy;
    Text userName;  // empty: no server logon
    Text password;
    bool allowRedirect = true;
    bool http11Only = true;             // false: libcurl's own choice of HTTP version
    bool proxyFromEnvironment = false;  // no proxy given: take libcurl's from the environment
    int64_t rangeFrom = 0;
    // libcurl decodes a gzip or deflate body; the header lines stay as planned.
    bool decodeContent = false;
    int64_t bodyLimit = HttpClient::defaultBodyLimit;  // above 0: an open-ended byte range from here, as the last line
};

RequestPlan planRequest(const Text& url, const HttpOptions& options);

// A streamed GET of `url` as given, with exactly the caller's header lines
// (each ended by "\r\n") and no defaults added.
RequestPlan planStream(const Text& url, const Text& headerLines);

// "Range:bytes=" offset "-": the open-ended range line, without a line end.
Text openRangeLine(int64_t offset);

// Header lines as they go on the wire after the Host line, without line ends:
// the header block, then the cookie line, then the user agent.
std::vector<std::string> wireHeaderLines(const RequestPlan& plan);

// The cookie text a response set: for every line holding "Set-Cookie: ",
// the name=value part of what follows its first 12 bytes, and a ";".
Text cookiesFromResponseHeaders(const Text& responseHeaders);

// Nothing left once every ASCII and full-width space is removed.
bool isBlankAfterRemovingSpaces(const Text& text);

}  // namespace quorvo::net
