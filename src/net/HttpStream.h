#pragma once

// One streamed GET: the reply's status and header block are handed over
// before its first body byte, then the body as libcurl reads it. The caller
// decides what the reply means; the stream only moves bytes and stops when
// asked to.

#include "net/RequestPlan.h"
#include "runtime/Text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace quorvo::net {

struct StreamReply {
    long status = 0;
    int64_t contentLength = -1;  // -1: the reply did not say
    Text headers;                // the final reply's header block, lines ended by "\r\n"
};

struct StreamSettings {
    std::chrono::milliseconds connectTimeout {15000};
    long receiveBufferBytes = 0;  // 0: libcurl's default
    // libcurl's low-speed rule: fewer than this many bytes a second for
    // `lowSpeedTime` fails the exchange. 0 bytes: no such rule.
    long lowSpeedBytesPerSecond = 0;
    std::chrono::seconds lowSpeedTime {0};
};

// Every hook returns false to stop the exchange; missing hooks always go on.
struct StreamHandlers {
    // Once, before the first body byte (or at the end of a reply without one).
    std::function<bool(const StreamReply& reply)> reply;
    // Every delivery of body bytes, in order.
    std::function<bool(std::string_view bytes)> body;
    // Asked whenever libcurl looks up from the network, also while it waits.
    std::function<bool()> abort;
    // Called whenever libcurl looks up from the network, also while it waits.
    std::function<bool()> idle;
};

enum class StreamEnd {
    Completed,  // the reply was handed over and its body read to the end
    Stopped,    // a hook returned false (or `abort` returned true)
    Failed,     // the network, the URL or the reply's framing failed
};

StreamEnd streamRequest(const RequestPlan& plan, const StreamSettings& settings, const StreamHandlers& handlers);

// The value of the last "Name:" line of a header block, trimmed; nullopt
// when there is none. `name` is matched without regard to case.
std::optional<Text> headerField(std::string_view headers, std::string_view name);

// The wait a "Retry-After:" line of the header block asks for, in seconds
// (delta-seconds or an HTTP date, a date in the past giving 0); nullopt when
// there is none or it cannot be read.
std::optional<std::chrono::seconds> retryAfterOf(std::string_view headers);

}  // namespace quorvo::net
