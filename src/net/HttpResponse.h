#pragma once

// One HTTP answer, typed: the status libcurl read, the final reply's header
// fields as name/value pairs, the body and why the exchange failed, if it
// did. Everything outside src/net reads replies through these types; no
// other code parses a status line or a header.

#include "runtime/Text.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvo::net {

struct HttpHeader {
    Text name;
    Text value;  // leading and trailing blanks removed
};

// The header fields of one reply in the order they came.
class HttpHeaders {
public:
    // The last field called `name` (ASCII case ignored); nullopt when none.
    [[nodiscard]] std::optional<Text> get(std::string_view name) const;
    [[nodiscard]] const std::vector<HttpHeader>& all() const { return m_fields; }
    [[nodiscard]] bool empty() const { return m_fields.empty(); }

    void add(Text name, Text value);
    // One raw line as it came off the wire ("Name: value", line end optional).
    // A line starting with a blank continues the previous field's value.
    // Lines without a colon are ignored.
    void addLine(std::string_view line);
    void clear() { m_fields.clear(); }

private:
    std::vector<HttpHeader> m_fields;
};

enum class HttpError {
    None,
    InvalidRequest,  // the URL, method or a header line cannot be sent
    Connect,         // no connection: name lookup, refusal, TLS handshake
    Timeout,         // no answer (or too little) within the time limit
    Network,         // the connection broke or the server stopped sending mid-reply
    Protocol,        // what came back is not a readable HTTP reply
    TooLarge,        // the header block or the body is beyond its cap
    Aborted,         // the caller's abort hook asked to stop
    Decoding,        // the body's Content-Encoding could not be decoded
};

// Short words for an error ("timed out", "connection broken", ...).
std::string_view describe(HttpError error);

struct HttpResponse {
    long status = 0;      // from libcurl; 0 when no reply came
    Text statusLine;      // the final reply's first line as received, for messages only
    HttpHeaders headers;  // of the final reply (after redirects and interim replies)
    Bytes body;           // empty whenever `error` is set
    HttpError error = HttpError::None;
    Text sentHeaders;  // the completed request header block as it was sent
    Text cookies;      // the cookies this reply set, "name=value;" each

    [[nodiscard]] std::optional<Text> header(std::string_view name) const { return headers.get(name); }
    // A 2xx reply whose body was read to its end.
    [[nodiscard]] bool ok() const { return error == HttpError::None && status >= 200 && status <= 299; }
};

// "Content-Range: bytes F-L/N" or "bytes */N" (an unsatisfied range).
struct ContentRange {
    int64_t first = -1;  // -1 with "*"
    int64_t last = -1;
    int64_t completeLength = -1;  // -1 for "*"

    [[nodiscard]] bool satisfied() const { return first >= 0; }
    friend bool operator==(const ContentRange&, const ContentRange&) = default;
};

// Strict: digits only, no overflow, first <= last < complete length when the
// length is known. Anything else is nullopt.
std::optional<ContentRange> parseContentRange(std::string_view value);

// The wait a "Retry-After" field asks for, in seconds (delta-seconds or an
// HTTP date, a date in the past giving 0; at most a day); nullopt when there
// is none or it cannot be read.
std::optional<std::chrono::seconds> retryAfterOf(const HttpHeaders& headers);

}  // namespace quorvo::net
