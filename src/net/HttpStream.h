#pragma once

// One streamed GET: the reply's status and header fields are handed over
// before its first body byte, then the body as libcurl reads it. The caller
// decides what the reply means; the stream only moves bytes and stops when
// asked to.

#include "net/HttpResponse.h"
#include "net/RequestPlan.h"
#include "runtime/Text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quorvo::net {

struct StreamReply {
    long status = 0;                           // from libcurl
    int64_t contentLength = -1;                // -1: the reply did not say. Counts encoded bytes when
                                               // contentEncoding is not empty.
    HttpHeaders headers;                       // the final reply's fields
    std::optional<ContentRange> contentRange;  // a readable Content-Range field
    Text contentEncoding;  // the Content-Encoding the server applied, lower-cased; empty for identity
};

struct StreamSettings {
    std::chrono::milliseconds connectTimeout {15000};
    long receiveBufferBytes = 0;  // 0: libcurl's default
    // libcurl's low-speed rule: fewer than this many bytes a second for
    // `lowSpeedTime` fails the exchange. 0 bytes: no such rule.
    long lowSpeedBytesPerSecond = 0;
    std::chrono::seconds lowSpeedTime {0};
    // libcurl decodes a gzip or deflate body and the body hook gets the
    // decoded bytes; a body that cannot be decoded ends as Failed with
    // HttpError::Decoding. The request's own Accept-Encoding line, if any, is
    // sent as it is, once; without one the request names no encoding.
    bool decodeContent = false;
};

// Every hook returns false to stop the exchange; missing hooks always go on.
struct StreamHandlers {
    // Once, before the first body byte (or at the end of a reply without one).
    std::function<bool(const StreamReply& reply)> reply;
    // Every delivery of body bytes, in order.
    std::function<bool(std::string_view bytes)> body;
    // Asked at least every 50 ms, also while the server sends nothing: true stops.
    std::function<bool()> abort;
    // Called at least every 50 ms, also while the server sends nothing.
    std::function<bool()> idle;
};

enum class StreamEnd {
    Completed,  // the reply was handed over and its body read to the end
    Stopped,    // a hook returned false (or `abort` returned true)
    Failed,     // the network, the URL or the reply's framing failed
};

struct StreamResult {
    StreamEnd end = StreamEnd::Failed;
    // Why it did not complete: Aborted when the abort hook stopped it; None
    // when another hook returned false; for Failed, what broke (Connect and
    // Timeout before a reply, Network when the server stopped sending,
    // Decoding, TooLarge for an endless header block, ...).
    HttpError error = HttpError::None;
    bool replied = false;  // the reply hook was called
    Text detail;           // libcurl's own words, for logs and messages; may be empty
};

StreamResult streamRequest(const RequestPlan& plan, const StreamSettings& settings, const StreamHandlers& handlers);

}  // namespace quorvo::net
