#pragma once

// The request and response values that pass between the connection code and
// the service's handlers.

#include "runtime/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvo::server {

struct HttpHeader {
    std::string name;
    std::string value;
};

struct HttpRequest {
    // Request line and header block up to and including the blank line,
    // exactly as received.
    std::string rawHead;
    std::string body;
    std::string method;
    std::string target;   // raw: not percent-decoded
    std::string version;  // "HTTP/1.0" or "HTTP/1.1"
    std::vector<HttpHeader> headers;

    // First header of that name (ASCII case-insensitive), or nothing.
    [[nodiscard]] std::optional<std::string_view> header(std::string_view name) const;
    [[nodiscard]] std::string_view path() const;      // target up to "?"
    [[nodiscard]] std::string_view rawQuery() const;  // after the first "?", or ""
    [[nodiscard]] bool wantsClose() const;
};

// How a response goes over the wire: the fault switches act here.
struct Delivery {
    std::chrono::milliseconds delay {0};     // before the status line
    std::uint64_t bytesPerSecond = 0;        // 0: unthrottled
    std::optional<std::uint64_t> dropAfter;  // body bytes, then the connection is cut
    bool chunked = false;                    // Transfer-Encoding: chunked, no Content-Length
};

// A byte range of an open file that the connection streams without reading
// the file into memory.
struct FileBody {
    std::shared_ptr<UniqueFd> fd;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

struct Response {
    int status = 200;
    std::vector<HttpHeader> headers;  // Content-Length and Connection are added by the server
    std::string body;
    std::optional<FileBody> file;  // when set, replaces `body`
    Delivery delivery;
    bool closeAfter = false;

    [[nodiscard]] std::uint64_t bodyLength() const { return file ? file->length : body.size(); }
    void setHeader(std::string name, std::string value);
};

std::string_view reasonPhrase(int status);

// ASCII case-insensitive equality, for header names and tokens.
bool equalsIgnoringCase(std::string_view left, std::string_view right);

}  // namespace quorvo::server
